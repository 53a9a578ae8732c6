// The stub started under its two kinds of names, and the loader's fallback copy.
#include "engine/file_utils.h"
#include "engine/temp_names.h"
#include "package/format.h"
#include "package/package_writer.h"
#include "package/scramble.h"
#include "package/tag_stream.h"
#include "startup/startup.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

using namespace ko;

namespace {

std::string StubPath() {
    std::string path = KOSETUP_STUB;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// The stub followed by a package that names the product.
std::vector<uint8_t> Installer(const std::string& productName) {
    TMemoryStream file(ReadAll(StubPath()));
    const uint32_t stubSize = static_cast<uint32_t>(file.Size());
    PutLE32(file.Data().data() + format::PackageOffsetPos, stubSize);
    file.Seek(0, TSeekOrigin::End);
    TMemoryStream records;
    TTagStreamAdapter writer(records);
    writer.WriteMagic(format::MagicPackage);
    writer.WriteString(format::ptProductName, EncodeString(productName));
    writer.WriteTag(format::TagEnd, 0);
    SealRecords(records.Data());
    file.WriteBuffer(records.Data().data(), records.Size());
    return file.Data();
}

// A bare header whose pointer at 136 leads to the magic just behind it; positioned at the end.
TMemoryStream PackageStart() {
    TMemoryStream file(std::vector<uint8_t>(140, 0));
    PutLE32(file.Data().data() + format::PackageOffsetPos, 140);
    file.Seek(0, TSeekOrigin::End);
    TTagStreamAdapter(file).WriteMagic(format::MagicPackage);
    return file;
}

std::string WorkFolder() {
    std::string folder = TempFolder() + "kosetup-startup-test\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

// Starts Path, waits for a top-level window with Caption, closes it and returns true when it
// appeared within the timeout.
bool ShowsWindow(const std::string& path, const std::wstring& caption) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string commandLine = "\"" + path + "\"";
    if (!CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process))
        return false;
    HWND window = nullptr;
    for (int i = 0; i < 300 && !window; ++i) {
        window = FindWindowW(nullptr, caption.c_str());
        if (!window && WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0)
            break;
    }
    if (window)
        PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return window != nullptr;
}

} // namespace

TEST(Startup, ModeComesFromTheFileNameOnly) {
    EXPECT_TRUE(IsUninstallName("C:\\Program Files\\X\\Uninstall.exe"));
    EXPECT_TRUE(IsUninstallName("C:\\x\\UNINSTALL.EXE"));
    EXPECT_TRUE(IsUninstallName("uninstall.exe"));
    EXPECT_FALSE(IsUninstallName("C:\\Uninstall.exe\\Setup.exe"));
    EXPECT_FALSE(IsUninstallName("C:\\x\\Uninstall (2).exe"));
    EXPECT_FALSE(IsUninstallName("C:\\x\\Setup.exe"));
}

TEST(Startup, TheStubHasItsHeaderAt256AndReadsItsOwnPackage) {
    const std::vector<uint8_t> stub = ReadAll(StubPath());
    ASSERT_GT(stub.size(), 256u);
    EXPECT_EQ(GetLE32(stub.data() + 0x3C), format::StubPeHeaderOffset);
    EXPECT_TRUE(std::all_of(stub.begin() + 128, stub.begin() + 256, [](uint8_t b) { return !b; }));

    const std::string setup = WorkFolder() + "Setup.exe";
    WriteAll(setup, Installer("Alpha EA"));
    EXPECT_TRUE(ShowsWindow(setup, L"Install - Alpha EA"));
    // Every Setup.exe carries it: what it gains is downloaded by every customer of every vendor.
    EXPECT_LT(stub.size(), 424000u);
}

TEST(Startup, TheStubNamedUninstallReadsItsLog) {
    TMemoryStream file(ReadAll(StubPath()));
    file.Seek(0, TSeekOrigin::End);
    TKoInstall install;
    install.ProductName = "Beta Indicator";
    install.AppendUninstallLog(file, {{"C:\\nowhere\\file.txt", false}});
    const std::string uninstaller = WorkFolder() + "UNINSTALL.EXE";
    WriteAll(uninstaller, file.Data());
    EXPECT_TRUE(ShowsWindow(uninstaller, L"Uninstall - Beta Indicator"));
}

