// The uninstaller's self-removal script: its text, and the script itself under cmd.
#include "base/win32_util.h"
#include "engine/file_utils.h"
#include "engine/self_delete.h"
#include "engine/temp_names.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>

using namespace ko;

TEST(SelfDelete, ScriptQuotesEveryPathAndEndsItsRetries) {
    const std::string script =
        SelfDeleteScript("C:\\Program Files (x86)\\100% EA\\Uninstall.exe",
                         "C:\\Users\\A B\\Temp Dir\\20240102030405006.bat", true);
    const std::string exe = "\"C:\\Program Files (x86)\\100%% EA\\Uninstall.exe\"";
    EXPECT_EQ(script, "set tries=0\r\n"
                      ":repeat\r\n"
                      "del " +
                          exe +
                          "\r\n"
                          "if not exist " +
                          exe +
                          " goto removed\r\n"
                          "set /a tries+=1\r\n"
                          "if %tries% geq 180 goto removed\r\n"
                          "ping -n 2 127.0.0.1 >nul\r\n"
                          "goto repeat\r\n"
                          ":removed\r\n"
                          "rmdir \"C:\\Program Files (x86)\\100%% EA\\\"\r\n"
                          "del \"C:\\Users\\A B\\Temp Dir\\20240102030405006.bat\"\r\n");
    EXPECT_EQ(SelfDeleteScript("C:\\A\\u.exe", "C:\\T\\1.bat", false).find("rmdir"),
              std::string::npos);
}

// The script itself under cmd, in folders with blanks: the locked file is retried until it
// comes free, then it, the emptied folder and the script are gone. cmd reads the script in the
// OEM code page: the program folder holds Cyrillic and Chinese letters, which that code page
// lacks, so those paths go short; the "é" of the script's folder must reach cmd in the OEM
// code page.
TEST(SelfDelete, ScriptRemovesFileFolderAndItselfOnceTheFileComesFree) {
    const std::string root = TempFolder() + "kosetup self delete";
    std::system(("cmd /c rmdir /s /q \"" + root + "\" 2>nul").c_str());
    CreateDirectoryW(Wide(root).c_str(), nullptr);
    const std::string folder = root + "\\Program Проба 中文";
    const std::string scripts = root + "\\Temp Café";
    CreateDirectoryW(Wide(folder).c_str(), nullptr);
    CreateDirectoryW(Wide(scripts).c_str(), nullptr);
    const std::string exe = folder + "\\Uninstall.exe";
    const std::string batch = scripts + "\\20240102030405006.bat";
    HANDLE held = CreateFileW(Wide(exe).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    HANDLE script =
        CreateFileW(Wide(batch).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    const std::string text = SelfDeleteScript(exe, batch, true);
    SCOPED_TRACE(text);
    DWORD written = 0;
    ::WriteFile(script, text.data(), DWORD(text.size()), &written, nullptr);
    CloseHandle(script);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::wstring commandLine = Wide("cmd /c \"\"" + batch + "\"\"");
    ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                               CREATE_NO_WINDOW, nullptr, Wide(root).c_str(), &startup, &process));
    // Still held after a first try: the script must wait, not give up or go on.
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 1500), DWORD(WAIT_TIMEOUT));
    EXPECT_TRUE(DirectoryExists(folder));
    CloseHandle(held);
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 20000), DWORD(WAIT_OBJECT_0));
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    EXPECT_FALSE(FileExists(exe));
    EXPECT_FALSE(DirectoryExists(folder));
    EXPECT_FALSE(FileExists(batch));
    RemoveFolder(scripts);
    RemoveFolder(root);
}
