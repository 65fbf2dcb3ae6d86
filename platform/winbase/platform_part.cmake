# Threads, the process and the ANSI code page over KERNEL32: the Windows counterparts of the
# std, posix and iconv folders; and the C++ heap's refusals, which end the program its own way.
target_sources(cellbrae_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/threads_win32.cpp
  ${CMAKE_CURRENT_LIST_DIR}/process_win32.cpp
  ${CMAKE_CURRENT_LIST_DIR}/code_page_win32.cpp
  ${CMAKE_CURRENT_LIST_DIR}/failed_allocation_win32.cpp)
