# The process over POSIX: /proc/self/exe for the program folder, _exit for the end.
target_sources(cellbrae_platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/process_posix.cpp)
