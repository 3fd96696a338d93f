# What both Windows toolchains share; each sets TARVO_MINGW_PREFIX first.
set(CMAKE_SYSTEM_NAME Windows)

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
