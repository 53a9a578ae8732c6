// The program entry: start-up picks the mode from the program's own name and reads the command
// line; without arguments it loads the data appended to the program file and hands it to the
// wizard form, which runs until its window closes; with /S it runs unattended.
#include "base/errors.h"
#include "base/log_file.h"
#include "base/system_dll.h"
#include "base/win32_util.h"
#include "engine/file_utils.h"
#include "startup/command_line.h"
#include "startup/startup.h"
#include "startup/unattended.h"
#include "ui/application.h"
#include "ui/message_box.h"

#include "wizard/form_installer.h"

#include <objbase.h>
#include <windows.h>

#include <cstdlib>
#include <exception>
#include <memory>
#include <new>

using namespace ko;

namespace {

// The wizard until its window closes. Returns 1 when the installer could not be loaded or its
// run failed, ExitAnotherRun when another run of the product is going on.
int RunWizard(const std::string& language, TLogFile* log) {
    // Only the wizard's windows need the common controls and the rich-edit library: loading
    // them cost every unattended run about 15 ms of its start-up under Wine.
    ui::InitToolkit();
    TProductLock lock;
    TFormInstaller form;
    form.Log = log;
    bool busy = false;
    if (!FormCreate(form, lock, busy, language))
        return busy ? ExitAnotherRun : 1;
    form.Show();
    ui::RunMessageLoop(form);
    form.FormDestroy();
    return form.RunHasFailed() ? ExitRunFailed : ExitDone;
}

// Reads the command line and runs what it asks for; returns the exit code. Without /S every
// fault is shown in a message box; with /S only the log file, if there is one, hears of it.
int Run() {
    const std::string exePath = RunningProgramPath();
    const bool uninstall = IsUninstallName(exePath);
    const TCommandLine commandLine =
        ParseCommandLine(SplitCommandLine(Utf8(GetCommandLineW())), uninstall);
    std::unique_ptr<TLogFile> log;
    if (!commandLine.LogFile.empty()) {
        try {
            log = std::make_unique<TLogFile>(commandLine.LogFile);
        } catch (const EKoError& e) {
            if (!commandLine.Silent)
                ui::ShowErrorText(nullptr, e.what());
            return ExitBadCommandLine;
        }
    }
    // The translations the boxes below speak.
    std::unique_ptr<TKoData> data;
    if (!commandLine.Error.empty()) {
        if (log)
            log->WriteLine(commandLine.Error);
        if (!commandLine.Silent)
            ui::ShowErrorText(nullptr, ErrorText(commandLine, uninstall,
                                                 CommandLineTexts(exePath, uninstall,
                                                                  commandLine.Language, data)));
        return ExitBadCommandLine;
    }
    if (commandLine.Help) {
        const TUiTexts texts = CommandLineTexts(exePath, uninstall, commandLine.Language, data);
        ui::ShowMessage(nullptr, ui::TMessageKind::Information, Wide(UsageText(uninstall, texts)));
        return ExitDone;
    }
    if (!commandLine.Silent)
        return RunWizard(commandLine.Language, log.get());
    // Whatever escapes the runs ends the program without a message box.
    try {
        return uninstall ? RunSilentUninstall(exePath, log.get())
                         : RunSilentInstall(exePath, commandLine.Terminals, commandLine.Language,
                                            log.get());
    } catch (const std::exception& e) {
        if (log)
            log->WriteLine(e.what());
        return ExitRunFailed;
    }
}

} // namespace

// The default terminate handler prints the demangled type of the exception, and the demangler
// is 46 KB of every Setup.exe. Nothing here can print to a console anyway: exceptions are shown
// in message boxes, so an uncaught one ends the program plainly.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx

// The library reports its own failures (a position past the end of a string, a vector grown too
// long) through these functions. Its versions throw std::logic_error and its kin, which keep
// their message in a copy-on-write string: that string's code is 40 KB of every Setup.exe.
// These throw the program's own error instead, which the window procedures and WinMain catch
// and show like any other.
namespace std {
void __throw_bad_alloc() {
    throw bad_alloc();
}
void __throw_bad_array_new_length() {
    throw bad_array_new_length();
}
void __throw_logic_error(const char* what) {
    throw EKoError(what);
}
void __throw_invalid_argument(const char* what) {
    throw EKoError(what);
}
void __throw_length_error(const char* what) {
    throw EKoError(what);
}
void __throw_out_of_range(const char* what) {
    throw EKoError(what);
}
void __throw_out_of_range_fmt(const char* format, ...) {
    throw EKoError(format);
}
} // namespace std

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Before anything else: COM, the common controls and the shell load DLLs of their own.
    RestrictDllSearch();
    // The folder dialog and the shortcut writer need COM on this thread.
    CoInitialize(nullptr);
    int result = 1;
    try {
        result = Run();
    } catch (const std::exception& e) {
        ui::ShowErrorText(nullptr, e.what());
    }
    CoUninitialize();
    return result;
}
