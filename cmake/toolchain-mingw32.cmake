# Cross-compiling for 32-bit Windows with Debian's MinGW-w64 (posix thread model).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(TARVO_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER   ${TARVO_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TARVO_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${TARVO_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TARVO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One exe, no runtime DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Resource scripts are UTF-8; the resources hold their texts as UTF-16.
set(CMAKE_RC_FLAGS_INIT "-c 65001")
