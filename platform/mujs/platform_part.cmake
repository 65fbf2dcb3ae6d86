# The script control over mujs 1.3.2, built here from Debian's source with thirty patches of
# ours, applied in this order (each file says why at its top). Where a patch brings code of
# our own, that code is a source file here (js*.c), built beside the interpreter with our
# warnings; the patch holds only the hooks into mujs's own files.
#   insertion-order.patch  objects enumerate their members in the order they were made, as
#                          the documents' JSON text and member lists need (Debian's mujs
#                          enumerates them by name);
#   undefined-behaviour.patch  removes what the sanitizers stop on (null minus one, and a
#                          number made an int before it is known to fit);
#   intern-hash.patch      interned strings in a hash table (jsinternhash.c): a lookup in the
#                          tree it replaces grew with every string interned;
#   lexer-ascii.patch      the lexer takes ASCII without UTF-8 decoding;
#   cjk-letters.patch      Chinese characters are letters in identifiers (da.序号 compiles);
#   literal-templates.patch  a text compiled once serves every text of the same shape (the
#                          same tokens, other string and number literals; jstemplate.c);
#   replace-plain-char.patch  replace with a one-character pattern knows at once when the
#                          text does not hold the character (jsplainchar.c);
#   lookup-caches.patch    compiled regular expressions kept by pattern, and property lookups
#                          in big objects cached (jsregcache.c, jspropcache.c);
#   string-objects.patch   a String object copies its text instead of interning it;
#   primitive-members.patch  a member of a string, number or boolean is read without making
#                          an object for it (jsprimitive.c);
#   buffer-runs.patch      texts are appended to a buffer a run at a time, JSON.stringify's
#                          strings included, not a character at a time;
#   gc-floor.patch         the collector waits for a set amount of new garbage, however small
#                          the heap (JS_GCMINGARBAGE below);
#   json-holder.patch      JSON.stringify makes its wrapper object only for a replacer function;
#   interned-names.patch   a property is found by its name's address before its name's text;
#   few-members-sort.patch  an iterator over a few members sorts them without qsort;
#   plain-json-members.patch  JSON.stringify writes an object of plain data without an
#                          iterator (jsplainobject.c);
#   regexp-source.patch    a regular expression's source is kept with its compiled program;
#   object-values.patch    a value that is an object already is taken without a call;
#   buffer-chars.patch     a character goes into a buffer with room without a call;
#   json-texts.patch       JSON.stringify writes a plain object's text members where they are;
#   flat-push.patch        Array.prototype.push puts its values straight into a flat array;
#   json-quoted.patch      JSON.stringify writes a text that needs no escape and its quotes at once;
#   object-members.patch   a member read on an object skips the question whether it is a string's;
#   name-order.patch       property names are compared by their first character before strcmp;
#   hot-calls.patch        js_toobject and js_pushvalue are put in place in the interpreter's callers;
#   json-tojson.patch      JSON.stringify asks for toJSON only where a chain ever had one;
#   plain-assign.patch     an assignment looks along the chain only where it ever had an accessor;
#   short-strings.patch    a text held in the value itself is copied a few bytes at a time;
#   global-vars.patch      the global object's variables are found again by the name's address;
#   json-plain-table.patch JSON.stringify tells a character it writes as it is by a table.
# All but insertion-order, undefined-behaviour and cjk-letters are for speed only: the
# results are the same without them (tests/script_differential_test runs both builds).
# The pristine source is never kept in the repository. It comes from Debian 12's source
# package through apt (scripts/fetch-source-tarball), once per machine into a cache folder
# every build folder shares, or from the tarball CELLBRAE_MUJS_TARBALL names (a cache setting
# or an environment variable) for a build without the network; the hash pins it either way.
# Debian's own patches for 1.3.2 only change how its Makefile installs, so none applies here.
set(mujs_tarball_name mujs_1.3.2.orig.tar.xz)
set(mujs_tarball_sha256 4886593fc688b0cdccd31e5ecbe5afe7ad1bee23aa69e667b871afd5dfc640c3)
set(CELLBRAE_MUJS_TARBALL "$ENV{CELLBRAE_MUJS_TARBALL}" CACHE FILEPATH
  "mujs 1.3.2's source tarball (${mujs_tarball_name}); empty: fetch it through apt")
if(CELLBRAE_MUJS_TARBALL)
  set(mujs_tarball ${CELLBRAE_MUJS_TARBALL})
else()
  if(DEFINED ENV{XDG_CACHE_HOME} AND NOT "$ENV{XDG_CACHE_HOME}" STREQUAL "")
    set(mujs_cache $ENV{XDG_CACHE_HOME}/cellbrae)
  elseif(DEFINED ENV{HOME})
    set(mujs_cache $ENV{HOME}/.cache/cellbrae)
  else()
    set(mujs_cache ${CMAKE_BINARY_DIR}/source-cache)
  endif()
  set(mujs_tarball ${mujs_cache}/${mujs_tarball_name})
  if(NOT EXISTS ${mujs_tarball})
    message(STATUS "Fetching mujs 1.3.2's source through apt into ${mujs_cache}")
    file(MAKE_DIRECTORY ${mujs_cache})
    execute_process(
      COMMAND ${PROJECT_SOURCE_DIR}/scripts/fetch-source-tarball mujs=1.3.2-1 ${mujs_tarball_name} ${mujs_tarball}
      RESULT_VARIABLE fetch_result ERROR_VARIABLE fetch_error OUTPUT_QUIET TIMEOUT 120)
  endif()
endif()
if(EXISTS ${mujs_tarball})
  file(SHA256 ${mujs_tarball} mujs_found_sha256)
