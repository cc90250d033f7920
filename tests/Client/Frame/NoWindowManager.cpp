// For the test programs that start and hide the real program's windows, in a prefix of their
// own: Xvfb runs no window manager, yet Wine's X11 driver hands top-level windows to one by
// default and then waits up to two seconds at every hide for an answer that never comes. With
// the driver managing the windows itself, every window message, style and state the tests look
// at stays the same; only those waits go.
#include <gtest/gtest.h>

#include <windows.h>

namespace {

class NoWindowManager : public testing::Environment {
public:
    void SetUp() override
    {
        // Read by each program when it first opens the display: the programs the tests start.
        ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Wine\\X11 Driver", "Managed", REG_SZ, "N", 2),
                  ERROR_SUCCESS);
    }
};

testing::Environment* const noWindowManager = testing::AddGlobalTestEnvironment(new NoWindowManager);

}  // namespace
