// Where the program takes its DLLs from. An elevated installer usually starts from the
// Downloads folder, where anyone who can drop a file would otherwise have it loaded as a DLL
// with administrator rights: DLLs come from the system folder only.
#pragma once

#include <windows.h>

namespace ko {

// Restricts the DLL search of this process, every later LoadLibrary of the system's own
// libraries included, to the system folder, and takes the program's and the current folder
// out of it. Call it first, before anything can load a DLL.
void RestrictDllSearch();

// Loads Name (a bare file name such as L"Msftedit.dll") from the system folder only; nullptr
// when it is not there.
HMODULE LoadSystemLibrary(const wchar_t* name);

} // namespace ko
