# Cross-builds the Windows programs on Linux with MinGW-w64 (Debian's posix-thread variant, which
# std::thread needs). Everything is linked statically, so an .exe needs no DLL beyond Windows' own.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TERVALINK_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TERVALINK_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TERVALINK_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${TERVALINK_MINGW}-windres)

# Libraries and headers come from the MinGW-w64 tree only; the build tools from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${TERVALINK_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libgcc, libstdc++ and winpthread go into the executable instead of beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
