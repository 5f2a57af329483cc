# Turns a text file into a C++ source defining `const char SYMBOL[]` with the file's bytes and a
# final NUL, so a program carries the text and needs no source tree at run time.
# cmake -DINPUT=<file> -DOUTPUT=<file.cpp> -DSYMBOL=<name> -P EmbedText.cmake
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
file(WRITE "${OUTPUT}.tmp" "// Made from ${INPUT} at build time.\nextern const char ${SYMBOL}[];\nconst char ${SYMBOL}[] = {${bytes}0x00};\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
