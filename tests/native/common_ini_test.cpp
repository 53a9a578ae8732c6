// MetaTrader 5's options in the bytes of its common.ini: the file holds the trader's login, so
// a single code unit changed outside the two values, or a file the terminal did not write in
// that shape written at all, is a fault the trader pays for.
#include "engine/common_ini.h"

#include <gtest/gtest.h>

using namespace ko;

namespace {

std::vector<uint8_t> Bytes(std::u16string_view text, bool bom = true) {
    std::vector<uint8_t> bytes;
    if (bom)
        bytes = {0xFF, 0xFE};
    for (char16_t c : text) {
        bytes.push_back(uint8_t(c & 0xFF));
        bytes.push_back(uint8_t(c >> 8));
    }
    return bytes;
}

std::vector<uint8_t> Raw(std::string_view bytes) {
    return {bytes.begin(), bytes.end()};
}

// As a terminal writes it: an empty first line, the login and a server name beyond ASCII, every
// key of [Experts], and sections before and after it with an "Enabled" of their own.
const std::u16string Terminal =
    u"\r\n[Common]\r\nLogin=51234567\r\nServer=\u0411\u0440\u043E\u043A\u0435\u0440-Demo "
    u"\U0001F4C8\r\nProxyEnable=0\r\n[Charts]\r\nEnabled=0\r\n[Experts]\r\nAllowDllImport=0\r\n"
    u"Enabled=0\r\nAccount=0\r\nProfile=0\r\nChart=0\r\nApi=0\r\nDisableOpenCL=0\r\n"
    u"WebRequest=0\r\nWebRequestUrl=3F0A9C\r\n[News]\r\nEnabled=0\r\n";

// Terminal with each of Changes (a line of [Experts] and what it becomes) made once, after
// the [Experts] heading.
std::u16string With(std::initializer_list<std::pair<std::u16string, std::u16string>> changes,
                    std::u16string text = Terminal) {
    const size_t experts = text.find(u"[Experts]");
    for (const auto& [from, to] : changes) {
        const size_t at = text.find(from, experts);
        text.replace(at, from.size(), to);
    }
    return text;
}

struct TCase {
    const char* Name;
    std::vector<uint8_t> File;
    std::string Options;
    TCommonIniEdit Result;
    std::vector<uint8_t> Expected; // empty: the file as it was
};

} // namespace

TEST(CommonIni, OnlyTheTwoValuesChangeAndAnyOtherShapeIsLeftAlone) {
    const std::u16string on =
        With({{u"AllowDllImport=0", u"AllowDllImport=1"}, {u"\r\nEnabled=0", u"\r\nEnabled=1"}});
    const std::u16string noDll = With({{u"AllowDllImport=0\r\n", u""}});
    using R = TCommonIniEdit;
    const TCase cases[] = {
        {"both set; every other option, WebRequest among them, stays", Bytes(Terminal), "11111111",
         R::Done, Bytes(on)},
        {"both cleared", Bytes(on), "0    0", R::Done, Bytes(Terminal)},
        {"any other character clears", Bytes(on), "x    -", R::Done, Bytes(Terminal)},
        {"a blank keeps", Bytes(Terminal), "     1", R::Done,
         Bytes(With({{u"AllowDllImport=0", u"AllowDllImport=1"}}))},
        {"a short text keeps the rest", Bytes(Terminal), "1", R::Done,
         Bytes(With({{u"\r\nEnabled=0", u"\r\nEnabled=1"}}))},
        {"nothing to set", Bytes(Terminal), "  11 ", R::Done, {}},
        {"the key as the last line, without a line end", Bytes(u"\r\n[Experts]\r\nEnabled=0"), "1",
         R::Done, Bytes(u"\r\n[Experts]\r\nEnabled=1")},
        {"a value of another shape", Bytes(u"\r\n[Experts]\r\nEnabled=10\r\n"), "0", R::NoKey, {}},
        {"no value", Bytes(u"\r\n[Experts]\r\nEnabled=\r\n"), "0", R::NoKey, {}},
        {"a key in another letter case",
         Bytes(u"\r\n[Experts]\r\nenabled=0\r\n"),
         "1",
         R::NoKey,
         {}},
        {"a section name in another letter case",
         Bytes(u"\r\n[EXPERTS]\r\nEnabled=0\r\n"),
         "1",
         R::NoSection,
         {}},
        {"Enabled of another section only",
         Bytes(u"\r\n[News]\r\nEnabled=0\r\n[Experts]\r\nApi=0\r\n"),
         "1",
         R::NoKey,
         {}},
        {"Enabled of the next section only",
         Bytes(u"\r\n[Experts]\r\nApi=0\r\n[News]\r\nEnabled=0"),
         "1",
         R::NoKey,
         {}},
        {"one key missing: neither is set", Bytes(noDll), "1    1", R::NoKey, {}},
        {"a missing key that stays blank", Bytes(noDll), "1", R::Done,
         Bytes(With({{u"\r\nEnabled=0", u"\r\nEnabled=1"}}, noDll))},
        {"a longer key is another key",
         Bytes(u"\r\n[Experts]\r\nEnabledX=0\r\n"),
         "1",
         R::NoKey,
         {}},
        {"a key inside a line", Bytes(u"\r\n[Experts]\r\nXEnabled=0\r\n"), "1", R::NoKey, {}},
        {"no [Experts]",
         Bytes(u"\r\n[Common]\r\nLogin=51234567\r\n[News]\r\nEnabled=0\r\n"),
         "1",
         R::NoSection,
         {}},
        {"a section of a longer name",
         Bytes(u"\r\n[Experts2]\r\nEnabled=0\r\n"),
         "1",
         R::NoSection,
         {}},
        {"UTF-8", Raw("\xEF\xBB\xBF\r\n[Experts]\r\nEnabled=0\r\n"), "1", R::NotUtf16, {}},
        {"UTF-16 without a byte-order mark",
         Bytes(u"[Experts]\r\nEnabled=0\r\n", false),
         "1",
         R::NotUtf16,
         {}},
        {"big-endian", {0xFE, 0xFF, 0, '[', 0, 'E'}, "1", R::NotUtf16, {}},
        {"an odd length", {0xFF, 0xFE, '['}, "1", R::NotUtf16, {}},
        {"empty", {}, "1", R::NotUtf16, {}},
    };
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.Name);
        std::vector<uint8_t> file = test.File;
        EXPECT_EQ(SetMt5ExpertOptions(file, test.Options), test.Result);
        EXPECT_EQ(file, test.Expected.empty() ? test.File : test.Expected);
    }
}
