// What the engine tests share: a package written by the builder's own writer into a temporary
// Setup.exe and loaded back with its install run, fresh product names, the progress lines of a run,
// and reading back what a run left on disk, in shortcuts and in the registry.
#pragma once

#include "base/file_stream.h"
#include "builder/package_writer.h"
#include "engine/install_run.h"
#include "engine/sys_folders.h"
#include "engine/temp_names.h"
#include "engine/uninstall_registry.h"
#include "package/windows_names.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <objidl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>
#include <vector>

namespace kotest {

using Bytes = std::vector<uint8_t>;

// 2019-05-06 07:08:09 and 2021-03-04 10:20:30 UTC.
inline constexpr uint64_t StoredCreation = 132016000890000000ULL;
inline constexpr uint64_t StoredLastWrite = 132593268300000000ULL;

inline std::string Backslashes(std::string path) {
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

inline Bytes ReadBytes(const std::string& path) {
    ko::TFileStream file(path, ko::TFileMode::OpenRead);
    Bytes bytes(static_cast<size_t>(file.Size()));
    file.ReadBuffer(bytes.data(), file.Size());
    return bytes;
}

inline std::string ReadText(const std::string& path) {
    const Bytes bytes = ReadBytes(path);
    return {bytes.begin(), bytes.end()};
}

inline void WriteBytes(const std::string& path, const Bytes& bytes) {
    ko::TFileStream file(path, ko::TFileMode::Create);
    file.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

inline Bytes Pattern(size_t size, uint8_t seed) {
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(seed + i * 31);
    return bytes;
}

inline bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Deletes a folder with everything in it, read-only files included.
// The files of Folder (not below it) whose names end as the transaction's own files do.
inline std::vector<std::string> Leftovers(const std::string& folder) {
    std::vector<std::string> found;
    WIN32_FIND_DATAA entry;
    const HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return found;
    do {
        const std::string name = entry.cFileName;
        if (name.find(".~ko-") != std::string::npos)
            found.push_back(name);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return found;
}

inline void RemoveTree(const std::string& path) {
    if (!Exists(path))
        return;
    std::string names = path;
    names.push_back('\0');
    SHFILEOPSTRUCTA operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = names.c_str();
    operation.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    SHFileOperationA(&operation);
}

struct TTimes {
    uint64_t Creation = 0;
    uint64_t LastWrite = 0;
};

inline TTimes FileTimes(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    const auto join = [](FILETIME t) {
        return (uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return {join(data.ftCreationTime), join(data.ftLastWriteTime)};
}

inline void SetLastWriteTime(const std::string& path, uint64_t time) {
    const HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    FILETIME t = {static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
    SetFileTime(file, nullptr, nullptr, &t);
    CloseHandle(file);
}

struct TShortcut {
    std::string Target;
    std::string WorkingDirectory;
};

// A shell shortcut read back through the shell-link object.
inline TShortcut ReadShortcut(const std::string& path) {
    TShortcut result;
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return result;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        const std::wstring name(path.begin(), path.end());
        if (SUCCEEDED(file->Load(name.c_str(), STGM_READ))) {
            char text[MAX_PATH] = {};
            link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
            result.Target = text;
            text[0] = 0;
            link->GetWorkingDirectory(text, MAX_PATH);
            result.WorkingDirectory = text;
        }
        file->Release();
    }
    link->Release();
    return result;
}

inline std::string RegistryString(const std::string& key, const char* name) {
    char value[1024] = {};
    DWORD size = sizeof value - 1;
    RegGetValueA(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size);
    return value;
}

inline bool RegistryKeyExists(const std::string& key) {
    HKEY handle;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(handle);
    return true;
}

inline std::string UniqueName(const std::string& prefix) {
    static int counter = 0;
    return prefix + " " + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
}

// A product of its own per test: its package in a work folder, its program folder, menu folder
// and registry key removed again afterwards.
class TEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        Content.ProductName = UniqueName("KoEngine Test");
        for (size_t i = 0; i < Content.Key.size(); ++i)
            Content.Key[i] = static_cast<uint8_t>(0x5A + i * 7);
        Work = ko::TempFolder() + Content.ProductName + "\\";
        // Wine reuses process ids: an earlier test process that died may have left this name's
        // folders and key behind.
        RemoveProduct();
        CreateDirectoryA(Work.c_str(), nullptr);
        Setup = Work + "Setup.exe";
    }

    void TearDown() override {
        RemoveProduct();
        CoUninitialize();
    }

    // Removes by the product's folder name, which is never empty: with an empty one the two
    // folders would be Program Files and the programs menu themselves.
    void RemoveProduct() {
        const std::string name = ko::ProductFolderName(Content.ProductName);
        RemoveTree(ko::GetSystemFolder(ko::sfProgramFiles, false) + "\\" + name);
        RemoveTree(ko::GetSystemFolder(ko::sfCommonPrograms, false) + "\\" + name);
        RemoveTree(Work);
        ko::DeleteUninstallKey(name);
    }

    ko::TStoredSource Source(const Bytes& content) {
        const std::string path = Work + "source" + std::to_string(++FSources);
        WriteBytes(path, content);
        return {path, static_cast<int64_t>(content.size()), {StoredCreation, StoredLastWrite}};
    }

    ko::TPackageFile& AddFile(const std::string& path, const Bytes& content) {
        ko::TPackageFile file;
        file.Path = path;
        file.Data = Source(content);
        return Content.Files.emplace_back(std::move(file));
    }

    // A run item: the recording program stored in the package, or an external path.
    ko::TPackageExec& AddExec(const std::string& path, const std::string& title,
                              const std::string& parameters, uint8_t stage, bool external = false) {
        ko::TPackageExec exec;
        exec.External = external;
        exec.Path = path;
        exec.Title = title;
        exec.Parameters = parameters;
        exec.Stage = stage;
        if (!external)
            exec.Data = Source(ReadBytes(Backslashes(KOSETUP_RECORD_RUN)));
        return Content.Execs.emplace_back(std::move(exec));
    }

    // Writes Setup.exe (a small stand-in stub, the package and the data) and loads it.
    void Build() {
        Stub = Pattern(4096, 0x21);
        Stub[0] = 'M';
        Stub[1] = 'Z';
        {
            ko::TFileStream output(Setup, ko::TFileMode::Create);
            ko::WriteSetup(output, Stub, Content, nullptr);
        }
        Data.LoadFromFile(Setup);
        Run.OnProgress = [this](ko::TKoRun&, const std::string& text, int percent) {
            Lines.push_back(text);
            Percents.push_back(percent);
        };
    }

    std::string App() { return ko::ProgramFolder(Data); }
    std::string Menu() { return ko::MenuFolder(Data); }

    ko::TPackageContent Content;
    ko::TKoInstall Data;
    ko::TKoInstallRun Run{Data};
    std::string Work;
    std::string Setup;
    Bytes Stub;
    std::vector<std::string> Lines;
    std::vector<int> Percents;

private:
    int FSources = 0;
};

// Two terminal folders in the work folder; the second holds a terminal.exe.
class TTwoTerminalsTest : public TEngineTest {
protected:
    void SetUp() override {
        TEngineTest::SetUp();
        TerminalA = Work + "Terminal A";
        TerminalB = Work + "Terminal B";
        CreateDirectoryA(TerminalA.c_str(), nullptr);
        CreateDirectoryA(TerminalB.c_str(), nullptr);
        WriteBytes(TerminalB + "\\terminal.exe", Bytes{'M', 'Z'});
    }

    std::string TerminalA, TerminalB;
};

} // namespace kotest
