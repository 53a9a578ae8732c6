#include "builder/output_file.h"

#include <csignal>
#include <cstring>
#include <unistd.h>

namespace ko {

namespace {

// The handler may only call async-signal-safe functions: the path waits in a fixed buffer.
char InterruptPath[4096];
volatile sig_atomic_t Armed = 0;
struct sigaction Previous[2];
const int Signals[2] = {SIGINT, SIGTERM};

void OnInterrupt(int signal) {
    if (Armed)
        unlink(InterruptPath);
    // End as the signal would have ended the program, so the caller sees how it stopped.
    std::signal(signal, SIG_DFL);
    raise(signal);
}

} // namespace

void RemoveOnInterrupt(const std::filesystem::path& path) {
    const std::string& native = path.native();
    if (native.size() >= sizeof InterruptPath)
        return;
    std::memcpy(InterruptPath, native.c_str(), native.size() + 1);
    Armed = 1;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < 2; ++i)
        sigaction(Signals[i], &action, &Previous[i]);
}

void KeepOnInterrupt() {
    if (!Armed)
        return;
    Armed = 0;
    for (int i = 0; i < 2; ++i)
        sigaction(Signals[i], &Previous[i], nullptr);
}

} // namespace ko
