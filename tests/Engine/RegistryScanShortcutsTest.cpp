// The registry scan's program-shortcut check ("SRC"), driven through Tarnex.dll with shortcut
// files planted in a folder of the test's own that it passes in the folder map. The repair
// deletes every shortcut reported, so the cases pin down that only shortcuts whose target is
// known to be missing are reported.
#include <gtest/gtest.h>

#include <fstream>

#include "Support/RegistryScanFixture.h"

namespace {

void AppendBytes(const std::string& file, size_t count)
{
    std::ofstream out(file, std::ios::binary | std::ios::app);
    out << std::string(count, '\0');
}

DWORD FileSize(const std::string& file)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return data.nFileSizeLow;
}

}  // namespace

// Shortcuts whose target is missing are reported by their file path, also in sub-folders; the
// ones whose target is present, on a drive that is not there, a shell object, a target named
// with characters outside the ANSI code page, files that do not load as shortcuts, and
// shortcuts larger than 4096 bytes are not. Nothing outside the test's folder is reported.
TEST(RegistryScanShortcuts, ShortcutsWhoseTargetIsMissingAreReportedAndNothingElse)
{
    const std::string tag = UniqueTag();
    const std::string folder = "c:\\" + tag + "\\links";
    const std::string targets = "c:\\" + tag + "\\targets";
    ScanFixture files;
    ASSERT_TRUE(files.Folder(folder + "\\sub\\deeper"));
    ASSERT_TRUE(files.File(targets + "\\present.exe"));
    // Targets whose names the ANSI code page cannot hold: one it has no character for at all,
    // and one it turns into a plain, different (and missing) name by its nearest letters.
    const std::wstring wideTarget = Wide(targets) + L"\\\x4e2d\x6587.exe";
    const std::wstring nearTarget = Wide(targets) + L"\\\x0101\x0107tool.exe";
    ASSERT_TRUE(files.WideFile(wideTarget));
    ASSERT_TRUE(files.WideFile(nearTarget));

    const std::string notepad = WindowsFolder() + "\\notepad.exe";
    struct Link {
        std::string file;
        std::wstring target;
        bool reported;
    };
    const std::vector<Link> links = {
        {folder + "\\broken.lnk", Wide(targets + "\\gone.exe"), true},
        {folder + "\\sub\\deeper\\deep.LNK", Wide(targets + "\\gonedeep.exe"), true},
        {folder + "\\gonefolder.lnk", Wide(targets + "\\nofolder\\x.txt"), true},
        {folder + "\\ok.lnk", Wide(targets + "\\present.exe"), false},
        {folder + "\\notepad.lnk", Wide(notepad), false},
        {folder + "\\drive.lnk", Wide(AbsentDrive() + "\\apps\\gone.exe"), false},
        {folder + "\\computer.lnk", L"", false},
        {folder + "\\sub\\wide.lnk", wideTarget, false},
        {folder + "\\sub\\near.lnk", nearTarget, false},
        {folder + "\\big.lnk", Wide(targets + "\\gonebig.exe"), false},
    };
    FoundItems expected;
    for (const Link& link : links) {
        ASSERT_TRUE(MakeShortcut(link.file, link.target)) << link.file;
        if (link.reported)
            expected.insert({link.file, RegScanShortcuts});
    }
    AppendBytes(folder + "\\big.lnk", 5000);
    ASSERT_GT(FileSize(folder + "\\big.lnk"), 4096u);
    // Files named like shortcuts that are not shortcut files, and an empty one.
    ASSERT_TRUE(files.File(folder + "\\garbage.lnk", std::string(300, 'g')));
    ASSERT_TRUE(files.File(folder + "\\empty.lnk", ""));
    ASSERT_TRUE(files.File(folder + "\\notalink.txt", "plain"));

    ShortcutFolderMap map;
    map[CString(folder.c_str())] = 0;
    ScanProcess process;
    RecordingStatus status;
    ASSERT_TRUE(process.Scan(status, RegScanShortcuts, map));
    FoundItems found = FoundItemsOf(status);
    EXPECT_EQ(found, expected) << "found:\n" << DescribeItems(found) << "expected:\n"
                               << DescribeItems(expected);
    // One progress step per examined shortcut file (1 to 4096 bytes).
    int steps = 0;
    for (const StatusCall& call : status.CallsOf("OnProgress"))
        if (call.value == 1)
            ++steps;
    const int examined = static_cast<int>(links.size()) - 1 /* big.lnk */ + 1 /* garbage.lnk */;
    EXPECT_EQ(steps, examined);
}

