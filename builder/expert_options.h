// The eight options of MetaTrader's Expert Advisors tab, in the order the package's expert
// options string holds them, each with the manifest key that sets it by name. Vendors set
// "Allow DLL imports" far more than any other, and a position in "     1" is easy to miscount.
#pragma once

#include <array>
#include <string_view>

namespace ko {

struct TExpertOption {
    std::string_view Key;   // in [metatrader], such as "allow_dll_imports"
    std::string_view Title; // as the terminal's options dialog words it
};

// In the string's order: the first option is its first character.
const std::array<TExpertOption, 8>& ExpertOptions();

} // namespace ko
