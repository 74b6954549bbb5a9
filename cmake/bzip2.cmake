# libbz2 for the target, built from Debian's bzip2 sources that scripts/setup
# fetched into third_party/bzip2.
set(BZIP2_DIR ${CMAKE_SOURCE_DIR}/third_party/bzip2)
if(NOT EXISTS ${BZIP2_DIR}/bzlib.c)
    message(FATAL_ERROR "bzip2 sources missing: run scripts/setup")
endif()
add_library(bz2 STATIC
    ${BZIP2_DIR}/blocksort.c ${BZIP2_DIR}/huffman.c ${BZIP2_DIR}/crctable.c
    ${BZIP2_DIR}/randtable.c ${BZIP2_DIR}/compress.c ${BZIP2_DIR}/decompress.c
    ${BZIP2_DIR}/bzlib.c)
target_include_directories(bz2 PUBLIC ${BZIP2_DIR})
target_compile_options(bz2 PRIVATE -w -O3)
