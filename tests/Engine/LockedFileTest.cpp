// A file the repair must delete but another program holds open without delete sharing: it is
// reported and scheduled for deletion at the next start. Runs in a prefix of its own, since the
// schedule is machine-wide.
#include <gtest/gtest.h>

#include "Client/Scan/ScanItemsInfo.h"
#include "RegistryFixture.h"
#include "Support/EngineTestSupport.h"

TEST(RegistryRepairLockedFile, IsReportedAndDeletedAtTheNextStart)
{
    TempFolder folder("locked");
    const std::string file = folder.File("held.lnk");
    ASSERT_TRUE(WriteWholeFile(file, "x"));
    HANDLE held = CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    CScanItemsInfo store(folder.Path().c_str());
    store.AddItem(file.c_str(), 0x8000, 0, 0);
    CAbstractProcess* process = EngineLibrary::Get().Engine()->NewProcess();
    RecordingStatus status;
    RunTask(process, status, TaskRegistryRepair, [&] { return process->StartRegistryRepair(&store, &status, 0); });
    EngineLibrary::Get().Engine()->DeleteProcess(process);
    CloseHandle(held);

    EXPECT_EQ(status.CallsOf("OnResult").size(), 1u);
    EXPECT_TRUE(GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES);
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0,
                            KEY_READ, &key), ERROR_SUCCESS);
    char data[8192] = {};
    DWORD size = sizeof(data), type = 0;
    ASSERT_EQ(RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, &type,
                               reinterpret_cast<BYTE*>(data), &size), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(type, DWORD(REG_MULTI_SZ));
    // "\??\<path>", then an empty string: no destination.
    const std::string expected = "\\??\\" + file + std::string(1, '\0') + std::string(1, '\0');
    EXPECT_NE(std::string(data, size).find(expected), std::string::npos);
}
