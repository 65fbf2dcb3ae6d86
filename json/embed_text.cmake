# Run with cmake -P at build time: writes the file INPUT into OUTPUT as a C++ byte array
# named NAME (NUL-terminated), so a dependency's text is read from where its package put it.
file(READ "${INPUT}" bytes HEX)
string(REGEX REPLACE "(..)" "'\\\\x\\1'," bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
  "// Generated from ${INPUT}; do not edit.\n#pragma once\n\n"
  "inline constexpr char ${NAME}[] = {${bytes}'\\0'};\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
