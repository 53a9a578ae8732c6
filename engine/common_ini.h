// MetaTrader 5's expert options in its config\common.ini: the keys that stand for the package's
// option characters, and the edit of their values in the file's bytes. Portable: the edit is
// plain text work, tested natively.
#pragma once

#include "base/ui_texts.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ko {

// An option of the package's option text that MetaTrader 5 has: its position in the text
// (from 1), the start of its line in the [Experts] section, and the key of the Options dialog's
// caption among the wizard's texts.
struct TMt5ExpertOption {
    size_t Position;
    const char16_t* Key;
    const char* Caption;
};

inline constexpr TMt5ExpertOption Mt5ExpertOptions[] = {
    {1, u"\nEnabled=", "page.finish.mt5_trading"},
    {6, u"\nAllowDllImport=", "page.finish.mt5_dll_imports"},
};

// The options of Mt5ExpertOptions (bit i for the i-th) that Options, the package's option text,
// turns on ("1"), or with On false those it turns off (any character but "1" and a blank; a
// position beyond the text is a blank).
unsigned Mt5Options(const std::string& options, bool on);

// What the trader does by hand when MetaTrader 5 did not take the options of Mask that the product
// Name turns on: which boxes to tick, in the language of Texts.
std::string Mt5OptionsNote(unsigned mask, const std::string& name, const TUiTexts& texts);

// Why a file is left as it was, in the order OverrideCommonIni names the reasons.
enum class TCommonIniEdit { Done, NotUtf16, NoSection, NoKey };

// Sets the keys of Mt5ExpertOptions in the [Experts] section of File (the bytes of a
// common.ini) from Options, the package's option text: "1" makes a value 1, a blank (or no
// character at that position) leaves it, any other character makes it 0. Every other code unit
// stays as it was. File is changed only when the result is Done: it must be UTF-16LE with a
// byte-order mark (else NotUtf16), hold a line "[Experts]" (NoSection) and in that section a
// line "Key=0" or "Key=1" for every option to set (NoKey). Headings and keys match in the
// terminal's own letter case only.
TCommonIniEdit SetMt5ExpertOptions(std::vector<uint8_t>& file, const std::string& options);

} // namespace ko
