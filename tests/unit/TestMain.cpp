// Entry point of every unit-test executable. The program is built with -municode,
// so the C run-time calls wmain; GoogleTest accepts wide arguments.
#include <gtest/gtest.h>

int wmain(int argc, wchar_t** argv)
{
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
