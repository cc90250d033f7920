// Tests that change machine-wide state get a fresh prefix per case: each case below plants the
// same machine-wide key and must never find it planted by the other.
#include <gtest/gtest.h>

#include <windows.h>

namespace {

void PlantProbeKeyInAFreshMachine()
{
    const char* path = "Software\\VelmoraOwnPrefixProbe";
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              &disposition),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY)) << "the prefix was not fresh";
}

}  // namespace

TEST(OwnPrefix, FirstCaseSeesAFreshMachine) { PlantProbeKeyInAFreshMachine(); }
TEST(OwnPrefix, SecondCaseSeesAFreshMachine) { PlantProbeKeyInAFreshMachine(); }
