// The registry document, white-box: the exact text of an exported key, the round trip of every
// value type through a file, hand-written documents, the key-tree deletion and its guard, and
// the check that a document holds what the repair is about to delete.
#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include <string>
#include <vector>

#include "Engine/RegistryManager.h"
#include "Engine/XmlStream.h"
#include "RegistryFixture.h"

namespace {

std::string Bytes(std::initializer_list<int> bytes)
{
    std::string s;
    for (int b : bytes)
        s += char(b);
    return s;
}

std::string Sz(const std::string& text)
{
    return text + std::string(1, '\0');
}

// Exports the keys below one document root into a file.
bool ExportKeys(CRegistryManager& manager, const std::vector<std::string>& fullPaths, const std::string& file)
{
    CXmlWriter writer;
    writer.SetFileName(file.c_str());
    writer.WriteStartTag(CXmlTag("registry"));
    bool all = true;
    for (const std::string& path : fullPaths)
        all = manager.ExportKey(path.c_str(), writer) == 1 && all;
    writer.WriteEndTag("registry");
    return writer.Close() && all;
}

std::string Indent(int n)
{
    return std::string(n, ' ');
}

// The component of the fixture path after "Software\".
std::string FixtureName(const FixtureKey& fixture)
{
    return fixture.Path().substr(fixture.Path().find('\\') + 1);
}

std::wstring Wide(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

// A symbolic link at path (below HKEY_CURRENT_USER) to the key target (below it too).
bool CreateLinkKey(const std::string& path, const std::string& target)
{
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    BYTE user[512];
    DWORD size = 0;
    const BOOL got = GetTokenInformation(token, TokenUser, user, sizeof(user), &size);
    CloseHandle(token);
    LPWSTR sid = nullptr;
    if (!got || !ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, &sid))
        return false;
    const std::wstring destination = L"\\Registry\\User\\" + std::wstring(sid) + L"\\" + Wide(target);
    LocalFree(sid);
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, Wide(path).c_str(), 0, nullptr, REG_OPTION_CREATE_LINK,
                        KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const LONG set = RegSetValueExW(key, L"SymbolicLinkValue", 0, REG_LINK,
                                    reinterpret_cast<const BYTE*>(destination.data()),
                                    DWORD(destination.size() * sizeof(wchar_t)));
    RegCloseKey(key);
    return set == ERROR_SUCCESS;
}

// Deletes the link itself, not what it leads to.
void RemoveLinkKey(const std::string& path)
{
    typedef LONG(WINAPI * DeleteKeyFunction)(HANDLE);
    const auto deleteKey = reinterpret_cast<DeleteKeyFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtDeleteKey")));
    HKEY key;
    if (deleteKey && RegOpenKeyExW(HKEY_CURRENT_USER, Wide(path).c_str(), REG_OPTION_OPEN_LINK, DELETE,
                                   &key) == ERROR_SUCCESS) {
        deleteKey(key);
        RegCloseKey(key);
    }
}

}  // namespace

