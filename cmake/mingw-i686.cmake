# Cross-builds the Windows program for 32-bit x86 with mingw-w64: the arch the system's
# script control exists for. The -posix compilers, because the shared layers use std::thread.
set(CELLBRAE_MINGW_TRIPLE i686-w64-mingw32)
set(CELLBRAE_WINE_LOADER wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
