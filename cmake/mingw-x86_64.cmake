# Cross build for 64-bit Windows with MinGW-w64: the same sources as the
# shipped i686 program, as a test vehicle for machines that run no 32-bit
# programs (and so no 32-bit Wine). The -posix variant has std::thread and
# std::mutex, which GoogleTest needs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
# The shipped programs use no C++ threads of the runtime's own (their locks
# and threads are the system's), so they link the runtime of the win32
# thread model, which needs no POSIX threads library.
set(PRODUCT_CXX_LINKER x86_64-w64-mingw32-g++-win32)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Programs import only system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

# Debian's wine script takes the 32-bit loader whenever wine32 is installed;
# the tests run this loader with WINELOADER and WINEARCH=win64 set.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
