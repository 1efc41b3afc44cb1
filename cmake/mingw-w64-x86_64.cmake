# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (the posix threads
# flavour, which has std::thread and std::mutex).  Used by the windows preset and
# by scripts/windows-build.sh for Qt itself.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TIDEWELL_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TIDEWELL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TIDEWELL_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TIDEWELL_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TIDEWELL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Both: the Windows Qt lives outside the root path (CMAKE_PREFIX_PATH) and
# pulls in the host's Qt tools (moc, rcc, uic) through QT_HOST_PATH.
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
