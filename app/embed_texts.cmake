# cmake -DIN=<texts file> -DOUT=<.cpp> -P embed_texts.cmake
# Writes a source file that holds the bytes of IN and defines
# phondeck::english_text_source().
file(READ "${IN}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){24})" "\\1\n" bytes "${bytes}")
file(WRITE "${OUT}.tmp"
"// Generated from resources/texts_en.txt; do not edit.\n"
"#include \"app/english_texts.h\"\n\n"
"namespace phondeck {\n\n"
"namespace {\n"
"const unsigned char kData[] = {\n${bytes}0};\n"
"}  // namespace\n\n"
"std::string_view english_text_source() {\n"
"  return {reinterpret_cast<const char*>(kData), sizeof kData - 1};\n"
"}\n\n"
"}  // namespace phondeck\n")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.tmp")
