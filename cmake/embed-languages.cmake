# Writes a C++ source that holds the wizard's translations (languages/*.toml), so that kosetup
# carries them wherever it is copied or installed, as it carries the stub. Run as a script:
#   cmake -DLANGUAGES=dir -DOUTPUT=embedded_languages_data.cpp -P embed-languages.cmake
# The output is rewritten only when its content changes.
file(GLOB files "${LANGUAGES}/*.toml")
list(SORT files)
set(arrays "")
set(entries "")
set(index 0)
foreach(path IN LISTS files)
  get_filename_component(name "${path}" NAME)
  file(READ "${path}" hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "((0x..,){16})" "\\1\n" bytes "${bytes}")
  string(APPEND arrays "const unsigned char File${index}[] = {\n${bytes}0};\n")
  string(APPEND entries "        {\"${name}\", File${index}, ${size}},\n")
  math(EXPR index "${index} + 1")
endforeach()
set(text "// Generated from ${LANGUAGES} by cmake/embed-languages.cmake.
#include \"builder/embedded_languages.h\"

namespace ko {

namespace {
${arrays}} // namespace

const std::vector<TEmbeddedLanguage>& EmbeddedLanguages() {
    static const std::vector<TEmbeddedLanguage> files = {
${entries}    };
    return files;
}

} // namespace ko
")
file(WRITE "${OUTPUT}.new" "${text}")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
