# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (package g++-mingw-w64-x86-64).
# The POSIX thread model is preferred: it gives std::thread and std::mutex as the Windows
# build with Qt uses them; the win32 one is the fallback.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VELD_MINGW_PREFIX x86_64-w64-mingw32)
find_program(VELD_MINGW_CXX NAMES ${VELD_MINGW_PREFIX}-g++-posix ${VELD_MINGW_PREFIX}-g++-win32
  ${VELD_MINGW_PREFIX}-g++ REQUIRED)
set(CMAKE_CXX_COMPILER ${VELD_MINGW_CXX})
set(CMAKE_RC_COMPILER ${VELD_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VELD_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
