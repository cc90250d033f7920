// The file, library, folder and registry list deletions, white-box: what they remove, and the
// roots and unexpandable texts they refuse. Links are the business of ListDeletionsLinkTest.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>

#include "Engine/ListDeletions.h"
#include "Engine/SSEngineProcess.h"
#include "ListDeletionsSupport.h"

namespace {

const char* const TestKey = "Software\\VelmoraTest\\ListDeletions";

CStringArray List(std::initializer_list<const char*> texts)
{
    CStringArray list;
    for (const char* text : texts)
        list.Add(CString(text));
    return list;
}

bool FolderExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool KeyExists(const std::string& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool ValueExists(const std::string& keyPath, const char* name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    bool exists = RegQueryValueExA(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(key);
    return exists;
}

}  // namespace

TEST(ListDeletions, RootsAndUnexpandedTextsAreNeverDeletable)
{
    struct Case {
        const char* path;
        bool deletable;
    } cases[] = {
        {"", false}, {"c:", false}, {"c:\\", false}, {"C:\\\\", false}, {"\\", false},
        {"\\windows", false}, {"windows\\temp", false}, {"\\\\server\\share", false},
        {"\\\\server\\share\\", false}, {"\\\\server", false}, {"%notatoken%\\x", false},
        {"c:\\x", true}, {"c:\\x\\y\\", true}, {"\\\\server\\share\\x", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsDeletablePath(c.path), c.deletable) << c.path;
}

// Files go, read-only or not; folders, roots, missing files and texts with a token left are
// refused. A library is deleted without any of its code running, and is not left loaded.
TEST(ListDeletions, FilesAndLibrariesGoWithoutTheirCodeRunning)
{
    using namespace listdeletions;
    CSSEngineProcess process(CSSEngineProcess::LightConstruction);
    const std::string base = "C:\\VelmoraListFiles";
    CreateDirectoryA(base.c_str(), nullptr);
    CreateDirectoryA((base + "\\folder.txt").c_str(), nullptr);
    for (const char* name : {"\\plain.txt", "\\readonly.txt"}) {
        HANDLE file = CreateFileA((base + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << name;
        CloseHandle(file);
    }
    SetFileAttributesA((base + "\\readonly.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    const std::string library = base + "\\library.dll";
    ASSERT_TRUE(CopyFileA(LibraryPath().c_str(), library.c_str(), FALSE)) << LibraryPath();

    EXPECT_EQ(DeleteFileList(process, List({"C:\\VelmoraListFiles\\plain.txt", "c:\\velmoralistfiles\\READONLY.TXT",
                                            "C:\\VelmoraListFiles\\folder.txt", "C:\\VelmoraListFiles\\missing.txt",
                                            "", "c:\\", "%nosuchtoken%\\plain.txt", "VelmoraListFiles\\x"})),
              2);
    EXPECT_FALSE(Exists(base + "\\plain.txt"));
    EXPECT_FALSE(Exists(base + "\\readonly.txt"));
    EXPECT_TRUE(Exists(base + "\\folder.txt")) << "a folder is not a file to delete";

    ASSERT_EQ(LibraryCodeRan(), "");
    EXPECT_EQ(DeleteLibraryList(process, List({library.c_str(), "C:\\VelmoraListFiles\\folder.txt"})), 1);
    EXPECT_FALSE(Exists(library));
    EXPECT_EQ(LibraryCodeRan(), "") << "the library's code ran while it was looked at";
    EXPECT_EQ(GetModuleHandleA("library.dll"), nullptr) << "the library was left loaded";

    RemoveDirectoryA((base + "\\folder.txt").c_str());
    RemoveDirectoryA(base.c_str());
}

TEST(ListDeletions, FoldersAreRemovedOnlyWhenEmpty)
{
    CSSEngineProcess process(CSSEngineProcess::LightConstruction);
    const std::string base = "C:\\VelmoraListDeletions";
    CreateDirectoryA(base.c_str(), nullptr);
    CreateDirectoryA((base + "\\empty").c_str(), nullptr);
    CreateDirectoryA((base + "\\full").c_str(), nullptr);
    HANDLE file = CreateFileA((base + "\\full\\keep.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(file);
    char appData[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, appData, CSIDL_APPDATA, FALSE));
    const std::string tokenFolder = std::string(appData) + "\\VelmoraListDeletions";
    CreateDirectoryA(tokenFolder.c_str(), nullptr);

    EXPECT_EQ(RemoveFolderList(process, List({"C:\\VelmoraListDeletions\\empty", "C:\\VelmoraListDeletions\\full",
                                              "%appdata%\\VelmoraListDeletions", "", "c:\\", "%nosuchtoken%",
                                              "C:\\VelmoraListDeletions\\missing"})),
              2);
    EXPECT_FALSE(FolderExists(base + "\\empty"));
    EXPECT_FALSE(FolderExists(tokenFolder)) << "the folder token was expanded";
    EXPECT_TRUE(FolderExists(base + "\\full"));
    DeleteFileA((base + "\\full\\keep.txt").c_str());
    RemoveDirectoryA((base + "\\full").c_str());
    RemoveDirectoryA(base.c_str());
}

TEST(ListDeletions, RegistryEntriesGoAsKeyTreesOrValues)
{
    CSSEngineProcess process(CSSEngineProcess::LightConstruction);
    const std::string tree = std::string(TestKey) + "\\Tree";
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (tree + "\\Sub\\Deeper").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, TestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "Value", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2);
    RegSetValueExA(key, "Kept", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2);
    RegCloseKey(key);

    const std::string prefix = std::string("HKEY_CURRENT_USER\\") + TestKey;
    EXPECT_EQ(DeleteRegistryList(process, List({(prefix + "\\Tree").c_str(), (prefix + "\\Value").c_str(),
                                                (prefix + "\\NoSuchEntry").c_str(), "HKEY_CURRENT_USER",
                                                "HKEY_CURRENT_USER\\", "", "HKEY_NOWHERE\\Software",
                                                "HKEY_CURRENT_USER\\NoSuchTopValue"})),
              2);
    EXPECT_FALSE(KeyExists(tree));
    EXPECT_FALSE(ValueExists(TestKey, "Value"));
    EXPECT_TRUE(ValueExists(TestKey, "Kept"));
    EXPECT_TRUE(KeyExists("Software")) << "a root's content is never touched";
    RegDeleteTreeA(HKEY_CURRENT_USER, TestKey);
}
