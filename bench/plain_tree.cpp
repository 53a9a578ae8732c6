// The baselines of the side-by-side benchmark (scripts/bench): what a plain program does to put
// a folder tree in place and to take it away, with no package, cipher or log.
//
//   plain_tree copy SOURCE TARGET    CreateDirectoryA per folder, CopyFileA per file
//   plain_tree delete FOLDER         DeleteFileA per file, RemoveDirectoryA per folder
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Calls Visit(path, isFolder) for each entry of Folder until one fails; false when one did or
// the folder cannot be listed.
template <typename F>
bool EachEntry(const std::string& folder, F visit) {
    WIN32_FIND_DATAA entry;
    const HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    bool ok = true;
    do {
        if (std::strcmp(entry.cFileName, ".") && std::strcmp(entry.cFileName, ".."))
            ok = visit(std::string(entry.cFileName),
                       (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    } while (ok && FindNextFileA(find, &entry));
    FindClose(find);
    return ok;
}

bool Copy(const std::string& source, const std::string& target) {
    if (!CreateDirectoryA(target.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return false;
    return EachEntry(source, [&](const std::string& name, bool isFolder) {
        const std::string from = source + "\\" + name, to = target + "\\" + name;
        return isFolder ? Copy(from, to) : CopyFileA(from.c_str(), to.c_str(), FALSE) != 0;
    });
}

bool Delete(const std::string& folder) {
    return EachEntry(folder,
                     [&](const std::string& name, bool isFolder) {
                         const std::string path = folder + "\\" + name;
                         return isFolder ? Delete(path) : DeleteFileA(path.c_str()) != 0;
                     }) &&
           RemoveDirectoryA(folder.c_str());
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && !std::strcmp(argv[1], "copy"))
        return Copy(argv[2], argv[3]) ? 0 : 1;
    if (argc == 3 && !std::strcmp(argv[1], "delete"))
        return Delete(argv[2]) ? 0 : 1;
    std::fputs("usage: plain_tree copy SOURCE TARGET | delete FOLDER\n", stderr);
    return 2;
}
