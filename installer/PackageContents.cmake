# What a user gets: the install rules behind `make package`. The zip and the
# installer are both made from `cmake --install` of the build into one
# folder, so they hold the same files. Text files get Windows line ends.
set(BRENVALD_PACKAGE_TEXTS ${CMAKE_BINARY_DIR}/generated/package)

# Writes the text with CR LF line ends.
function(bvx_write_windows_text path text)
    string(REPLACE "\r\n" "\n" text "${text}")
    string(REPLACE "\n" "\r\n" text "${text}")
    file(WRITE ${path} "${text}")
endfunction()

file(READ ${CMAKE_CURRENT_LIST_DIR}/README.txt.in readme_template)
string(CONFIGURE "${readme_template}" readme_text @ONLY)
bvx_write_windows_text(${BRENVALD_PACKAGE_TEXTS}/README.txt "${readme_text}")
file(READ ${CMAKE_CURRENT_LIST_DIR}/Bases-README.txt bases_readme_text)
bvx_write_windows_text(${BRENVALD_PACKAGE_TEXTS}/Bases/README.txt "${bases_readme_text}")
# Brenvald's own licence, beside the program as LICENSE.txt.
file(READ ${CMAKE_SOURCE_DIR}/LICENSE license_text)
bvx_write_windows_text(${BRENVALD_PACKAGE_TEXTS}/LICENSE.txt "${license_text}")

# The licence texts of what ships inside Kernel.dll and beside it. A text
# that is missing on this machine is named as missing, and the package test
# fails on it.
file(READ ${CMAKE_CURRENT_LIST_DIR}/NOTICES-header.txt notices_text)
foreach(notice
        "libbzip2|${CMAKE_SOURCE_DIR}/third_party/bzip2/LICENSE"
        "zlib|/usr/share/doc/libz-mingw-w64-dev/copyright"
        "GCC runtime libraries|/usr/share/doc/gcc-mingw-w64-i686-posix-runtime/copyright"
        "GNU General Public License version 3|/usr/share/common-licenses/GPL-3"
        "MinGW-w64 runtime and winpthreads|/usr/share/doc/mingw-w64-i686-dev/copyright")
    string(REPLACE "|" ";" notice "${notice}")
    list(GET notice 0 notice_title)
    list(GET notice 1 notice_file)
    string(APPEND notices_text "\n\n==== ${notice_title} ====\n\n")
    if(EXISTS ${notice_file})
        file(READ ${notice_file} notice_body)
        string(APPEND notices_text "${notice_body}")
    else()
        message(WARNING "notice text not found: ${notice_file}")
        string(APPEND notices_text "MISSING: ${notice_file}\n")
    endif()
endforeach()
bvx_write_windows_text(${BRENVALD_PACKAGE_TEXTS}/NOTICES.txt "${notices_text}")

# The version for scripts/package: zip name, installer name and its resources.
file(WRITE ${BRENVALD_PACKAGE_TEXTS}/version.env
     "version=${BRENVALD_VERSION}\nversion_dotted=${BRENVALD_VERSION_DOTTED}\n")

if(TARGET bvxscan)
    install(TARGETS bvxscan RUNTIME DESTINATION .)
endif()
install(TARGETS bvxtool RUNTIME DESTINATION .)
install(FILES $<TARGET_FILE:KernelDll> $<TARGET_FILE:KernelCDll> ${LIBSTDCXX_DLL} ${LIBGCC_DLL} ${WINPTHREAD_DLL}
              ${CMAKE_SOURCE_DIR}/resources/ver.ini
              ${BRENVALD_PACKAGE_TEXTS}/README.txt ${BRENVALD_PACKAGE_TEXTS}/NOTICES.txt
              ${BRENVALD_PACKAGE_TEXTS}/LICENSE.txt
        DESTINATION .)
install(FILES ${BRENVALD_PACKAGE_TEXTS}/Bases/README.txt DESTINATION Bases)
