# GBK <-> UTF-16 over glibc's iconv.
target_sources(cellbrae_platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/code_page_iconv.cpp)
