# Turns a file into a C++ source that defines its bytes as an array:
#   cmake -DINPUT=<file> -DOUTPUT=<file.cpp> -DSYMBOL=<name> -P EmbedFile.cmake
# defines lx::<name>Data (unsigned char[]) and lx::<name>Size (std::size_t).
# A byte array has no length limit, unlike a string literal.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hexLength)
math(EXPR byteCount "${hexLength} / 2")
# Sixteen bytes a line keeps the generated file readable in a diff viewer.
string(REGEX REPLACE "([0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f])" "\\1\n" hex "${hex}")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," hex "${hex}")
file(WRITE "${OUTPUT}.tmp"
  "// Generated from ${INPUT} by EmbedFile.cmake; do not edit.\n"
  "#include <cstddef>\n"
  "namespace lx {\n"
  "extern const unsigned char ${SYMBOL}Data[];\n"
  "extern const std::size_t ${SYMBOL}Size;\n"
  "const unsigned char ${SYMBOL}Data[] = {\n${hex}0x00};\n"
  "const std::size_t ${SYMBOL}Size = ${byteCount};\n"
  "}  // namespace lx\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