endif()
if(NOT mujs_found_sha256 STREQUAL mujs_tarball_sha256)
  if(NOT EXISTS ${mujs_tarball})
    string(STRIP "${fetch_error}" fetch_error)
    set(mujs_problem "apt could not fetch it (${fetch_error})")
  else()
    set(mujs_problem "${mujs_tarball} is not the pristine tarball (SHA256 ${mujs_found_sha256}, expected ${mujs_tarball_sha256})")
  endif()
  message(FATAL_ERROR "The script engine's source, mujs 1.3.2 (${mujs_tarball_name}), is \
not at hand: ${mujs_problem}. The build takes it from Debian 12's source package through apt, \
which needs the network and the machine's Debian sources; without them, copy the tarball \
from a machine that has it (\"apt-get source --download-only mujs=1.3.2-1\" there) and \
configure with -DCELLBRAE_MUJS_TARBALL=/path/to/${mujs_tarball_name}, or set the \
environment variable CELLBRAE_MUJS_TARBALL to that path before make.")
endif()
include(FetchContent)
FetchContent_Declare(mujs
  URL ${mujs_tarball}
  URL_HASH SHA256=${mujs_tarball_sha256}
  DOWNLOAD_EXTRACT_TIMESTAMP TRUE)
FetchContent_MakeAvailable(mujs)

# cellbrae_patched_mujs(DIR PATCH...): a copy of the pristine source in DIR with the patches
# applied in order, made afresh whenever one of them changes.
find_program(PATCH_PROGRAM patch REQUIRED)
function(cellbrae_patched_mujs dir)
  FetchContent_GetProperties(mujs)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ARGN})
  set(patch_hashes "")
  foreach(patch IN LISTS ARGN)
    file(SHA256 ${patch} hash)
    string(APPEND patch_hashes ${hash})
  endforeach()
  string(SHA256 patch_hash "${patch_hashes}")
  if(NOT EXISTS ${dir}/patched-${patch_hash})
    file(REMOVE_RECURSE ${dir})
    file(COPY ${mujs_SOURCE_DIR}/ DESTINATION ${dir})
    foreach(patch IN LISTS ARGN)
      execute_process(COMMAND ${PATCH_PROGRAM} -p1 --quiet --input ${patch}
        WORKING_DIRECTORY ${dir} RESULT_VARIABLE patch_result)
      if(NOT patch_result EQUAL 0)
        message(FATAL_ERROR "${patch} does not apply to mujs 1.3.2")
      endif()
    endforeach()
    file(TOUCH ${dir}/patched-${patch_hash})
  endif()
endfunction()

set(mujs_patches
  insertion-order.patch undefined-behaviour.patch intern-hash.patch lexer-ascii.patch
  cjk-letters.patch literal-templates.patch replace-plain-char.patch lookup-caches.patch
  string-objects.patch primitive-members.patch buffer-runs.patch gc-floor.patch
  json-holder.patch interned-names.patch few-members-sort.patch plain-json-members.patch
  regexp-source.patch object-values.patch buffer-chars.patch json-texts.patch
  flat-push.patch json-quoted.patch object-members.patch name-order.patch
  hot-calls.patch json-tojson.patch plain-assign.patch short-strings.patch
  global-vars.patch json-plain-table.patch)
list(TRANSFORM mujs_patches PREPEND ${CMAKE_CURRENT_LIST_DIR}/)
set(mujs_dir ${CMAKE_BINARY_DIR}/mujs-patched)
cellbrae_patched_mujs(${mujs_dir} ${mujs_patches})

# The whole interpreter as one translation unit, as its own Makefile builds it, with our own
# C beside it. Both get the sanitizer flags of the build; only ours gets our warnings.
enable_language(C)
set(mujs_ours jsinternhash.c jsplainchar.c jstemplate.c jsregcache.c jspropcache.c jsprimitive.c
  jsplainobject.c)
list(TRANSFORM mujs_ours PREPEND ${CMAKE_CURRENT_LIST_DIR}/)
add_library(cellbrae_mujs STATIC ${mujs_dir}/one.c ${mujs_ours})
set_target_properties(cellbrae_mujs PROPERTIES C_STANDARD 99 C_EXTENSIONS OFF)
target_include_directories(cellbrae_mujs PRIVATE ${mujs_dir})
set_source_files_properties(${mujs_dir}/one.c PROPERTIES COMPILE_OPTIONS -w)
set_source_files_properties(${mujs_ours} PROPERTIES
  COMPILE_OPTIONS "-Wall;-Wextra;-Wpedantic;-Wshadow")
# The collector runs when the heap holds twice what survived the last run, not five times:
# a cell store of 100,000 lines then peaks at 93 MB instead of 150 MB, for about 0.3% more
# instructions (marking is cheap next to compiling).
# And it waits for at least 16,384 new things (objects, properties, strings...), about 1.5 MB,
# however small the heap: the row record's document, one record that makes garbage at every
# line, was marked again every 180 lines.
target_compile_definitions(cellbrae_mujs PRIVATE JS_GCFACTOR=2.0 JS_GCMINGARBAGE=16384)
target_link_libraries(cellbrae_mujs PRIVATE m)

target_sources(cellbrae_platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/script_cache.cpp
  ${CMAKE_CURRENT_LIST_DIR}/script_control_mujs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/script_error.cpp
  ${CMAKE_CURRENT_LIST_DIR}/script_heap.cpp
  ${CMAKE_CURRENT_LIST_DIR}/script_text.cpp)
target_include_directories(cellbrae_platform PRIVATE ${mujs_dir})
target_link_libraries(cellbrae_platform PRIVATE cellbrae_mujs)
