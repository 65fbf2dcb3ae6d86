# cellbrae_layer(name SOURCES ... USES ...): a layer's static library with our warnings.
# Texts in the program's own code are byte texts in the ANSI code page (GBK), so every
# layer above platform/ compiles its narrow literals to GBK; sources stay UTF-8.
function(cellbrae_layer name)
  cmake_parse_arguments(L "" "" "SOURCES;USES" ${ARGN})
  add_library(cellbrae_${name} STATIC ${L_SOURCES})
  target_include_directories(cellbrae_${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(cellbrae_${name} PUBLIC ${L_USES})
  cellbrae_warnings(cellbrae_${name})
  if(NOT name STREQUAL "platform")
    cellbrae_gbk_literals(cellbrae_${name})
  endif()
endfunction()

function(cellbrae_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()

# Narrow string literals become GBK bytes, as the system holds its texts. Only gcc can do
# that; clang (the fuzz build) keeps them UTF-8, which changes the fixed Chinese texts but
# nothing the fuzzers check.
function(cellbrae_gbk_literals target)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -finput-charset=UTF-8 -fexec-charset=GBK)
  endif()
endfunction()
