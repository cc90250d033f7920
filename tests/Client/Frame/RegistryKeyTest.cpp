// CRegistryKey on a scratch key of the test's own, checked against what the registry really
// holds afterwards.
#include <gtest/gtest.h>

#include <string>

#include "Frame/RegistryKey.h"

namespace {

const char ScratchKey[] = "Software\\VelmoraFrameTest\\RegistryKey";

class RegistryKeyTest : public testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, ScratchKey);
        ASSERT_TRUE(key.Create(HKEY_CURRENT_USER, ScratchKey, KEY_ALL_ACCESS));
    }
    void TearDown() override
    {
        key.Close();
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\VelmoraFrameTest");
    }
    // Writes raw bytes as REG_SZ, as another program may.
    void PlantRawString(const char* name, const std::string& bytes)
    {
        ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, ScratchKey, name, REG_SZ, bytes.data(),
                                  static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
    }
    CRegistryKey key;
};

}  // namespace

TEST_F(RegistryKeyTest, StringsRoundTripUpTo255CharactersAndLongerOnesFail)
{
    struct Case {
        std::string stored;       // raw bytes under REG_SZ
        int expected;
        std::string read;
    };
    const std::string c255(255, 'a');
    const Case cases[] = {
        {std::string("\0", 1), 1, ""},
        {"", 1, ""},
        {"plain", 1, "plain"},
        {c255 + std::string("\0", 1), 1, c255},
        {c255, 1, c255},                         // stored without a terminator
        {std::string(256, 'b'), 0, ""},          // fills the whole buffer, no terminator
        {std::string(256, 'b') + std::string("\0", 1), 0, ""},
        {std::string(300, 'c'), 0, ""},
        {std::string("ab\0cd", 5), 1, "ab"},
        {"\xE9t\xE9", 1, "\xE9t\xE9"},           // high ANSI bytes stay as they are
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "stored " << c.stored.size() << " bytes");
        PlantRawString("s", c.stored);
        CString out("left over");
        EXPECT_EQ(key.GetString("s", out), c.expected);
        EXPECT_EQ(std::string(out.GetString(), out.GetLength()), c.read);
    }
    CString out("left over");
    EXPECT_EQ(key.GetString("missing", out), 0);
    EXPECT_TRUE(out.IsEmpty());

    // REG_EXPAND_SZ is a text as it stands; a number or binary data is none.
    ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, ScratchKey, "e", REG_EXPAND_SZ, "%TEMP%\\x", 9), ERROR_SUCCESS);
    EXPECT_EQ(key.GetString("e", out), 1);
    EXPECT_EQ(std::string(out.GetString()), "%TEMP%\\x");
    const DWORD number = 0x31;
    ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, ScratchKey, "n", REG_DWORD, &number, 4), ERROR_SUCCESS);
    ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, ScratchKey, "b", REG_BINARY, "ab\0", 3), ERROR_SUCCESS);
    for (const char* name : {"n", "b"}) {
        out = "left over";
        EXPECT_EQ(key.GetString(name, out), 0) << name;
        EXPECT_TRUE(out.IsEmpty()) << name;
    }
}

TEST_F(RegistryKeyTest, SetStringStoresTheTextAsRegSz)
{
    const std::string c255(255, 'z');
    for (const std::string& text : {std::string(), std::string("C:\\Program Files\\Velmora\\Velmora.exe"), c255}) {
        SCOPED_TRACE(text.size());
        ASSERT_EQ(key.SetString("t", text.c_str()), 1);
        char data[512] = {};
        DWORD type = 0, size = sizeof data;
        ASSERT_EQ(RegGetValueA(HKEY_CURRENT_USER, ScratchKey, "t", RRF_RT_ANY | RRF_NOEXPAND, &type, data, &size),
                  ERROR_SUCCESS);
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(std::string(data), text);
        // Stored with its terminating zero, and no more.
        char raw[512] = {};
        DWORD rawSize = sizeof raw;
        ASSERT_EQ(RegQueryValueExA(key.Handle(), "t", NULL, NULL, reinterpret_cast<BYTE*>(raw), &rawSize), ERROR_SUCCESS);
        EXPECT_EQ(std::string(raw, rawSize), text + std::string(1, '\0'));
        CString back;
        EXPECT_EQ(key.GetString("t", back), 1);
        EXPECT_EQ(std::string(back.GetString()), text);
    }
}

