// Links inside the folders the junk clean empties. The harness (make-junk-clean-links) has made,
// on the host side, links in a temporary folder of the test's own, in Recent and in Chrome's
// User Data (walked for "tmp" files) and its cache: to a folder of files (relative, absolute,
// nested), to an empty folder and to single files. Under Wine 8 deleting a host link to a file
// deletes the file it points to, and removing a link to an empty folder removes that folder;
// a clean of every category leaves every target as it was and every link in place.
#include <gtest/gtest.h>

#include "Engine/JunkScanTestSupport.h"
#include "Support/HostSafety.h"

using namespace junktest;

namespace {

const std::string Base = "C:\\JunkCleanLinks";

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::string> Listing(const std::string& folder)
{
    std::vector<std::string> out;
    for (const ListedFile& f : ListFiles(folder))
        out.push_back(f.path + " " + std::to_string(f.size));
    return out;
}

}  // namespace

TEST(JunkCleanLinks, EveryTargetAndEveryLinkSurviveACleanOfAllCategories)
{
    hostsafety::AssertSandboxedPrefix();
    const std::string temp = Base + "\\Temp", recent = ShellFolder(CSIDL_RECENT);
    const std::string chrome = ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Google\\Chrome\\User Data";
    std::vector<std::string> links = {temp + "\\relative-link", temp + "\\absolute-link", temp + "\\sub\\nested-link",
                                      temp + "\\empty-link", temp + "\\file-link.txt", recent + "\\file-link.lnk",
                                      chrome + "\\file-link.tmp", chrome + "\\Default\\Cache\\file-link"};
    for (const std::string& folder : {recent, chrome, chrome + "\\Default\\Cache"}) {
        links.push_back(folder + "\\folder-link");
        links.push_back(folder + "\\empty-link");
    }
    for (const std::string& link : links)
        ASSERT_TRUE(Exists(link)) << link << ": run this program through the host-links harness";
    const std::vector<std::string> target = Listing(Base + "\\Target");
    ASSERT_EQ(target.size(), 4u);

    ASSERT_TRUE(SetEnvironmentVariableA("TMP", (temp + "\\").c_str()));
    ASSERT_TRUE(SetEnvironmentVariableA("TEMP", (temp + "\\").c_str()));
    ASSERT_TRUE(WriteSizedFile(temp + "\\own.txt", 10));
    ASSERT_TRUE(WriteSizedFile(recent + "\\own.lnk", 10));
    ASSERT_TRUE(WriteSizedFile(chrome + "\\own.tmp", 10));

    EngineProcess process;
    RecordingStatus status;
    ASSERT_EQ(RunTask(process.Get(), status, TaskJunkClean,
                      [&] { return process->StartJunkClean(JunkScanAllMask, &status); }), 1);

    // The clean did run: the real files beside the links are gone.
    EXPECT_FALSE(Exists(temp + "\\own.txt"));
    EXPECT_FALSE(Exists(recent + "\\own.lnk"));
    EXPECT_FALSE(Exists(chrome + "\\own.tmp"));
    EXPECT_EQ(Listing(Base + "\\Target"), target);
    EXPECT_TRUE(Exists(Base + "\\EmptyTarget"));
    for (const std::string& link : links)
        EXPECT_TRUE(Exists(link)) << link;
}