TEST(RegistryDocument, ExportedKeyIsExactlyTheDocumentFormat)
{
    FixtureKey fixture("golden");
    const std::string k = fixture.Sub("K");
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, k, nullptr, REG_SZ, Sz("x")));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, k, "b", REG_BINARY, Bytes({0x01, 0xab})));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, k, "d", REG_DWORD, Bytes({31, 0, 0, 0})));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, k, "m", REG_MULTI_SZ, std::string("a\0b\0\0", 5)));
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, k + "\\E"));

    TempFolder folder("golden");
    CRegistryManager manager(nullptr, nullptr);
    ASSERT_TRUE(ExportKeys(manager, {fixture.Full("K")}, folder.File("k.rbk")));
    const std::string expected =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n" +
        Indent(1) + "<registry>\r\n" +
        Indent(2) + "<k name=\"HKEY_CURRENT_USER\">\r\n" +
        Indent(3) + "<k name=\"Software\">\r\n" +
        Indent(4) + "<k name=\"" + FixtureName(fixture) + "\">\r\n" +
        Indent(5) + "<k name=\"K\">\r\n" +
        Indent(6) + "<v name=\"(Default)\" value=\"x\"/>\r\n" +
        Indent(6) + "<v name=\"b\" value=\"01 ab\" type=\"REG_BINARY\"/>\r\n" +
        Indent(6) + "<v name=\"d\" value=\"0x0000001f (31)\" type=\"REG_DWORD\"/>\r\n" +
        Indent(6) + "<v name=\"m\" value=\"a\r\nb\" type=\"REG_MULTI_SZ\"/>\r\n" +
        Indent(6) + "<k name=\"E\"/>\r\n" +
        Indent(5) + "</k>\r\n" +
        Indent(4) + "</k>\r\n" +
        Indent(3) + "</k>\r\n" +
        Indent(2) + "</k>\r\n" +
        Indent(1) + "</registry>\r\n";
    EXPECT_EQ(ReadWholeFile(folder.File("k.rbk")), expected);

    // A key that is not there writes nothing and says so.
    CXmlStringWriter text;
    EXPECT_EQ(manager.ExportKey(fixture.Full("Missing").c_str(), text), 0);
    EXPECT_EQ(std::string(text.GetText()), "");
}

