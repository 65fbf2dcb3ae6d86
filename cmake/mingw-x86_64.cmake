# Cross-builds the Windows program for 64-bit x86 with mingw-w64; kept beside the 32-bit build
# because it is the one that shows pointer-size faults in the Win32 backends.
set(CELLBRAE_MINGW_TRIPLE x86_64-w64-mingw32)
# Debian's `wine` runs 32-bit programs only; its 64-bit loader is not on PATH.
set(CELLBRAE_WINE_LOADER /usr/lib/wine/wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
