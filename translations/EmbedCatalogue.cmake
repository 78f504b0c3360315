# cmake -DMOS="en.mo;…" -DOUT=Catalogues.cpp -P EmbedCatalogue.cmake: each .mo image as a C++ array,
# named by its language, so that the plain core and orvane-wake carry their catalogues and open no
# file for them.
set(arrays "")
set(table "")
foreach(mo ${MOS})
  get_filename_component(language "${mo}" NAME_WE)
  string(MAKE_C_IDENTIFIER "${language}" id)
  file(READ "${mo}" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "((0x..,){24})" "\\1\n" bytes "${bytes}")
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  string(APPEND arrays "alignas(4) const unsigned char catalogue_${id}[] = {\n${bytes}0};\n")
  string(APPEND table "    {\"${language}\", catalogue_${id}, ${size}},\n")
endforeach()
list(LENGTH MOS count)
file(WRITE "${OUT}.tmp" "#include \"core/record/Catalogues.h\"\nnamespace orvane {\nnamespace {\n${arrays}}\n"
  "const Catalogue Catalogues[] = {\n${table}    {nullptr, nullptr, 0}};\nconst std::size_t CatalogueCount = ${count};\n}\n")
file(RENAME "${OUT}.tmp" "${OUT}")