// The private folders in the temporary folder.
int PrivateFolders() {
    int count = 0;
    WIN32_FIND_DATAA entry;
    const HANDLE search = FindFirstFileA((TempFolder() + "KoSetup-*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    do
        ++count;
    while (FindNextFileA(search, &entry));
    FindClose(search);
    return count;
}

// A program file another program holds open for writing cannot be loaded denying writes: it is
// copied into a new private folder of the temporary folder, one per start, and loaded from
// there; the copy and its folder go once the data is gone. A program file that opens needs no
// copy; one that cannot even be copied leaves nothing behind.
TEST(Startup, AnInstallerThatCannotBeOpenedIsLoadedFromAPrivateCopy) {
    const int before = PrivateFolders();
    const std::string setup = WorkFolder() + "Held.exe";
    WriteAll(setup, Installer("Gamma"));
    const HANDLE held =
        CreateFileA(setup.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::string copies[2];
    for (std::string& copy : copies) {
        std::unique_ptr<TPrivateFolder> folder;
        {
            TKoInstall install;
            ASSERT_TRUE(LoadInstallWithFallback(install, setup, folder));
            EXPECT_EQ(install.ProductName, "Gamma");
            ASSERT_TRUE(folder);
            copy = install.FileName;
            EXPECT_EQ(copy.rfind(TempFolder() + "KoSetup-", 0), 0u) << copy;
            EXPECT_EQ(ExtractFileDir(copy).size(), TempFolder().size() + 8 + 32) << copy;
            EXPECT_EQ(copy.substr(copy.size() - 4), ".dat");
        }
        EXPECT_NE(GetFileAttributesA(copy.c_str()), INVALID_FILE_ATTRIBUTES);
        folder.reset();
        EXPECT_EQ(GetFileAttributesA(ExtractFileDir(copy).c_str()), INVALID_FILE_ATTRIBUTES);
    }
    EXPECT_NE(ExtractFileDir(copies[0]), ExtractFileDir(copies[1]));
    CloseHandle(held);

    std::unique_ptr<TPrivateFolder> folder;
    TKoInstall install;
    EXPECT_TRUE(LoadInstallWithFallback(install, setup, folder));
    EXPECT_EQ(install.FileName, setup);
    EXPECT_FALSE(folder);
    EXPECT_FALSE(LoadInstallWithFallback(install, WorkFolder() + "missing.exe", folder));
    EXPECT_FALSE(folder);
    EXPECT_EQ(PrivateFolders(), before);
}

TEST(Startup, ARecordLargerThanMemoryNamesTheFileNotTheLibrary) {
    // A licence record claiming 1.8 GB in a file that large (sparse): the count lies within the
    // file, but a 32-bit process cannot hold the text.
    constexpr uint32_t Claimed = 0x70000000;
    TMemoryStream head = PackageStart();
    TTagStreamAdapter writer(head);
    writer.WriteTag(format::ptLicenseText, format::ttString);
    WriteLE32(head, Claimed);
    const std::string path = WorkFolder() + "huge-record.exe";
    WriteAll(path, head.Data());
    const HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER end;
    end.QuadPart = head.Size() + Claimed;
    ASSERT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file));
    CloseHandle(file);

    TKoInstall install;
    try {
        install.LoadFromFile(path);
        ADD_FAILURE() << "loaded";
    } catch (const EKoError& e) {
        EXPECT_STREQ(e.what(), (path + " is damaged: a record claims 1879048192 bytes").c_str());
    }
    DeleteFileA(path.c_str());
}

TEST(Startup, AnyNestingDepthLoadsWithinTheStubsStack) {
    // 300,000 nested lists under an unknown id, then the product name.
    constexpr int Depth = 300000;
    TMemoryStream file = PackageStart();
    TTagStreamAdapter writer(file);
    for (int i = 0; i < Depth; ++i)
        writer.WriteTag(99, format::ttList);
    for (int i = 0; i < Depth; ++i)
        writer.WriteTag(format::TagEnd, 0);
    writer.WriteString(format::ptProductName, EncodeString("Deep"));
    writer.WriteTag(format::TagEnd, 0);
    TKoInstall install;
    install.LoadFromStream(file);
    EXPECT_EQ(install.ProductName, "Deep");
}
