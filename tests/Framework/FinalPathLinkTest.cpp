// The deletion by a file's own path never goes through a link. The harness
// (make-final-path-links) has made, on the host side, a folder C:\OwnPath\Target and, in
// C:\OwnPath\Links, a plain file and links to the folder and to a file in it (Wine 8 makes no
// links itself; DeleteFileA on a host link to a file deletes the file it points to).
#include <gtest/gtest.h>

#include <string>

#include "Framework/FinalPath.h"

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