// Every value type written, exported, deleted and read back. The expected column shows what
// the format itself cannot keep (marked "limit").
TEST(RegistryDocument, EveryValueTypeSurvivesTheRoundTripAsFarAsTheFormatAllows)
{
    const struct {
        const char* name;
        DWORD type;
        std::string data;
        DWORD backType;
        std::string backData;
    } values[] = {
        {"sz", REG_SZ, Sz("hello"), REG_SZ, Sz("hello")},
        {"sz empty", REG_SZ, Sz(""), REG_SZ, Sz("")},
        {"expand", REG_EXPAND_SZ, Sz("%TEMP%\\x"), REG_EXPAND_SZ, Sz("%TEMP%\\x")},
        {"binary", REG_BINARY, Bytes({0x01, 0xab, 0xff}), REG_BINARY, Bytes({0x01, 0xab, 0xff})},
        {"dword", REG_DWORD, Bytes({0xff, 0xff, 0xff, 0xff}), REG_DWORD, Bytes({0xff, 0xff, 0xff, 0xff})},
        {"qword", REG_QWORD, Bytes({8, 7, 6, 5, 4, 3, 2, 1}), REG_QWORD, Bytes({8, 7, 6, 5, 4, 3, 2, 1})},
        {"multi", REG_MULTI_SZ, std::string("a\0b\0\0", 5), REG_MULTI_SZ, std::string("a\0b\0\0", 5)},
        {"resource list", REG_RESOURCE_LIST, Bytes({1, 2}), REG_RESOURCE_LIST, Bytes({1, 2})},
        {"requirements", REG_RESOURCE_REQUIREMENTS_LIST, Bytes({3}), REG_RESOURCE_REQUIREMENTS_LIST, Bytes({3})},
        {"q&\"<'>\xE9", REG_SZ, Sz("1 & 2 < 3 \"x\" it's > \xE9\x80\xFF"), REG_SZ, Sz("1 & 2 < 3 \"x\" it's > \xE9\x80\xFF")},
        {"entity text", REG_SZ, Sz("&amp; &lt;"), REG_SZ, Sz("&amp; &lt;")},
        {"line breaks", REG_SZ, Sz("one\r\ntwo\nthree\rfour"), REG_SZ, Sz("one\r\ntwo\nthree\rfour")},
        // limit: an empty binary value comes back as one zero byte
        {"binary empty", REG_BINARY, "", REG_BINARY, Bytes({0})},
        // limit: big-endian numbers come back as REG_DWORD with the same number
        {"big endian", REG_DWORD_BIG_ENDIAN, Bytes({0, 0, 0, 0x1f}), REG_DWORD, Bytes({0x1f, 0, 0, 0})},
        // limit: REG_NONE, REG_LINK and full resource descriptors come back as text
        {"none", REG_NONE, Bytes({'a', 'b', 0, 9}), REG_SZ, Sz("ab")},
        {"link", REG_LINK, std::string("T\0g\0", 4), REG_SZ, Sz("Tg")},
        {"descriptor", REG_FULL_RESOURCE_DESCRIPTOR, Sz("x"), REG_SZ, Sz("x")},
        // limit: a type the format has no name for keeps its bytes, not its number
        {"custom type", 0x20, Bytes({5, 6}), REG_BINARY, Bytes({5, 6})},
        // limit: malformed data is read within its size and comes back well-formed
        {"short dword", REG_DWORD, Bytes({1, 2}), REG_DWORD, Bytes({1, 2, 0, 0})},
        {"unterminated sz", REG_SZ, "abc", REG_SZ, Sz("abc")},
        {"empty multi", REG_MULTI_SZ, std::string("\0\0", 2), REG_MULTI_SZ, std::string("\0", 1)},
        {"multi one terminator", REG_MULTI_SZ, std::string("a\0b\0", 4), REG_MULTI_SZ, std::string("a\0b\0\0", 5)},
        {"multi no terminator", REG_MULTI_SZ, std::string("a\0b", 3), REG_MULTI_SZ, std::string("a\0b\0\0", 5)},
        {"multi empty string", REG_MULTI_SZ, std::string("a\0\0\0", 4), REG_MULTI_SZ, std::string("a\0\0\0", 4)},
        {"multi empty strings inside", REG_MULTI_SZ, std::string("\0a\0\0b\0\0", 7), REG_MULTI_SZ,
         std::string("\0a\0\0b\0\0", 7)},
        {"sz empty lines", REG_SZ, Sz("\r\n\r\nx\n\n"), REG_SZ, Sz("\r\n\r\nx\n\n")},
    };
    FixtureKey fixture("roundtrip");
    const std::string rt = fixture.Sub("RT");
    for (const auto& v : values)
        ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, rt, v.name, v.type, v.data)) << v.name;
    const std::string awkward = "S&\"<'>\xE9 x";
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, rt + "\\" + awkward, "v", REG_SZ, Sz("in awkward")));
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, rt + "\\Empty"));
    // limit: an unnamed value without data is not written; a value really named "(Default)"
    // comes back as the unnamed value
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, rt + "\\U", nullptr, REG_BINARY, ""));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, rt + "\\D", "(Default)", REG_SZ, Sz("literal")));

    TempFolder folder("roundtrip");
    const std::string file = folder.File("rt.rbk");
    CRegistryManager manager(nullptr, nullptr);
    ASSERT_TRUE(ExportKeys(manager, {fixture.Full("RT")}, file));
    const std::string document = ReadWholeFile(file);
    EXPECT_NE(document.find("<v name=\"dword\" value=\"0xffffffff (-1)\" type=\"REG_DWORD\"/>"), std::string::npos);
    EXPECT_NE(document.find("<v name=\"big endian\" value=\"0x0000001f (31)\" type=\"REG_DWORD\"/>"), std::string::npos);
    EXPECT_NE(document.find("<v name=\"qword\" value=\"0x0102030405060708\" type=\"REG_QWORD\"/>"), std::string::npos);
    EXPECT_NE(document.find("<v name=\"sz\" value=\"hello\"/>"), std::string::npos);
    EXPECT_NE(document.find("name=\"q&amp;&quot;&lt;'>\xC3\xA9\""), std::string::npos);
    EXPECT_NE(document.find("value=\"&amp;amp; &amp;lt;\""), std::string::npos);
    EXPECT_NE(document.find("<v name=\"descriptor\" value=\"x\" type=\"\"/>"), std::string::npos);

    ASSERT_EQ(CRegistryManager::DeleteKeyTree(fixture.Full("RT").c_str()), 1);
    ASSERT_FALSE(KeyPresent(HKEY_CURRENT_USER, rt));
    ASSERT_EQ(manager.Import(file.c_str()), 1) << manager.GetErrorText().GetString();

    const RegistryDump back = Dump(HKEY_CURRENT_USER, rt);
    for (const auto& v : values) {
        SCOPED_TRACE(v.name);
        const auto found = back.values.find(std::string("\n") + v.name);
        ASSERT_NE(found, back.values.end());
        EXPECT_EQ(found->second, (DumpedValue{v.backType, v.backData}));
    }
    EXPECT_EQ(back.values.at(awkward + "\nv"), (DumpedValue{REG_SZ, Sz("in awkward")}));
    EXPECT_EQ(back.keys, (std::vector<std::string>{"", "D", "Empty", "S&\"<'>\xE9 x", "U"}));
    EXPECT_EQ(back.values.count("U\n"), 0u);
    EXPECT_EQ(back.values.at("D\n"), (DumpedValue{REG_SZ, Sz("literal")}));
    EXPECT_EQ(back.values.size(), std::size(values) + 2);
}

