# Cross build for Windows with MinGW-w64.
#   VARNITE_MINGW_ARCH     i686 (the shipped 32-bit program) or x86_64 (its 64-bit twin,
#                          for test hosts that cannot execute i386 code)
#   VARNITE_MINGW_THREADS  win32 (the shipped program: XP-safe imports) or posix
#                          (GoogleTest needs std::mutex)
# Test binaries run through scripts/wine-run, which picks the Wine loader for the arch.
set(VARNITE_MINGW_ARCH "i686" CACHE STRING "MinGW-w64 target: i686 or x86_64")
set(VARNITE_MINGW_THREADS "win32" CACHE STRING "MinGW-w64 thread model: win32 or posix")

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${VARNITE_MINGW_ARCH})
set(_triple ${VARNITE_MINGW_ARCH}-w64-mingw32)

set(CMAKE_C_COMPILER ${_triple}-gcc-${VARNITE_MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${_triple}-g++-${VARNITE_MINGW_THREADS})
set(CMAKE_RC_COMPILER ${_triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
