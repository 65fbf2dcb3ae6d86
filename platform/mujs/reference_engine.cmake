# The reference interpreter (target cellbrae_reference_mujs) that the differential test and
# fuzzer hold our script control against: pristine mujs 1.3.2 with only the patches that
# change what a script does (insertion-order, undefined-behaviour, cjk-letters), so anything
# the speed patches or the compile cache change shows as a difference.
#
# It lives in the same process as the control's own copy of mujs, and both define every js_*
# function. So one.c and the wrapper are first linked into one relocatable object (ld -r,
# which resolves the wrapper's calls into one.c inside it), then objcopy makes every symbol
# defined there local except the wrapper's three functions. What the object still needs from
# outside (libc, libm, the sanitizer and coverage runtimes) stays undefined and is linked as
# usual, so this works the same for gcc and clang, with or without sanitizers.
set(reference_dir ${CMAKE_BINARY_DIR}/mujs-reference)
cellbrae_patched_mujs(${reference_dir}
  ${PROJECT_SOURCE_DIR}/platform/mujs/insertion-order.patch
  ${PROJECT_SOURCE_DIR}/platform/mujs/undefined-behaviour.patch
  ${PROJECT_SOURCE_DIR}/platform/mujs/cjk-letters.patch)

enable_language(C)
add_library(cellbrae_reference_mujs_parts OBJECT
  ${reference_dir}/one.c
  ${PROJECT_SOURCE_DIR}/platform/mujs/reference_engine.c)
set_target_properties(cellbrae_reference_mujs_parts PROPERTIES C_STANDARD 99 C_EXTENSIONS OFF)
target_include_directories(cellbrae_reference_mujs_parts PRIVATE ${reference_dir})
cellbrae_warnings(cellbrae_reference_mujs_parts)
set_source_files_properties(${reference_dir}/one.c PROPERTIES COMPILE_OPTIONS -w)

set(reference_api referenceEngineNew referenceEngineFree referenceEngineEval)
list(TRANSFORM reference_api PREPEND --keep-global-symbol= OUTPUT_VARIABLE reference_keep)
set(reference_object ${CMAKE_CURRENT_BINARY_DIR}/reference_mujs.o)
add_custom_command(OUTPUT ${reference_object}
  COMMAND ${CMAKE_LINKER} -r -o ${reference_object}.joined $<TARGET_OBJECTS:cellbrae_reference_mujs_parts>
  COMMAND ${CMAKE_OBJCOPY} ${reference_keep} ${reference_object}.joined ${reference_object}
  COMMAND ${CMAKE_COMMAND} -E rm ${reference_object}.joined
  DEPENDS cellbrae_reference_mujs_parts $<TARGET_OBJECTS:cellbrae_reference_mujs_parts>
  COMMAND_EXPAND_LISTS VERBATIM
  COMMENT "Linking the reference interpreter into one object with a private namespace")

add_library(cellbrae_reference_mujs STATIC ${reference_object})
set_target_properties(cellbrae_reference_mujs PROPERTIES LINKER_LANGUAGE C)
target_include_directories(cellbrae_reference_mujs INTERFACE ${PROJECT_SOURCE_DIR})
target_link_libraries(cellbrae_reference_mujs INTERFACE m)