TEST_F(RegistryKeyTest, DwordsAndValueDeletion)
{
    DWORD out = 77;
    EXPECT_EQ(key.GetDWORD("d", out), 0);
    EXPECT_EQ(out, 0u);
    ASSERT_EQ(key.SetDWORD("d", 0xFCF400), 1);
    EXPECT_EQ(key.GetDWORD("d", out), 1);
    EXPECT_EQ(out, 0xFCF400u);
    DWORD type = 0, raw = 0, size = sizeof raw;
    ASSERT_EQ(RegQueryValueExA(key.Handle(), "d", NULL, &type, reinterpret_cast<BYTE*>(&raw), &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(size, 4u);

    // Only a 4-byte REG_DWORD is a number: a text, four bytes of another type or a DWORD of
    // another size read as none (out 0).
    PlantRawString("long", "longer than four bytes");
    out = 5;
    EXPECT_EQ(key.GetDWORD("long", out), 0);
    EXPECT_EQ(out, 0u);
    struct Foreign {
        const char* what;
        DWORD type;
        std::string data;
    };
    const Foreign foreign[] = {
        {"REG_SZ \"1\"", REG_SZ, std::string("1\0", 2)},
        {"REG_SZ of four bytes", REG_SZ, std::string("123\0", 4)},
        {"4-byte REG_BINARY", REG_BINARY, std::string("\x15\0\0\0", 4)},
        {"2-byte REG_DWORD", REG_DWORD, std::string("\x15\0", 2)},
    };
    for (const Foreign& f : foreign) {
        SCOPED_TRACE(f.what);
        ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, ScratchKey, "x", f.type, f.data.data(), DWORD(f.data.size())),
                  ERROR_SUCCESS);
        out = 5;
        EXPECT_EQ(key.GetDWORD("x", out), 0);
        EXPECT_EQ(out, 0u);
    }

    EXPECT_EQ(key.DeleteValue("d"), 1);
    EXPECT_EQ(key.DeleteValue("d"), 0);
    EXPECT_EQ(RegQueryValueExA(key.Handle(), "d", NULL, NULL, NULL, NULL), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryKeyTest, OpenCreateDeleteAndClose)
{
    CRegistryKey other;
    std::string child = std::string(ScratchKey) + "\\child";
    EXPECT_EQ(other.Open(HKEY_CURRENT_USER, child.c_str(), KEY_READ), 0);
    EXPECT_EQ(other.Handle(), static_cast<HKEY>(NULL));
    ASSERT_EQ(other.Create(HKEY_CURRENT_USER, (child + "\\grandchild").c_str(), KEY_ALL_ACCESS), 1);
    EXPECT_EQ(other.Close(), ERROR_SUCCESS);
    EXPECT_EQ(other.Close(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(other.Handle(), static_cast<HKEY>(NULL));

    // A key with a subkey stays; once empty it goes.
    EXPECT_EQ(CRegistryKey::DeleteKey(HKEY_CURRENT_USER, child.c_str()), 0);
    EXPECT_EQ(other.Open(HKEY_CURRENT_USER, child.c_str(), KEY_READ), 1);
    other.Close();
    EXPECT_EQ(CRegistryKey::DeleteKey(HKEY_CURRENT_USER, (child + "\\grandchild").c_str()), 1);
    EXPECT_EQ(CRegistryKey::DeleteKey(HKEY_CURRENT_USER, child.c_str()), 1);
    EXPECT_EQ(other.Open(HKEY_CURRENT_USER, child.c_str(), KEY_READ), 0);

    // Create opens a key that exists and keeps its values.
    ASSERT_EQ(key.SetDWORD("kept", 3), 1);
    CRegistryKey again;
    ASSERT_EQ(again.Create(HKEY_CURRENT_USER, ScratchKey, KEY_ALL_ACCESS), 1);
    DWORD kept = 0;
    EXPECT_EQ(again.GetDWORD("kept", kept), 1);
    EXPECT_EQ(kept, 3u);
}
