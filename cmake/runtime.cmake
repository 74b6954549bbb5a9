# Copies the shared GCC runtime of the cross compiler into the binary folder.
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++-6.dll
                OUTPUT_VARIABLE LIBSTDCXX_DLL OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${BVX_LIBGCC_DLL}
                OUTPUT_VARIABLE LIBGCC_DLL OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libwinpthread-1.dll
                OUTPUT_VARIABLE WINPTHREAD_DLL OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT EXISTS ${WINPTHREAD_DLL})
    set(WINPTHREAD_DLL ${CMAKE_FIND_ROOT_PATH}/lib/libwinpthread-1.dll)
endif()
foreach(dll ${LIBSTDCXX_DLL} ${LIBGCC_DLL} ${WINPTHREAD_DLL})
    if(NOT EXISTS ${dll})
        message(FATAL_ERROR "runtime DLL not found: ${dll}")
    endif()
endforeach()
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
add_custom_target(runtime_dlls ALL
    COMMAND ${CMAKE_COMMAND} -E copy_if_different
            ${LIBSTDCXX_DLL} ${LIBGCC_DLL} ${WINPTHREAD_DLL} ${CMAKE_BINARY_DIR}/bin/
    COMMENT "Copying the GCC runtime DLLs")
