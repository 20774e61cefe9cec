// Each unit test plays a run of the program of its own: a restore that one test began (a
// dialog's end, the crash restore) must not keep the next test's engine from changing
// priorities, nor an end guard of one test stay out of the next test's engine.
#include "engine/PriorityGate.h"

#include <gtest/gtest.h>

namespace
{
class PriorityGateReset : public testing::EmptyTestEventListener
{
    void OnTestStart(const testing::TestInfo& /*test*/) override { ResetPriorityGate(); }
};

const bool g_bResetRegistered = [] {
    testing::UnitTest::GetInstance()->listeners().Append(new PriorityGateReset);
    return true;
}();
}  // namespace
