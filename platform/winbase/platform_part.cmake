# Threads, the process and the ANSI code page over KERNEL32: the Windows counterparts of the
# std, posix and iconv folders.
target_sources(cellbrae_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/threads_win32.cpp
  ${CMAKE_CURRENT_LIST_DIR}/thread_exit_order.cpp
  ${CMAKE_CURRENT_LIST_DIR}/process_win32.cpp
  ${CMAKE_CURRENT_LIST_DIR}/code_page_win32.cpp)
# Every program with a thread_local needs the order thread_exit_order.cpp sets, whichever of
# our files it uses; nothing refers to it, so each program's link asks for it by name (C names
# carry a leading underscore on 32-bit x86).
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(exit_order_symbol _cellbraeThreadExitOrder)
else()
  set(exit_order_symbol cellbraeThreadExitOrder)
endif()
target_link_options(cellbrae_platform INTERFACE "LINKER:--undefined=${exit_order_symbol}")
