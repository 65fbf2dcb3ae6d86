# What both mingw-w64 toolchain files share; each sets CELLBRAE_MINGW_TRIPLE first.
# Everything links statically (libgcc, libstdc++, winpthread), so an .exe needs no DLL of ours.
set(CMAKE_SYSTEM_NAME Windows)
string(REGEX REPLACE "-.*" "" CMAKE_SYSTEM_PROCESSOR ${CELLBRAE_MINGW_TRIPLE})
set(CMAKE_C_COMPILER ${CELLBRAE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${CELLBRAE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${CELLBRAE_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${CELLBRAE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# Tests and the program run under Wine on this machine (scripts/wine-test sets the prefix up).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CELLBRAE_WINE_LOADER})
