// The Startup Manager's removal never goes through a link. The harness (make-tool-links) has
// made, on the host side, a file C:\ToolLinks\Outside\program.txt and a link to it in the user's
// Startup folder. Wine 8 makes no links itself, shows a host link to a file as a plain file, and
// DeleteFileA on it deletes the file it points to.
#include <gtest/gtest.h>

#include <string>

#include "Client/Tools/StartupEntries.h"
#include "Framework/FinalPath.h"
#include "StartupFixture.h"
#include "ToolDialogDriver.h"

namespace {

const std::string Outside = "C:\\ToolLinks\\Outside";
const char StartupLinkName[] = "Linked Program.txt";

void ExpectOutsideIntact()
{
    EXPECT_EQ(ReadFileBytes(Outside + "\\program.txt"), "keep-startup\n");
}

// The Startup-folder entry named name as collected now.
bool FindFolderEntry(const char* name, StartupItem& found)
{
    StartupItemList entries;
    CollectStartupEntries(entries, RunKeySourceList(), StartupSortByName, 1);
    for (const StartupItem& entry : entries)
        if (!entry.IsRegistry && entry.Name == name) {
            found = entry;
            return true;
        }
    return false;
}

}  // namespace

TEST(StartupEntryLinks, RemovingALinkedStartupFileLeavesTheLinkAndItsTarget)
{
    const std::string startup = startupfixture::UserStartupFolder();
    ASSERT_FALSE(startup.empty());
    const std::string link = startup + "\\" + StartupLinkName, own = startup + "\\Own Program.txt";
    ASSERT_EQ(ReadFileBytes(link), "keep-startup\n") << "the harness made no link in the Startup folder";
    ASSERT_FALSE(IsOwnPath(link.c_str()));
    ASSERT_TRUE(startupfixture::WriteFile(own, "own"));

    // An ordinary Startup file still goes.
    StartupItem entry;
    ASSERT_TRUE(FindFolderEntry("Own Program", entry));
    EXPECT_EQ(RemoveStartupEntry(entry), 1);
    EXPECT_FALSE(FileExists(own));

    // The row of the link goes, as for any file that could not be deleted; the link stays and
    // is listed again.
    ASSERT_TRUE(FindFolderEntry("Linked Program", entry));
    EXPECT_EQ(RemoveStartupEntry(entry), 1);
    ExpectOutsideIntact();
    EXPECT_EQ(ReadFileBytes(link), "keep-startup\n");
    ASSERT_TRUE(FindFolderEntry("Linked Program", entry));
    EXPECT_EQ(entry.Disabled, 0);
}