// Folders that are not full paths are not searched: an empty folder in the map would otherwise
// search the working folder's drive from its root.
TEST(RegistryScanShortcuts, FoldersThatAreNotFullPathsAreNotSearched)
{
    const std::string tag = UniqueTag();
    char cwd[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, cwd);
    const std::string relative = tag + "rel";
    ScanFixture files;
    ASSERT_TRUE(files.Folder(std::string(cwd) + "\\" + relative));
    ASSERT_TRUE(MakeShortcut(std::string(cwd) + "\\" + relative + "\\broken.lnk",
                             Wide("c:\\" + tag + "\\gone.exe")));

    ShortcutFolderMap map;
    map[CString("")] = 0;
    map[CString(relative.c_str())] = 0;
    ScanProcess process;
    RecordingStatus status;
    ASSERT_TRUE(process.Scan(status, RegScanShortcuts, map));
    EXPECT_TRUE(FoundItemsOf(status).empty()) << DescribeItems(FoundItemsOf(status));
    EXPECT_TRUE(status.CallsOf("OnProgress").size() == 1u);  // only the scan's OnProgress(0)
}

// Stop during the shortcut check: the shortcut being examined is not judged, nothing is
// reported, no further shortcut is examined, and the end sequence arrives exactly once.
TEST(RegistryScanShortcuts, StopDuringTheCheckJudgesNothingAndEndsOnce)
{
    const std::string tag = UniqueTag();
    const std::string folder = "c:\\" + tag + "\\stop";
    ScanFixture files;
    ASSERT_TRUE(files.Folder(folder + "\\inner"));
    for (int i = 0; i < 12; ++i) {
        std::string where = i % 2 ? folder + "\\inner" : folder;
        ASSERT_TRUE(MakeShortcut(where + "\\broken" + std::to_string(i) + ".lnk",
                                 Wide("c:\\" + tag + "\\gone" + std::to_string(i) + ".exe")));
    }

    ShortcutFolderMap map;
    map[CString(folder.c_str())] = 0;
    ScanProcess process;
    RecordingStatus status;
    status.onProgress = [&](int code) {
        if (code == 1)
            process.Get()->Stop(1);
    };
    ASSERT_TRUE(process.Scan(status, RegScanShortcuts | RegScanEmptyKeys | RegScanFileAssociations, map));

    EXPECT_TRUE(FoundItemsOf(status).empty()) << DescribeItems(FoundItemsOf(status));
    int steps = 0;
    for (const StatusCall& call : status.CallsOf("OnProgress"))
        if (call.value == 1)
            ++steps;
    EXPECT_EQ(steps, 1);
    int finished = 0;
    int endTexts = 0;
    std::vector<std::string> stagesAfterSrc;
    bool afterSrc = false;
    for (const StatusCall& call : status.Calls()) {
        if (call.slot == "OnTaskFinished")
            ++finished;
        if (call.slot == "OnStatusText" && call.text.empty() && call.stage == "Scanning")
            ++endTexts;
        if (call.slot == "OnStatusText" && call.text.empty() && afterSrc)
            stagesAfterSrc.push_back(call.stage);
        if (call.slot == "OnStatusText" && call.text.empty() && call.stage == "SRC")
            afterSrc = true;
    }
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(endTexts, 1);
    // The later categories still announce themselves, but run nothing.
    EXPECT_EQ(stagesAfterSrc, (std::vector<std::string>{"ERK", "FAS", "Scanning"}));
    EXPECT_EQ(status.Calls().back().slot, "OnTaskFinished");
    EXPECT_EQ(status.Calls().back().value, TaskRegistryScan);
}
