// The category masks of the four scan kinds and the stored choices on the real registry: what a
// reader returns, and what it leaves in the settings key, for every kind of stored value.
#include <gtest/gtest.h>

#include <string>

#include "Client/Scan/ScanCategories.h"
#include "Frame/ProgramSettings.h"

namespace {

struct StoredValue {
    bool exists;
    DWORD type;
    std::string data;
};

StoredValue ReadStored(const char* name)
{
    StoredValue value = {false, 0, std::string()};
    char data[64] = {};
    DWORD size = sizeof data;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, ProgramSettingsKey, name, RRF_RT_ANY | RRF_NOEXPAND, &value.type,
                     data, &size) == ERROR_SUCCESS) {
        value.exists = true;
        value.data.assign(data, size);
    }
    return value;
}

std::string Dword(DWORD value) { return std::string(reinterpret_cast<const char*>(&value), 4); }

bool KeyExists(const char* path)
{
    HKEY key = NULL;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

}  // namespace

TEST(ScanCategories, MasksOfTheFourKinds)
{
    struct Case {
        int kind;
        DWORD all, byDefault;
        int rows;
    };
    const Case cases[] = {
        {ScanKindRegistry, 0xFCF400, 0xFCF400, 11}, {ScanKindJunk, 0x3FFFFFF, 0x1A6313F, 23},
        {ScanKindInternet, 0x1F, 0x1F, 5},          {ScanKindSystem, 0xF, 0xF, 4},
        {0, 0, 0, 0},  {5, 0, 0, 0},  {-1, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        EXPECT_EQ(GetAllScanItemsMask(c.kind), c.all);
        EXPECT_EQ(GetDefaultScanItemsMask(c.kind), c.byDefault);
        int count = -1;
        const ScanCategoryRow* rows = GetScanCategoryRows(c.kind, &count);
        ASSERT_EQ(count, c.rows);
        // Every row is one bit of the all-categories mask, no two rows share it.
        DWORD seen = 0;
        for (int r = 0; r < count; ++r) {
            EXPECT_EQ(rows[r].bit & (rows[r].bit - 1), 0u) << r;
            EXPECT_EQ(rows[r].bit & seen, 0u) << r;
            seen |= rows[r].bit;
        }
        // Only the three Saved Form Info bits of the junk kind have no row.
        EXPECT_EQ(c.all & ~seen, c.kind == ScanKindJunk ? 0x108400u : 0u);
    }
}

// Each stored state of a value, for each kind, on a fresh settings key.
TEST(ScanCategories, ReadersReturnAndWriteBackTheirDefault)
{
    struct Case {
        const char* what;
        DWORD type;         // 0: no value
        std::string data;
        bool storedKept;    // the reader returns the stored number and changes nothing
    };
    const DWORD binary[2] = {0x15, 0};
    const Case cases[] = {
        {"missing", 0, "", false},
        {"zero", REG_DWORD, Dword(0), true},
        {"foreign bits", REG_DWORD, Dword(0x80000001), true},
        {"8-byte REG_BINARY", REG_BINARY, std::string(reinterpret_cast<const char*>(binary), 8), false},
        {"REG_SZ \"1\"", REG_SZ, std::string("1\0", 2), false},
        {"4-byte REG_BINARY", REG_BINARY, Dword(0x15), false},
    };
    for (const Case& c : cases) {
        for (int kind = 1; kind <= ScanKindCount; ++kind) {
            SCOPED_TRACE(testing::Message() << c.what << ", kind " << kind);
            RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Velmora");
            const char* name = GetLastSelScanValueName(kind);
            if (c.type) {
                ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, ProgramSettingsKey, name, c.type, c.data.data(),
                                          DWORD(c.data.size())),
                          ERROR_SUCCESS);
            }
            const DWORD expected = c.storedKept ? *reinterpret_cast<const DWORD*>(c.data.data())
                                                : GetDefaultScanItemsMask(kind);
            EXPECT_EQ(kind == ScanKindRegistry ? GetLastSelScanRegTypes() : GetLastSelScanTypes(kind), expected);
            const StoredValue after = ReadStored(name);
            ASSERT_TRUE(after.exists);
            if (c.storedKept) {
                EXPECT_EQ(after.type, c.type);
                EXPECT_EQ(after.data, c.data);
            } else {
                EXPECT_EQ(after.type, DWORD(REG_DWORD));
                EXPECT_EQ(after.data, Dword(expected));
            }
            // The other kinds' values are left alone.
            for (int other = 1; other <= ScanKindCount; ++other)
                EXPECT_EQ(ReadStored(GetLastSelScanValueName(other)).exists, other == kind) << other;
        }
    }
    EXPECT_EQ(GetLastSelScanTypes(0), 0u);
    EXPECT_EQ(GetLastSelScanValueName(5), nullptr);
}

// A volatile parent key cannot hold the non-volatile settings key, so the key cannot be
// opened: each reader returns its default and nothing is created.
TEST(ScanCategories, ReadersOfAKeyThatCannotBeMadeGiveTheDefaultAndCreateNothing)
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Velmora");
    HKEY parent = NULL;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Velmora", 0, NULL, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                              NULL, &parent, NULL),
              ERROR_SUCCESS);
    RegCloseKey(parent);
    for (int kind = 1; kind <= ScanKindCount; ++kind)
        EXPECT_EQ(GetLastSelScanTypes(kind), GetDefaultScanItemsMask(kind)) << kind;
    const DWORD masks[ScanKindCount] = {1, 2, 3, 4};
    SaveLastSelScanTypes(masks);
    EXPECT_FALSE(KeyExists(ProgramSettingsKey));
}

TEST(ScanCategories, SavingWritesAllFourAsDwords)
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Velmora");
    const DWORD masks[ScanKindCount] = {0, 0x3EF7BFF, 0x15, 0x8};
    SaveLastSelScanTypes(masks);
    for (int kind = 1; kind <= ScanKindCount; ++kind) {
        const StoredValue stored = ReadStored(GetLastSelScanValueName(kind));
        EXPECT_EQ(stored.type, DWORD(REG_DWORD)) << kind;
        EXPECT_EQ(stored.data, Dword(masks[kind - 1])) << kind;
        EXPECT_EQ(GetLastSelScanTypes(kind), masks[kind - 1]) << kind;
    }
}
