// What the install and uninstall runs share: their progress, reported line by line to whoever
// watches the run. Portable: the percentage is plain arithmetic.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace ko {

class TKoRun;

// Receives every progress line: the sender, the line and the percentage (-1 while Max is 0).
using TKoProgressEvent = std::function<void(TKoRun& sender, const std::string& text, int percent)>;

// Windows MulDiv: Number * Numerator / Denominator rounded half away from zero, in 64 bits;
// -1 when Denominator is 0 or the result does not fit in 32 bits.
int32_t MulDiv(int32_t number, int32_t numerator, int32_t denominator);

// Head + Subject + " ...": the form of most progress lines, built in one place.
std::string LogLine(const char* head, const std::string& subject);

// One install or uninstall run over a loaded data object, which it borrows and does not own.
class TKoRun {
public:
    TKoRun() = default;
    virtual ~TKoRun() = default;
    TKoRun(const TKoRun&) = delete;
    TKoRun& operator=(const TKoRun&) = delete;

    // The run itself, synchronous; errors it does not handle propagate.
    virtual void Execute() = 0;
    // Adds Step to Position and passes Text with the percentage to OnProgress. A line that
    // starts with "WARNING:" counts in Warnings.
    void Report(const std::string& text, int32_t step);

    int32_t Position = 0;
    // The warnings reported so far: a run that had any ended, but not entirely as asked.
    int32_t Warnings = 0;
    int32_t Max = 0;
    TKoProgressEvent OnProgress;
};

} // namespace ko
