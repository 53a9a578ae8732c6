#include "engine/private_folder.h"

#include "base/errors.h"
#include "base/win32_util.h"
#include "engine/file_utils.h"
#include "engine/temp_names.h"

#include <windows.h>

#include <sddl.h>

namespace ko {

namespace {

// Full control for the system, the administrators and the folder's owner, nothing inherited
// from the temporary folder (in which every user may create and, as creator, keep rights).
const wchar_t PrivateDacl[] = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;OW)";

// A few tries: a random 128-bit name is taken only by someone who already controls the run.
constexpr int CreateTries = 4;

bool CreatePrivateDirectory(const std::string& path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, nullptr, FALSE};
    // Where the system cannot read the descriptor the folder gets the temporary folder's
    // rights; its unpredictable name still keeps others from preparing it.
    if (ConvertStringSecurityDescriptorToSecurityDescriptorW(PrivateDacl, SDDL_REVISION_1,
                                                             &descriptor, nullptr))
        attributes.lpSecurityDescriptor = descriptor;
    const bool created = CreateDirectoryW(Wide(path).c_str(), &attributes);
    if (descriptor)
        LocalFree(descriptor);
    return created;
}

} // namespace

std::string PrivateFolderName() {
    const std::string random = RandomHex(16);
    if (random.empty())
        throw EKoError("Cannot get random bytes for a temporary folder: " +
                       SystemMessage(GetLastError()));
    return "KoSetup-" + random;
}

TPrivateFolder::TPrivateFolder(const std::string& parent) {
    const std::string folder = IncludeTrailingDelimiter(parent.empty() ? TempFolder() : parent);
    for (int i = 0; i < CreateTries; ++i) {
        const std::string path = folder + PrivateFolderName();
        if (CreatePrivateDirectory(path)) {
            FPath = path;
            return;
        }
    }
    throw EKoError(FileError("Cannot create a temporary folder in", folder, GetLastError()));
}

TPrivateFolder::~TPrivateFolder() {
    if (FKeep)
        return;
    for (const std::string& file : FFiles)
        DeleteFilePath(file);
    RemoveFolder(FPath);
}

std::string TPrivateFolder::NewFile(const std::string& name) {
    FFiles.push_back(FPath + "\\" + name);
    return FFiles.back();
}

} // namespace ko
