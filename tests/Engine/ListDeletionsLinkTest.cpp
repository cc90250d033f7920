// The list deletions never follow a link. The harness (make-list-links) has made, on the
// host side, a folder of files C:\ListLinks\Target and links to it and to two of its files in
// C:\ListLinks\Lists (Wine 8 makes no links itself, but shows a host link with the
// reparse-point attribute). Whatever the deletions do to the links, the target keeps all it
// held, and no code of the linked library runs.
#include <gtest/gtest.h>

#include <string>

#include "Engine/ListDeletions.h"
#include "Engine/SSEngineProcess.h"
#include "ListDeletionsSupport.h"

using namespace listdeletions;

namespace {

const std::string Target = "C:\\ListLinks\\Target";
const std::string Lists = "C:\\ListLinks\\Lists";

CStringArray List(const std::string& text)
{
    CStringArray list;
    list.Add(CString(text.c_str()));
    return list;
}

void ExpectTargetIntact()
{
    EXPECT_TRUE(Exists(Target + "\\Empty"));
    EXPECT_TRUE(Exists(Target + "\\keep.txt"));
    EXPECT_TRUE(Exists(Target + "\\keep.dll"));
    EXPECT_EQ(LibraryCodeRan(), "");
}

}  // namespace

// Nothing is reached through a linked folder: the paths are refused before anything is tried.
TEST(ListDeletionLinks, NothingIsReachedThroughALinkedFolder)
{
    const DWORD attributes = GetFileAttributesA((Lists + "\\folder-link").c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << "the harness made no links";
    ASSERT_TRUE(attributes & FILE_ATTRIBUTE_REPARSE_POINT);

    CSSEngineProcess process(CSSEngineProcess::LightConstruction);
    EXPECT_EQ(RemoveFolderList(process, List(Lists + "\\folder-link\\Empty")), 0);
    EXPECT_EQ(DeleteFileList(process, List(Lists + "\\folder-link\\keep.txt")), 0);
    EXPECT_EQ(DeleteLibraryList(process, List(Lists + "\\folder-link\\keep.dll")), 0);
    ExpectTargetIntact();
    EXPECT_EQ(ReachListPath((Target + "\\keep.txt").c_str()), ListPathFile) << "the target itself may go";
}

// Links named themselves are left alone, the linked folder as well as the linked files, which
// Wine shows as plain files (and deleting one there deletes the file it points to).
TEST(ListDeletionLinks, LinksThemselvesAreLeftAlone)
{
    CSSEngineProcess process(CSSEngineProcess::LightConstruction);
    EXPECT_EQ(DeleteLibraryList(process, List(Lists + "\\library-link.dll")), 0);
    EXPECT_EQ(DeleteFileList(process, List(Lists + "\\file-link.txt")), 0);
    EXPECT_EQ(RemoveFolderList(process, List(Lists + "\\folder-link")), 0);
    EXPECT_TRUE(Exists(Lists + "\\library-link.dll"));
    EXPECT_TRUE(Exists(Lists + "\\file-link.txt"));
    EXPECT_TRUE(Exists(Lists + "\\folder-link"));
    ExpectTargetIntact();
}
