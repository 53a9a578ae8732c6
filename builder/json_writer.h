// A small JSON writer for "kosetup list --json": objects, arrays and values with the commas,
// indentation and string escapes handled. Strings are UTF-8.
#pragma once

#include <cstdint>
#include <ostream>
#include <string_view>
#include <vector>

namespace ko {

class TJsonWriter {
public:
    explicit TJsonWriter(std::ostream& out) : FOut(out) {}

    void BeginObject() { Open('{'); }
    void BeginArray() { Open('['); }
    void End();
    // The name of the next value inside an object.
    TJsonWriter& Key(std::string_view key);
    void String(std::string_view utf8);
    void Number(int64_t value);
    void Boolean(bool value);
    void Null();

private:
    void Open(char bracket);
    void BeforeValue();
    void Quote(std::string_view text);

    std::ostream& FOut;
    std::vector<char> FOpen; // the closing brackets still due
    bool FFirst = true;
    bool FAfterKey = false;
};

} // namespace ko