// A stop in the middle of an export leaves out the rest but closes every element it opened, so
// the next item's chain never lands inside an unfinished one.
TEST(RegistryDocument, StoppedExportStillClosesEveryElement)
{
    FixtureKey fixture("stopped");
    for (int i = 0; i < 10; ++i)
        ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, fixture.Sub("Tree\\Mid\\K" + std::to_string(i)), "v", REG_SZ, Sz("1")));
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, fixture.Sub("Tree\\Next")));
    // Keys are counted Tree, Mid, K0, K1, K2: the stop comes inside Mid.
    struct StopAtFifthKey : CAbstractStatus {
        volatile LONG* flag = nullptr;
        void OnStatusText(const char*, const char*) override {}
        void OnProgress(int) override { *flag = 0; }
        void OnItemFound(const char*, DWORD, int, int) override {}
        int OnTaskFinished(int) override { return 0; }
    } status;
    volatile LONG keepGoing = 1;
    status.flag = &keepGoing;
    CRegistryManager manager(&status, &keepGoing);
    TempFolder folder("stopped");
    const std::string file = folder.File("s.rbk");
    CXmlWriter writer;
    writer.SetFileName(file.c_str());
    writer.WriteStartTag(CXmlTag("registry"));
    EXPECT_EQ(manager.ExportKey(fixture.Full("Tree").c_str(), writer), -1);
    writer.WriteEndTag("registry");
    ASSERT_TRUE(writer.Close());

    CRegistryManager reader(nullptr, nullptr);
    CRegistryDocument document;
    ASSERT_TRUE(reader.ReadDocument(file.c_str(), false, document)) << reader.GetErrorText().GetString();
    EXPECT_TRUE(document.HasKey("HKEY_CURRENT_USER", (fixture.Sub("Tree\\Mid\\K2")).c_str()));
    EXPECT_FALSE(document.HasKey("HKEY_CURRENT_USER", (fixture.Sub("Tree\\Mid\\K3")).c_str()));
    EXPECT_FALSE(document.HasKey("HKEY_CURRENT_USER", (fixture.Sub("Tree\\Next")).c_str()));
}

