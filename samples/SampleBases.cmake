# Builds the sample base bin/Bases/sample.bvx from samples/sample.list with
# bvxtool itself, and writes the demo folder bin/Demo that it recognises.
set(SAMPLE_LIST ${CMAKE_CURRENT_LIST_DIR}/sample.list)
set(DEMO_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/DemoFiles.cmake)
set(SAMPLE_BASE ${CMAKE_BINARY_DIR}/bin/Bases/sample.bvx)
set(DEMO_FOLDER ${CMAKE_BINARY_DIR}/bin/Demo)

add_custom_command(OUTPUT ${DEMO_FOLDER}/readme.txt
    COMMAND ${CMAKE_COMMAND} -DDEMO_FOLDER=${DEMO_FOLDER} -P ${DEMO_SCRIPT}
    DEPENDS ${DEMO_SCRIPT}
    COMMENT "Writing the demo folder")
add_custom_command(OUTPUT ${SAMPLE_BASE}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/bin/Bases
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-run --build-step ${WINE_PREFIX}
            $<TARGET_FILE:bvxtool> make ${SAMPLE_LIST} ${SAMPLE_BASE}
    DEPENDS bvxtool KernelDll runtime_dlls ${SAMPLE_LIST}
    COMMENT "Making the sample definition base")
add_custom_target(sample_bases ALL DEPENDS ${SAMPLE_BASE} ${DEMO_FOLDER}/readme.txt)
