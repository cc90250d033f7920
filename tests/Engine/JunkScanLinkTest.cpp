// Links inside a scanned folder: the junk scan neither enters nor counts them, however they
// were made. The program runs with a temporary folder of its own (TMP/TEMP), in a prefix where
// the harness (make-junk-links) has put links into that folder that lead to a folder of
// files outside it. Wine 8 itself makes no links: CreateSymbolicLinkA reports success and
// creates nothing, and FSCTL_SET_REPARSE_POINT fails with ERROR_NOT_SUPPORTED; a host symbolic
// link, though, shows as a directory with the reparse-point attribute. The test also tries the
// system's own calls, so where they work (Windows) their links are checked the same way.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iostream>

#include "Engine/JunkScanTestSupport.h"

#include <winioctl.h>

using namespace junktest;

namespace {

const char LinkBase[] = "C:\\JunkLinks";

// The mount-point layout of a reparse buffer (the header that defines it is a driver header).
struct MountPointReparseBuffer {
    DWORD ReparseTag;
    USHORT ReparseDataLength;
    USHORT Reserved;
    USHORT SubstituteNameOffset;
    USHORT SubstituteNameLength;
    USHORT PrintNameOffset;
    USHORT PrintNameLength;
    WCHAR PathBuffer[1];
};

// Makes `folder` a junction to `target`; false where the file system does not support it.
bool MakeJunction(const std::string& folder, const std::string& target, DWORD& error)
{
    error = 0;
    if (!CreateDirectoryA(folder.c_str(), nullptr)) {
        error = GetLastError();
        return false;
    }
    HANDLE dir = CreateFileA(folder.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    bool made = false;
    if (dir != INVALID_HANDLE_VALUE) {
        std::wstring substitute = L"\\??\\" + std::wstring(target.begin(), target.end());
        std::wstring print(target.begin(), target.end());
        std::vector<BYTE> buffer(1024, 0);
        auto* r = reinterpret_cast<MountPointReparseBuffer*>(buffer.data());
        USHORT s = static_cast<USHORT>(substitute.size() * 2), p = static_cast<USHORT>(print.size() * 2);
        r->ReparseTag = IO_REPARSE_TAG_MOUNT_POINT;
        r->SubstituteNameLength = s;
        r->PrintNameOffset = static_cast<USHORT>(s + 2);
        r->PrintNameLength = p;
        memcpy(r->PathBuffer, substitute.c_str(), s + 2);
        memcpy(reinterpret_cast<BYTE*>(r->PathBuffer) + s + 2, print.c_str(), p + 2);
        r->ReparseDataLength = static_cast<USHORT>(8 + s + 2 + p + 2);
        DWORD returned = 0;
        made = DeviceIoControl(dir, FSCTL_SET_REPARSE_POINT, buffer.data(), r->ReparseDataLength + 8u,
                               nullptr, 0, &returned, nullptr) != 0;
        if (!made)
            error = GetLastError();
        CloseHandle(dir);
    } else {
        error = GetLastError();
    }
    if (!made)
        RemoveDirectoryA(folder.c_str());
    return made;
}

bool IsLinkedFolder(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Lists a folder's entries through the link (the link must lead somewhere real).
size_t EntriesThrough(const std::string& link)
{
    size_t count = 0;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((link + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    do {
        if (strcmp(data.cFileName, ".") && strcmp(data.cFileName, ".."))
            ++count;
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return count;
}

}  // namespace

TEST(JunkScanLinks, LinksInsideAScannedFolderAreNeitherEnteredNorCounted)
{
    const std::string temp = std::string(LinkBase) + "\\Temp", target = std::string(LinkBase) + "\\Target";
    std::vector<std::string> links = {temp + "\\relative-link", temp + "\\absolute-link",
                                      temp + "\\sub\\nested-link"};
    for (const std::string& link : links)
        ASSERT_TRUE(IsLinkedFolder(link)) << link << ": run this program through the host-links harness";

    // A folder full of files behind the links.
    for (int i = 0; i < 50; ++i)
        ASSERT_TRUE(WriteSizedFile(target + "\\t" + std::to_string(i) + ".bin", 1000 + i));
    ASSERT_TRUE(WriteSizedFile(target + "\\inner\\deep.bin", 77777));
    for (const std::string& link : links)
        ASSERT_EQ(EntriesThrough(link), 51u) << link;

    // The system's own ways of making links, where it has them.
    typedef BOOLEAN(WINAPI * CreateSymbolicLinkFunction)(LPCSTR, LPCSTR, DWORD);
    auto createSymbolicLink = reinterpret_cast<CreateSymbolicLinkFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "CreateSymbolicLinkA")));
    const std::string apiLink = temp + "\\api-link", junction = temp + "\\junction";
    BOOLEAN symbolicLinkResult = createSymbolicLink ? createSymbolicLink(apiLink.c_str(), target.c_str(), 1) : 0;
    bool apiLinkMade = IsLinkedFolder(apiLink);
    DWORD junctionError = 0;
    bool junctionMade = MakeJunction(junction, target, junctionError) && IsLinkedFolder(junction);
    std::cout << "CreateSymbolicLinkA returned " << int(symbolicLinkResult) << ", link "
              << (apiLinkMade ? "made" : "not made") << "; junction "
              << (junctionMade ? "made" : "not made (error " + std::to_string(junctionError) + ")") << "\n";
    if (apiLinkMade)
        links.push_back(apiLink);
    if (junctionMade)
        links.push_back(junction);

    // The program's own temporary folder: the links and one real file.
    ASSERT_TRUE(SetEnvironmentVariableA("TMP", (temp + "\\").c_str()));
    ASSERT_TRUE(SetEnvironmentVariableA("TEMP", (temp + "\\").c_str()));
    ASSERT_EQ(TempFolder(), temp);
    ASSERT_TRUE(WriteSizedFile(temp + "\\own.txt", 10));
    ASSERT_TRUE(WriteSizedFile(temp + "\\sub\\own2.txt", 20));

    // What the Windows temporary folder holds now, and the two real files: nothing else.
    std::vector<Finding> expected;
    for (const ListedFile& f : ListFiles(ShellFolder(CSIDL_WINDOWS) + "\\Temp"))
        expected.push_back({JunkTempFiles, f.size, f.path});
    for (const ListedFile& f : ListFiles(temp))
        expected.push_back({JunkTempFiles, f.size, f.path});
    ASSERT_EQ(std::count_if(expected.begin(), expected.end(),
                            [&](const Finding& f) { return f.text.compare(0, temp.size(), temp) == 0; }),
              2);

    EngineProcess process;
    std::vector<StatusCall> calls = RunJunkScan(process.Get(), JunkTempFiles);
    EXPECT_EQ(ScanReports(calls), ExpectedScan({{JunkTempFiles, expected}}));
    // Not even a progress text comes from behind a link.
    for (const StatusCall& c : calls) {
        char longPath[MAX_PATH + 1] = {};
        std::string shown = c.text;
        if (c.slot == "OnStatusText" && GetLongPathNameA(c.text.c_str(), longPath, sizeof longPath))
            shown = longPath;
        for (const std::string& link : links)
            EXPECT_EQ(Lower(shown).find(Lower(link) + "\\"), std::string::npos) << c.Describe();
    }
}
