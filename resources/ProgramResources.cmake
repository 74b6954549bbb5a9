# The version of every shipped program comes from the first line of ver.ini
# (the text the About box shows): the version resources, the manifests, the
# zip's name and the installer all use BRENVALD_VERSION.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/ver.ini BRENVALD_VERSION_LINES LIMIT_COUNT 1)
list(GET BRENVALD_VERSION_LINES 0 BRENVALD_VERSION)
string(STRIP "${BRENVALD_VERSION}" BRENVALD_VERSION)
if(NOT BRENVALD_VERSION MATCHES "^[0-9]+(\\.[0-9]+)?(\\.[0-9]+)?(\\.[0-9]+)?$")
    message(FATAL_ERROR "ver.ini: the first line must be a version of 1 to 4 numbers, not '${BRENVALD_VERSION}'")
endif()
# Four numbers for the fixed-format version, missing ones as 0.
string(REPLACE "." ";" BRENVALD_VERSION_PARTS "${BRENVALD_VERSION}")
list(LENGTH BRENVALD_VERSION_PARTS BRENVALD_VERSION_PART_COUNT)
while(BRENVALD_VERSION_PART_COUNT LESS 4)
    list(APPEND BRENVALD_VERSION_PARTS 0)
    math(EXPR BRENVALD_VERSION_PART_COUNT "${BRENVALD_VERSION_PART_COUNT} + 1")
endwhile()
string(REPLACE ";" "," BRENVALD_VERSION_NUMBERS "${BRENVALD_VERSION_PARTS}")
string(REPLACE ";" "." BRENVALD_VERSION_DOTTED "${BRENVALD_VERSION_PARTS}")

set(BRENVALD_GENERATED_RESOURCES ${CMAKE_BINARY_DIR}/generated/resources)
file(READ ${CMAKE_CURRENT_LIST_DIR}/ManifestCommon.xml BRENVALD_MANIFEST_COMMON)
configure_file(${CMAKE_CURRENT_LIST_DIR}/ProgramVersion.h.in
               ${BRENVALD_GENERATED_RESOURCES}/ProgramVersion.h @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/bvxscan.manifest.in
               ${BRENVALD_GENERATED_RESOURCES}/bvxscan.manifest @ONLY)
foreach(BRENVALD_MANIFEST_NAME bvxtool kernelinfo)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/console.manifest.in
                   ${BRENVALD_GENERATED_RESOURCES}/${BRENVALD_MANIFEST_NAME}.manifest @ONLY)
endforeach()

# Adds the program's .rc file from resources/ to its target; the .rc finds
# the generated version header and manifest on the include path.
function(bvx_add_program_resources target rc_name)
    set(rc_file ${CMAKE_SOURCE_DIR}/resources/${rc_name})
    set_property(SOURCE ${rc_file} APPEND PROPERTY OBJECT_DEPENDS
        ${CMAKE_SOURCE_DIR}/resources/ProgramVersion.rc
        ${BRENVALD_GENERATED_RESOURCES}/ProgramVersion.h)
    target_sources(${target} PRIVATE ${rc_file})
    target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/resources
                                                 ${BRENVALD_GENERATED_RESOURCES})
endfunction()
