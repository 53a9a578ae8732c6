// A DLL loads only when every DLL it imports loads too. Windows brings its own; anything else
// must come with the package, or MetaTrader fails to load the vendor's DLL with error 126 on the
// trader's machine while it loads fine on the vendor's, where a compiler installed the rest. The
// Visual C++ runtime is the usual case.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ko {

// Whether Name (any letter case) is a DLL every Windows since 7 carries, an API set the loader
// resolves, or the Universal C runtime, part of Windows 10 and later.
bool IsWindowsDll(std::string_view name);

// Whether Name is a DLL of the Visual C++ runtime redistributable (VCRUNTIME140.dll,
// MSVCP140.dll...), which Windows lacks until some installer adds it.
bool IsVisualCppRuntime(std::string_view name);

// A warning about a DLL that imports Imports when the package ships the files named Shipped (any
// letter case): a sentence beginning with "imports", naming each import that is neither
// Windows' own nor shipped, and what the trader would see; "" when none is missing.
std::string MissingImportsWarning(const std::vector<std::string>& imports,
                                  const std::vector<std::string>& shipped);

} // namespace ko
