#include "engine/shell_link.h"

#include "base/com_ptr.h"
#include "base/errors.h"
#include "base/win32_util.h"
#include "engine/file_utils.h"

#include <windows.h>

#include <objidl.h>
#include <shlobj.h>

namespace ko {

namespace {

// The interface ids come from __uuidof rather than libuuid: one id from that library brings
// along every id of its object file, 40 KB in every Setup.exe.

[[noreturn]] void Fail(const std::string& fileName, HRESULT result) {
    throw EKoError(FileError("Cannot create shortcut", fileName, static_cast<DWORD>(result)));
}

} // namespace

void TShellLink::SaveLink(const std::string& fileName) const {
    TComPtr<IShellLinkW> link;
    HRESULT result = CoCreateInstance(__uuidof(ShellLink), nullptr, CLSCTX_INPROC_SERVER,
                                      __uuidof(IShellLinkW), reinterpret_cast<void**>(&link));
    if (FAILED(result))
        Fail(fileName, result);
    // The order of the setters is the one the shell-link object has always been fed in.
    link->SetArguments(Wide(Arguments).c_str());
    link->SetShowCmd(ShowCommand);
    link->SetWorkingDirectory(Wide(WorkingDirectory).c_str());
    link->SetPath(Wide(Target).c_str());
    link->SetDescription(Wide(Description).c_str());
    link->SetHotkey(Hotkey);
    link->SetIconLocation(Wide(IconPath).c_str(), IconIndex);

    TComPtr<IPersistFile> file;
    result = link->QueryInterface(__uuidof(IPersistFile), reinterpret_cast<void**>(&file));
    if (FAILED(result))
        Fail(fileName, result);
    file->Save(Wide(fileName).c_str(), TRUE);
}

void SaveShortcut(TFileTransaction& transaction, const std::string& linkPath,
                  const std::string& target) {
    const std::string folder = ExtractFilePath(linkPath);
    transaction.EnsureFolder(folder);
    // The shell would fail to save without a word, leaving a shortcut that is logged for
    // removal but was never written.
    if (!DirectoryExists(folder))
        Fail(linkPath, HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
    TShellLink link;
    link.Target = target;
    link.WorkingDirectory = ExtractFileDir(target);
    transaction.WriteFile(linkPath, [&](const std::string& temp) { link.SaveLink(temp); });
}

} // namespace ko
