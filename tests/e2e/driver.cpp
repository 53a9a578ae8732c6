// e2e_driver: drives the wizard of a running Setup.exe or Uninstall.exe from the outside, the
// way a user would, and checks what it shows. Runs under Wine next to the program it drives.
//
//   e2e_driver [--transcript FILE] [--pid-file FILE] [--timeout S] [--poll MS]
//              (--script FILE | COMMAND...)
//
// Each argument, or each line of the script, is one command (see Usage below). Arguments are
// separated by blanks; "..." quotes with \r \n \t \" \\ escapes, '...' quotes raw text.
// A control is named as in wizard/control_ids.h, by number, as a sum ("PanelLicense+HeadTitle")
// or as a path from a parent ("PanelLicense/HeadTitle"). Every wait and every expectation
// polls until it holds or its time is up; the first failure ends the run with exit code 1
// after saying what was expected and what was found.
#include "tests/e2e/driver_commands.h"

#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <io.h>
#include <sstream>

using namespace e2e;

namespace {

const char* const Usage = R"(commands:
  start PATH [ARG...]          start the program under test (its windows are the targets)
  spawn PATH [ARG...]          start a helper program
  wait-window CAPTION [S]      wait for a top-level window of the program; it becomes current
  wait-class CLASS [S]         wait for a top-level window of this class (any program)
  close-class CLASS [S]        close every window of this class and wait until they are gone
  caption C | expect-caption C TEXT
  enabled C | expect-enabled C | expect-disabled C
  visible C | expect-visible C | expect-invisible C
  checked C | expect-checked C | expect-unchecked C
  page | expect-page NAME      welcome information license destination review progress
                               whats-new finish
  expect-buttons PREV NEXT CANCEL   each on|off; CANCEL is CAPTION:on|off
  press C                      click a button (refused when it is disabled or hidden)
  select C                     click a radio button and expect it selected
  toggle C INDEX               tick or untick a check-list item (space key on the item)
  choose C INDEX               select a drop-down list's item
  position C | expect-position C N    a progress bar's position
  lines C | expect-lines C [LINE...]   without LINE arguments the script's following lines
                               starting with "|" are the lines (the text after "|"); list
                               and combo items read "[x] TEXT" when ticked or selected
  expect-last-line C LINE      the last of those lines
  wait-msgbox [S] | expect-msgbox CAPTION ICON TEXT [S] | answer-msgbox | expect-no-msgbox
  close                        WM_CLOSE to the current window
  wait-exit [S] | expect-exit CODE [S]   the program under test ends
  expect-windowless-exit CODE [S]   the same, showing no window until then
  expect-file PATH [S] | expect-no-file PATH | delete-file PATH | expect-held PATH [S]
  expect-locked PATH           PATH can be neither opened for writing nor deleted nor renamed
  shortcut FILE.lnk            a shell shortcut's target and working folder
  dir PATH                     the entries of a folder in the order the file system gives
  screenshot FILE.bmp           the current window (and its message box) as on the screen
  kill-pids FILE               end the processes whose ids a --pid-file run recorded
  echo TEXT
  elapsed LABEL                milliseconds since the program under test was started
  expect-answers MS SECONDS    until Next is enabled, no message waits MS for the window's reply
)";

std::wstring Widen(const std::string& text) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), wide.data(), n);
    return wide;
}

std::vector<std::wstring> ReadScript(const std::wstring& path) {
    std::ifstream in(Narrow(path), std::ios::binary);
    if (!in)
        throw EFailure(L"cannot read the script " + path);
    std::vector<std::wstring> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(Widen(line));
    }
    return lines;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    // Plain "\n" line ends: the scenarios read the output with Unix tools.
    _setmode(_fileno(stdout), _O_BINARY);
    TDriver driver;
    std::vector<std::wstring> script;
    std::wstring transcript;
    try {
        for (int i = 1; i < argc; ++i) {
            const std::wstring arg = argv[i];
            if (arg == L"--transcript" && i + 1 < argc)
                transcript = argv[++i];
            else if (arg == L"--pid-file" && i + 1 < argc)
                driver.PidFile = argv[++i];
            else if (arg == L"--timeout" && i + 1 < argc)
                driver.Timeout = _wtof(argv[++i]);
            else if (arg == L"--poll" && i + 1 < argc)
                driver.PollMs = unsigned(_wtoi(argv[++i]));
            else if (arg == L"--script" && i + 1 < argc)
                for (const std::wstring& line : ReadScript(argv[++i]))
                    script.push_back(line);
            else if (arg == L"--help" || arg == L"-h") {
                fputs(Usage, stdout);
                return 0;
            } else
                script.push_back(arg);
        }
    } catch (const EFailure& e) {
        fprintf(stderr, "e2e_driver: %s\n", Narrow(e.Message).c_str());
        return 2;
    }
    const bool passed = driver.Run(script);
    if (!transcript.empty()) {
        std::ofstream out(Narrow(transcript), std::ios::binary | std::ios::trunc);
        out << Narrow(driver.Transcript());
    }
    return passed ? 0 : 1;
}
