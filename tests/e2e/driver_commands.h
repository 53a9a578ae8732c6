// The end-to-end driver's commands: one handler per command over the windows of the program
// under test, with a transcript of every command and its result.
#pragma once

#include "tests/e2e/ui_probe.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

// A command that did not hold: what was expected and what was found.
struct EFailure {
    std::wstring Message;
    explicit EFailure(std::wstring message) : Message(std::move(message)) {}
};

// A failure that waiting cannot cure, such as a missing window.
struct EFatal : EFailure {
    using EFailure::EFailure;
};

std::string Narrow(const std::wstring& text);

class TDriver {
public:
    TDriver();
    ~TDriver();

    // Runs the lines one by one; false after the first failure (already reported).
    bool Run(const std::vector<std::wstring>& lines);
    std::wstring Transcript() const { return FTranscript; }

    std::wstring PidFile;
    double Timeout = 10;   // seconds, for every wait without its own
    unsigned PollMs = 100; // between two looks of a wait

private:
    using TArgs = std::vector<std::wstring>;
    struct TProcess {
        std::wstring Name;
        HANDLE Handle;
        DWORD Pid;
        bool UnderTest;
    };

    void Say(const std::wstring& line);
    void Execute(const TArgs& args);
    // Polls Check until it returns no complaint or the time is up; then fails with the last
    // complaint.
    void Poll(double seconds, const std::function<std::optional<std::wstring>()>& check);
    double TimeoutArg(const TArgs& args, size_t index) const;
    // Lets the program handle everything sent to it so far; fails when it stops responding.
    void Sync();

    HWND Window() const;
    HWND Control(const std::wstring& ref) const;
    std::wstring Page() const;
    std::vector<DWORD> TargetPids() const;
    void Start(const TArgs& args, bool underTest);
    TProcess* Target();
    void EndProcesses(bool keep);

    // The program under test ends with Code ("*": any); Windowless: and shows no window
    // until then.
    void ExpectExit(const TArgs& args, bool windowless);
    void ExpectLines(const TArgs& args);
    void ExpectButtons(const TArgs& args);
    void ExpectMessageBox(const TArgs& args);
    void AnswerMessageBox();
    void Toggle(const TArgs& args);
    void Dir(const TArgs& args);
    void Shortcut(const TArgs& args);
    void KillPids(const TArgs& args);
    void ClickColor(const TArgs& args);
    void ExpectVersion(const TArgs& args);
    void XdoTool(const TArgs& args);
    void ExpectFocus(const TArgs& args);
    // Asks the window again and again until Next is enabled; fails when one question waited
    // longer than the limit for its reply.
    void ExpectAnswers(const TArgs& args);

    std::map<std::wstring, std::function<void(const TArgs&)>> FCommands;
    std::vector<TProcess> FProcesses;
    HWND FWindow = nullptr;
    LARGE_INTEGER FStarted = {}; // when the last program under test was started
    std::wstring FTranscript;
    const std::vector<std::wstring>* FLines = nullptr;
    size_t FLine = 0;
};

// A path as Windows programs want it: a Unix path goes through drive Z:.
std::wstring WindowsPath(std::wstring path);

} // namespace e2e