TEST(RegistryDocument, HandWrittenDocumentsReadAsTheFormatSays)
{
    FixtureKey fixture("handwritten");
    const std::string name = FixtureName(fixture);
    TempFolder folder("handwritten");
    const std::string file = folder.File("in.rbk");
    ASSERT_TRUE(WriteWholeFile(file,
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<registry>\r\n"
        "<k name=\"hkey_current_user\"><k name=\"Software\"><k name=\"" + name + "\">\r\n"
        "<!-- written by hand -->\r\n"
        "<v name=\"(default)\" value=\"unnamed\"/>\r\n"
        "<v name=\"d\" value=\"0x0000000a (99)\" type=\"reg_dword\"/>\r\n"
        "<v name=\"short\" value=\"0x1f\" type=\"REG_DWORD\"/>\r\n"
        "<v name=\"plain\" value=\"p\"/>\r\n"
        "<v name=\"none\" value=\"n\" type=\"REG_NONE\"/>\r\n"
        "<v name=\"multi\" value=\"\" type=\"REG_MULTI_SZ\"/>\r\n"
        "<v name=\"bin\" value=\"0A Bc zz\" type=\"REG_BINARY\"/>\r\n"
        "<v name=\"amp\" value=\"&amp;amp;\"></v>\r\n"
        "<k name=\"X\"/>\r\n"
        "</k></k></k>\r\n</registry>\r\n"));
    CRegistryManager manager(nullptr, nullptr);
    ASSERT_EQ(manager.Import(file.c_str()), 1) << manager.GetErrorText().GetString();
    const RegistryDump dump = Dump(HKEY_CURRENT_USER, fixture.Path());
    EXPECT_EQ(dump.keys, (std::vector<std::string>{"", "X"}));
    const std::map<std::string, DumpedValue> expected = {
        {"\n", {REG_SZ, Sz("unnamed")}},
        {"\nd", {REG_DWORD, Bytes({10, 0, 0, 0})}},
        {"\nshort", {REG_DWORD, Bytes({0x1f, 0, 0, 0})}},
        {"\nplain", {REG_SZ, Sz("p")}},
        {"\nnone", {REG_SZ, Sz("n")}},
        {"\nmulti", {REG_MULTI_SZ, std::string("\0", 1)}},
        {"\nbin", {REG_BINARY, Bytes({0x0a, 0xbc, 0x00})}},
        {"\namp", {REG_SZ, Sz("&amp;")}},
    };
    EXPECT_EQ(dump.values, expected);
}

TEST(RegistryDocument, KeyTreeDeletionRemovesTheTreeAndNeverARoot)
{
    FixtureKey fixture("delete");
    for (const char* key : {"T\\a\\b", "T\\a\\c", "T\\d"})
        ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, fixture.Sub(key), "v", REG_SZ, Sz("1")));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, fixture.Sub("Keep"), "v", REG_SZ, Sz("1")));
    const struct {
        std::string path;
        int result;
    } cases[] = {
        {fixture.Full("T"), 1},
        {fixture.Full("T"), 1},  // gone already: counts as deleted
        {"HKEY_CURRENT_USER", 0},
        {"HKEY_CURRENT_USER\\", 0},
        {"HKEY_CURRENT_USER\\\\", 0},
        {"HKCU\\" + fixture.Path(), 0},
        {"HKEY_CURRENT_USER\\\\" + fixture.Path(), 0},
        {fixture.Full("Keep") + "\\", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(CRegistryManager::DeleteKeyTree(c.path.c_str()), c.result);
    }
    EXPECT_FALSE(KeyPresent(HKEY_CURRENT_USER, fixture.Sub("T")));
    EXPECT_TRUE(ValuePresent(HKEY_CURRENT_USER, fixture.Sub("Keep"), "v"));
    EXPECT_TRUE(KeyPresent(HKEY_CURRENT_USER, "Software"));

    EXPECT_EQ(CRegistryManager::DeleteValue((fixture.Full("Keep") + "\\v").c_str()), 1);
    EXPECT_FALSE(ValuePresent(HKEY_CURRENT_USER, fixture.Sub("Keep"), "v"));
    EXPECT_EQ(CRegistryManager::DeleteValue((fixture.Full("Keep") + "\\").c_str()), 0);
    EXPECT_TRUE(CRegistryManager::KeyExists(fixture.Full("Keep").c_str()));
    EXPECT_FALSE(CRegistryManager::KeyExists(fixture.Full("T").c_str()));
}

