# Threads over the C++ standard library.
find_package(Threads REQUIRED)
target_sources(cellbrae_platform PRIVATE ${CMAKE_CURRENT_LIST_DIR}/threads_std.cpp)
target_link_libraries(cellbrae_platform PUBLIC Threads::Threads)
