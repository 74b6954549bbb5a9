# zlib for the target, from Debian's MinGW build (libz-mingw-w64-dev, which
# scripts/setup installs), linked statically so that no zlib1.dll ships.
find_library(ZLIB_MINGW_STATIC NAMES libz.a
    PATHS ${CMAKE_FIND_ROOT_PATH}/lib NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
find_path(ZLIB_MINGW_INCLUDE zlib.h
    PATHS ${CMAKE_FIND_ROOT_PATH}/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT ZLIB_MINGW_STATIC OR NOT ZLIB_MINGW_INCLUDE)
    message(FATAL_ERROR "zlib for ${CMAKE_FIND_ROOT_PATH} missing: run scripts/setup")
endif()
add_library(zlib STATIC IMPORTED)
set_target_properties(zlib PROPERTIES
    IMPORTED_LOCATION ${ZLIB_MINGW_STATIC}
    INTERFACE_INCLUDE_DIRECTORIES ${ZLIB_MINGW_INCLUDE})
