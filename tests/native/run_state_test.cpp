#include "engine/run_state.h"

#include <gtest/gtest.h>

#include <vector>

using namespace ko;

namespace {

struct TRun : TKoRun {
    void Execute() override {}
};

} // namespace

TEST(Report, PercentIsRoundedAndMinusOneWithoutMaximum) {
    TRun run;
    std::vector<int> percents;
    run.OnProgress = [&](TKoRun&, const std::string&, int percent) { percents.push_back(percent); };
    run.Report("a", 1);
    run.Max = 3;
    run.Report("b", 1);
    run.Report("c", 0);
    run.Report("d", 1);
    EXPECT_EQ(percents, (std::vector<int>{-1, 67, 67, 100}));
    EXPECT_EQ(MulDiv(1, 100, 200), 1) << "halves round away from zero";
    EXPECT_EQ(MulDiv(-1, 100, 200), -1);
    EXPECT_EQ(MulDiv(INT32_MAX, 100, 1), -1);
}