// A link named by an item, or met inside a tree, is neither deleted nor followed: the keys it
// leads to stay whole.
TEST(RegistryDocument, KeyTreeDeletionNeverFollowsALink)
{
    FixtureKey fixture("links");
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, fixture.Sub("Target"), "t", REG_SZ, Sz("1")));
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, fixture.Sub("Target\\Leaf")));
    ASSERT_TRUE(CreateKey(HKEY_CURRENT_USER, fixture.Sub("Lone")));
    ASSERT_TRUE(CreateLinkKey(fixture.Sub("Link"), fixture.Sub("Target")));
    ASSERT_TRUE(CreateLinkKey(fixture.Sub("LeafLink"), fixture.Sub("Target\\Leaf")));
    ASSERT_TRUE(CreateLinkKey(fixture.Sub("Holder\\Inner"), fixture.Sub("Lone")));
    ASSERT_TRUE(ValuePresent(HKEY_CURRENT_USER, fixture.Sub("Link"), "t"));  // the link leads there
    const RegistryDump before = Dump(HKEY_CURRENT_USER, fixture.Path());

    for (const char* item : {"Link", "LeafLink", "Holder"}) {
        SCOPED_TRACE(item);
        EXPECT_EQ(CRegistryManager::DeleteKeyTree(fixture.Full(item).c_str()), 0);
    }
    EXPECT_TRUE(Dump(HKEY_CURRENT_USER, fixture.Path()) == before);
    for (const char* link : {"Link", "LeafLink", "Holder\\Inner"})
        RemoveLinkKey(fixture.Sub(link));
    EXPECT_EQ(CRegistryManager::DeleteKeyTree(fixture.Full("Holder").c_str()), 1);
    EXPECT_TRUE(KeyPresent(HKEY_CURRENT_USER, fixture.Sub("Target\\Leaf")));
    EXPECT_TRUE(KeyPresent(HKEY_CURRENT_USER, fixture.Sub("Lone")));
}

TEST(RegistryDocument, CoversOnlyWhatTheDocumentReallyHolds)
{
    FixtureKey fixture("covers");
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, fixture.Sub("Tree\\Sub"), "s", REG_SZ, Sz("1")));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, fixture.Sub("Tree"), "t", REG_SZ, Sz("1")));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, fixture.Sub("Vals"), "a", REG_SZ, Sz("1")));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, fixture.Sub("Vals"), nullptr, REG_SZ, Sz("d")));
    TempFolder folder("covers");
    const std::string file = folder.File("c.rbk");
    CRegistryManager manager(nullptr, nullptr);
    ASSERT_TRUE(ExportKeys(manager, {fixture.Full("Tree"), fixture.Full("Vals")}, file));
    // Added after the backup was written: not in it.
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, fixture.Sub("Vals"), "late", REG_SZ, Sz("1")));
    ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, fixture.Sub("Tree\\Late"), "x", REG_SZ, Sz("1")));

    CRegistryDocument document;
    ASSERT_TRUE(manager.ReadDocument(file.c_str(), false, document));
    const std::string sep(1, ValueSeparator);
    const struct {
        std::string item;
        bool covered;
    } cases[] = {
        {fixture.Full("Vals") + sep + "a", true},
        {fixture.Full("Vals") + sep + "(Default)", true},
        {fixture.Full("Vals") + sep + "late", false},
        {fixture.Full("Vals") + sep + "never there", true},
        {fixture.Full("Gone") + sep + "x", true},
        {fixture.Full("Tree\\Sub"), true},
        {fixture.Full("Tree"), false},  // its new subkey is not in the document
        {fixture.Full("Gone"), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.item);
        RegistryItemPath item;
        ASSERT_TRUE(ParseRegistryItem(c.item.c_str(), item));
        EXPECT_EQ(document.Covers(item), c.covered);
    }
}
