// Windows starts the program again after a crash, a hang or an update, with the command
// line the program registered; the program ignores it and starts as any start does.
#include "Harness.h"
#include "MainWindowLayout.h"

namespace e2e {
namespace {

class RestartTest : public ProgramTest {};

TEST_F(RestartTest, StartedWithTheRestartCommandLine_OpensTheWelcomePageAsAnyStart)
{
    MarkLogonTaskDone();
    ProgramUnderTest program;
    StartOptions restart;
    restart.arguments = L"/restart";
    ASSERT_TRUE(program.Start(restart));
    ASSERT_TRUE(program.WaitForMainWindow());
    testing::AssertionResult welcome = testing::AssertionFailure();
    EXPECT_TRUE(WaitUntil(
        [&] {
            welcome = ShowsExactlyPage(program.MainWindow(), kWelcomePage);
            return static_cast<bool>(welcome);
        },
        kDeadline, "the Welcome page"))
        << welcome.message();
    EXPECT_EQ(ProgramInstances(), std::vector<DWORD>{program.Process().Id()});
}

}  // namespace
}  // namespace e2e
