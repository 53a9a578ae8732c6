#include "engine/run_state.h"

namespace ko {

int32_t MulDiv(int32_t number, int32_t numerator, int32_t denominator) {
    if (denominator == 0)
        return -1;
    const int64_t product = int64_t(number) * numerator;
    int64_t half = denominator / 2;
    if (half < 0)
        half = -half;
    const bool negative = (product < 0) != (denominator < 0);
    const int64_t magnitude = (product < 0 ? -product : product) + half;
    int64_t result = magnitude / (denominator < 0 ? -int64_t(denominator) : denominator);
    if (negative)
        result = -result;
    if (result > INT32_MAX || result < INT32_MIN)
        return -1;
    return static_cast<int32_t>(result);
}

std::string LogLine(const char* head, const std::string& subject) {
    std::string line = head;
    line.append(subject).append(" ...");
    return line;
}

void TKoRun::Report(const std::string& text, int32_t step) {
    Position += step;
    if (text.rfind("WARNING:", 0) == 0)
        ++Warnings;
    if (OnProgress)
        OnProgress(*this, text, MulDiv(Position, 100, Max));
}

} // namespace ko
