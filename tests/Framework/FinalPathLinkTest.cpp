// The deletion by a file's own path never goes through a link, and the check of entries below a
// checked folder by their object names refuses what a link reaches. The harness
// (make-final-path-links) has made, on the host side, a folder C:\OwnPath\Target and, in
// C:\OwnPath\Links, a plain file and links to the folder and to a file in it (Wine 8 makes no
// links itself; DeleteFileA on a host link to a file deletes the file it points to).
#include <gtest/gtest.h>

#include <string>

#include "Framework/FinalPath.h"
#include "Framework/Handle.h"

namespace {

const std::string Target = "C:\\OwnPath\\Target";
const std::string Links = "C:\\OwnPath\\Links";
const std::string Own = Links + "\\own file with a long name.txt";

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ShortPath(const std::string& path)
{
    char text[MAX_PATH] = {};
    const DWORD length = GetShortPathNameA(path.c_str(), text, MAX_PATH);
    return length > 0 && length < MAX_PATH ? text : "";
}

}  // namespace

TEST(OwnFileDeletion, LinksAndPathsThroughThemAreRefusedAndTheTargetKeepsItsFile)
{
    ASSERT_TRUE(Exists(Links + "\\file-link.txt")) << "the harness made no links";
    const struct {
        std::string path;
        DWORD error;
    } cases[] = {
        {Links + "\\file-link.txt", ErrorPathIsNotItsOwn},             // shown as a plain file
        {Links + "\\folder-link\\keep.txt", ErrorPathIsNotItsOwn},     // through a linked folder
        {Links + "\\folder-link", ErrorPathIsNotItsOwn},               // the linked folder itself
        {Links + "\\missing.txt", ERROR_FILE_NOT_FOUND},
        {"", ERROR_INVALID_PARAMETER},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        SetLastError(0);
        EXPECT_FALSE(DeleteOwnFile(c.path.c_str()));
        EXPECT_EQ(GetLastError(), c.error);
        EXPECT_FALSE(IsOwnPath(c.path.c_str()));
    }
    EXPECT_TRUE(Exists(Links + "\\file-link.txt"));
    EXPECT_TRUE(Exists(Links + "\\folder-link"));
    EXPECT_TRUE(Exists(Target + "\\keep.txt"));
    // The target itself is its own file.
    EXPECT_TRUE(IsOwnPath((Target + "\\keep.txt").c_str()));
}

TEST(OwnFileDeletion, AFileNamedByItsOwnPathGoesAlsoByItsShortName)
{
    const std::string shortName = ShortPath(Own);
    ASSERT_FALSE(shortName.empty());
    ASSERT_NE(shortName, Own);
    EXPECT_TRUE(DeleteOwnFile(shortName.c_str()));
    EXPECT_FALSE(Exists(Own));
    EXPECT_TRUE(DeleteOwnFile((Target + "\\keep.txt").c_str()));
    EXPECT_FALSE(Exists(Target + "\\keep.txt"));
}

namespace {

HANDLE OpenEntry(const std::string& path)
{
    return CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

}  // namespace

TEST(FolderFinalPath, EntriesBelowACheckedFolderPassOnlyWhenOpenedWhereTheyAre)
{
    ASSERT_TRUE(Exists(Links + "\\file-link.txt")) << "the harness made no links";
    CFolderFinalPath links;
    ASSERT_TRUE(links.Take(Links.c_str()));
    const struct {
        std::string opened;   // below Links
        std::string claimed;  // the relative path the handle is checked against
        bool reaches;
    } cases[] = {
        {"own file with a long name.txt", "own file with a long name.txt", true},
        {"own file with a long name.txt", "OWN FILE WITH A LONG NAME.TXT", true},  // names compare without case
        {"file-link.txt", "file-link.txt", false},                                   // ends in Target
        {"folder-link", "folder-link", false},
        {"folder-link\\keep.txt", "folder-link\\keep.txt", false},
        {"own file with a long name.txt", "own file with a long name", false},
        {"own file with a long name.txt", "other.txt", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.opened + " as " + c.claimed);
        CHandle entry(OpenEntry(Links + "\\" + c.opened));
        ASSERT_TRUE(entry.IsValid());
        EXPECT_EQ(links.Reaches(entry.Get(), c.claimed.c_str()), c.reaches);
    }
    // The target's own file, checked against its own folder, passes; against Links it does not.
    CFolderFinalPath target;
    ASSERT_TRUE(target.Take(Target.c_str()));
    CHandle keep(OpenEntry(Target + "\\keep.txt"));
    ASSERT_TRUE(keep.IsValid());
    EXPECT_TRUE(target.Reaches(keep.Get(), "keep.txt"));
    // A linked folder is refused as a folder to check, and nothing kept passes nothing.
    CFolderFinalPath linked;
    EXPECT_FALSE(linked.Take((Links + "\\folder-link").c_str()));
    EXPECT_FALSE(linked.Reaches(keep.Get(), "keep.txt"));
    links.Clear();
    CHandle own(OpenEntry(Own));
    ASSERT_TRUE(own.IsValid());
    EXPECT_FALSE(links.Reaches(own.Get(), "own file with a long name.txt"));
}

TEST(FolderFinalPath, ObjectNameEndsWithThePathBelowTheDrive)
{
    CHandle own(OpenEntry(Own));
    ASSERT_TRUE(own.IsValid());
    std::wstring name = L"unchanged";
    ASSERT_TRUE(QueryObjectName(own.Get(), name));
    const std::wstring below = L"\\OwnPath\\Links\\own file with a long name.txt";
    ASSERT_GT(name.size(), below.size());
    EXPECT_EQ(name.substr(name.size() - below.size()), below);
    std::wstring kept = L"unchanged";
    EXPECT_FALSE(QueryObjectName(nullptr, kept));
    EXPECT_EQ(kept, L"unchanged");
}
