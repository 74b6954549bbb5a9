# Cross build for 64-bit Windows with Debian's MinGW-w64 (posix thread model).
# A test-only configuration: the same sources and tests, run under 64-bit
# Wine on a machine that cannot execute 32-bit x86 code. The shipped product
# is the i686 build (mingw-i686.cmake).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# The import library tool, the GCC runtime DLL (SEH unwinding on x86-64),
# and the processor the manifests name.
set(BVX_DLLTOOL x86_64-w64-mingw32-dlltool)
set(BVX_LIBGCC_DLL libgcc_s_seh-1.dll)
set(BVX_MANIFEST_ARCHITECTURE amd64)
