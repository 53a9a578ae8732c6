# Writes a C++ source that holds the stub's bytes, so that kosetup carries its stub wherever it
# is copied or installed. Run as a script at every build:
#   cmake -DSTUB=stub.exe -DVERSION_FILE=stub.version -DOUTPUT=embedded_stub_data.cpp -P embed-stub.cmake
# A missing stub gives an empty image (kosetup then asks for --stub). The output is rewritten
# only when its content changes, so an unchanged stub costs no recompilation.
set(bytes "0")
set(size 0)
set(sha "")
set(version "")
if(EXISTS "${STUB}")
  file(READ "${STUB}" hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR size "${digits} / 2")
  # Sixteen bytes a line keeps the generated file readable in a diff and quick to compile.
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "((0x..,){16})" "\\1\n" bytes "${bytes}")
  file(SHA256 "${STUB}" sha)
  if(EXISTS "${VERSION_FILE}")
    file(STRINGS "${VERSION_FILE}" version LIMIT_COUNT 1)
  endif()
endif()
set(text "// Generated from ${STUB} by cmake/embed-stub.cmake.
#include \"builder/embedded_stub.h\"

namespace ko {

namespace {
const unsigned char Bytes[] = {
${bytes}};
} // namespace

TEmbeddedStub EmbeddedStub() {
    return {Bytes, ${size}, \"${version}\", \"${sha}\"};
}

} // namespace ko
")
file(WRITE "${OUTPUT}.new" "${text}")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
