// The shared registry key against the real registry: Create makes the key and says whether it
// was new, Open of a missing key fails with the registry's error and holds nothing, a closed
// key's handle is gone, a detached one stays usable; and the root-name lookups.
#include "Framework/RegistryKeyHandle.h"
#include "Framework/RegistryRootKeys.h"

#include <gtest/gtest.h>

namespace {

const char TestKey[] = "Software\\VelmoraTests\\FrameworkKey";

class RegistryKeyHandleTest : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, TestKey); }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, TestKey); }
    static bool KeyExists(const char* path)
    {
        HKEY key = NULL;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }
};

TEST_F(RegistryKeyHandleTest, CreateOpenCloseAndDetachHaveTheirRegistryEffects)
{
    CRegistryKeyHandle key;
    EXPECT_EQ(key.Open(HKEY_CURRENT_USER, TestKey, KEY_READ), LONG(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(key.IsOpen());
    EXPECT_EQ(key.Close(), LONG(ERROR_INVALID_HANDLE)) << "nothing to close";

    bool created = false;
    ASSERT_EQ(key.Create(HKEY_CURRENT_USER, TestKey, KEY_ALL_ACCESS, &created), ERROR_SUCCESS);
    EXPECT_TRUE(created);
    EXPECT_TRUE(KeyExists(TestKey));
    const DWORD seven = 7;
    ASSERT_EQ(RegSetValueExA(key.Get(), "Number", 0, REG_DWORD,
                             reinterpret_cast<const BYTE*>(&seven), sizeof seven),
              ERROR_SUCCESS);

    CRegistryKeyHandle same;
    ASSERT_EQ(same.Create(HKEY_CURRENT_USER, TestKey, KEY_READ, &created), ERROR_SUCCESS);
    EXPECT_FALSE(created) << "an existing key is opened, not made again";
    std::vector<BYTE> data;
    DWORD size = 0, type = 0;
    ASSERT_EQ(same.QueryValue("Number", data, size, type), ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD(REG_DWORD));
    EXPECT_EQ(size, 4u);

    // A closed handle is gone; a detached one is the caller's and still reads.
    HKEY closed = key.Get();
    EXPECT_EQ(key.Close(), ERROR_SUCCESS);
    EXPECT_FALSE(key.IsOpen());
    EXPECT_EQ(RegQueryValueExA(closed, "Number", NULL, NULL, NULL, NULL),
              LONG(ERROR_INVALID_HANDLE));
    HKEY given = same.Detach();
    EXPECT_FALSE(same.IsOpen());
    EXPECT_EQ(RegQueryValueExA(given, "Number", NULL, NULL, NULL, NULL), ERROR_SUCCESS);
    RegCloseKey(given);

    // A failed Open closes the key held before.
    ASSERT_EQ(key.Open(HKEY_CURRENT_USER, TestKey, KEY_READ), ERROR_SUCCESS);
    HKEY previous = key.Get();
    EXPECT_EQ(key.Open(HKEY_CURRENT_USER, "Software\\VelmoraTests\\NoSuchKey", KEY_READ),
              LONG(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(key.IsOpen());
    EXPECT_EQ(RegQueryValueExA(previous, "Number", NULL, NULL, NULL, NULL),
              LONG(ERROR_INVALID_HANDLE));
}

TEST(RegistryRootKeys, ExactFullNamesAndItemRootsInAnyCase)
{
    struct Case {
        const char* name;
        HKEY exact;
        HKEY item;
    } cases[] = {
        {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT, HKEY_CLASSES_ROOT},
        {"HKEY_CURRENT_USER", HKEY_CURRENT_USER, HKEY_CURRENT_USER},
        {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE, HKEY_LOCAL_MACHINE},
        {"HKEY_USERS", HKEY_USERS, HKEY_USERS},
        {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG, HKEY_CURRENT_CONFIG},
        {"HKEY_PERFORMANCE_DATA", HKEY_PERFORMANCE_DATA, NULL},
        {"HKEY_DYN_DATA", HKEY_DYN_DATA, NULL},
        {"hkey_local_machine", NULL, HKEY_LOCAL_MACHINE},
        {"HKLM", NULL, NULL},
        {"HKEY_LOCAL_MACHINE\\", NULL, NULL},
        {"", NULL, NULL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RootKeyFromName(c.name), c.exact);
        CString canonical("unchanged");
        EXPECT_EQ(ItemRootKeyFromName(c.name, &canonical), c.item);
        EXPECT_STREQ(canonical, c.item ? CString(c.name).MakeUpper().GetString() : "unchanged");
    }
    EXPECT_EQ(RootKeyFromName(nullptr), HKEY(NULL));
    EXPECT_EQ(ItemRootKeyFromName(nullptr), HKEY(NULL));
}

}  // namespace
