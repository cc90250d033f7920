// The installer's own checks, in the test process: the signature check over the test's signed
// installers, the hold that keeps a checked file as it was, and the writer that never writes
// into a file it did not make. Each case runs in a prefix of its own (the Root store is
// machine-wide).
#include <windows.h>
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "Frame/InstallerDownload.h"
#include "Frame/InstallerSignature.h"
#include "ProcessDriver.h"

namespace {

const char* const Publisher = "Velmora Test Publisher";

std::string UpdateFolder() { return TestFolder() + "update\\"; }

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& data)
{
    std::ofstream(path, std::ios::binary) << data;
}

void TrustTestRoot()
{
    std::string root = ReadFile(UpdateFolder() + "test-root.cer");
    ASSERT_FALSE(root.empty());
    HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, "Root");
    ASSERT_NE(store, static_cast<HCERTSTORE>(NULL));
    EXPECT_TRUE(CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING,
                                                 reinterpret_cast<const BYTE*>(root.data()),
                                                 static_cast<DWORD>(root.size()), CERT_STORE_ADD_REPLACE_EXISTING,
                                                 NULL));
    CertCloseStore(store, 0);
}

InstallerTrust Check(const std::string& file, const char* publisher = Publisher)
{
    CString path = (UpdateFolder() + file).c_str();
    CHandle held;
    if (!OpenInstallerForStart(path, held))
        return static_cast<InstallerTrust>(-1);
    return CheckInstallerSignature(held.Get(), path, publisher);
}

// A reader over fixed chunks; a chunk "!" is a failed read.
InstallerReader Chunks(std::vector<std::string> chunks)
{
    auto next = std::make_shared<size_t>(0);
    return [chunks, next](char* buffer, DWORD size, DWORD* count) {
        if (*next >= chunks.size()) {
            *count = 0;
            return true;
        }
        const std::string& chunk = chunks[(*next)++];
        if (chunk == "!")
            return false;
        *count = static_cast<DWORD>(std::min<size_t>(chunk.size(), size));
        memcpy(buffer, chunk.data(), *count);
        return true;
    };
}

}  // namespace

TEST(InstallerSignature, OnlyTheGoodInstallerOfThePublisherPasses)
{
    TrustTestRoot();
    struct Row {
        const char* file;
        const char* publisher;
        InstallerTrust trust;
    };
    const Row rows[] = {
        {"installer-good.exe", Publisher, InstallerTrusted},
        {"installer-good.exe", "Velmora Test", InstallerOtherPublisher},
        {"installer-good.exe", "velmora test publisher", InstallerOtherPublisher},
        {"installer-unsigned.exe", Publisher, InstallerSignatureRejected},
        {"installer-tampered.exe", Publisher, InstallerSignatureRejected},
        {"installer-selfsigned.exe", Publisher, InstallerChainFault},
        {"installer-other.exe", Publisher, InstallerOtherPublisher},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.file) + " for " + row.publisher);
        EXPECT_EQ(Check(row.file, row.publisher), row.trust);
    }
}

TEST(InstallerSignature, RootOutsideTheStoreIsAChainFault)
{
    EXPECT_EQ(Check("installer-good.exe"), InstallerChainFault);
}

TEST(InstallerSignature, HeldInstallerCanBeReadButNotChangedMovedOrDeleted)
{
    std::string folder = MakeScratchFolder("velmora-held");
    std::string path = folder + "qzk1.exe";
    WriteFile(path, "installer");
    {
        CHandle held;
        ASSERT_TRUE(OpenInstallerForStart(path.c_str(), held));
        HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                    OPEN_EXISTING, 0, NULL);
        EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
        if (writer != INVALID_HANDLE_VALUE)
            CloseHandle(writer);
        EXPECT_FALSE(DeleteFileA(path.c_str()));
        EXPECT_FALSE(MoveFileA(path.c_str(), (folder + "moved.exe").c_str()));
        EXPECT_EQ(ReadFile(path), "installer");
    }
    EXPECT_TRUE(DeleteFileA(path.c_str()));
}

TEST(InstallerWriter, WritesOnlyAFileItMadeAndCountsWhatItWrote)
{
    std::string folder = MakeScratchFolder("velmora-writer");
    int closing = 0;
    DWORD total = 99;

    // A file of that name is already there (planted): it fails and the file stays as it was.
    std::string planted = folder + "planted.exe";
    WriteFile(planted, "planted");
    EXPECT_EQ(WriteInstallerFile(planted.c_str(), Chunks({"new"}), &closing, &total), InstallerNotCreated);
    EXPECT_EQ(total, 0u);
    EXPECT_EQ(ReadFile(planted), "planted");

    // The reads end at a failed one or at an empty one.
    std::string path = folder + "whole.exe";
    EXPECT_EQ(WriteInstallerFile(path.c_str(), Chunks({"ab", "cde", "!", "lost"}), &closing, &total),
              InstallerWritten);
    EXPECT_EQ(total, 5u);
    EXPECT_EQ(ReadFile(path), "abcde");

    // Reads ask for 4095 bytes at most; every byte written counts.
    std::string large = folder + "large.exe";
    std::string big(10000, 'x');
    EXPECT_EQ(WriteInstallerFile(large.c_str(), Chunks({big, big.substr(0, 4095), big.substr(0, 1810)}), &closing,
                                 &total),
              InstallerWritten);
    EXPECT_EQ(total, 4095u * 2 + 1810u);
    EXPECT_EQ(ReadFile(large).size(), total);

    // Closing between two reads cancels.
    closing = 1;
    std::string cancelled = folder + "cancelled.exe";
    EXPECT_EQ(WriteInstallerFile(cancelled.c_str(), Chunks({"ab"}), &closing, &total), InstallerCancelled);
    EXPECT_EQ(total, 0u);
}

TEST(InstallerWriter, TempNameIsTheSystemsUniqueFileWithExe)
{
    CString first = UpdateInstallerTempFile();
    CString second = UpdateInstallerTempFile();
    std::string a = first.GetString(), b = second.GetString();
    ASSERT_GT(a.size(), 8u);
    EXPECT_NE(a, b);
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    for (const std::string& path : {a, b}) {
        SCOPED_TRACE(path);
        std::string name = path.substr(path.rfind('\\') + 1);
        EXPECT_EQ(path.substr(0, path.rfind('\\') + 1), temp);
        EXPECT_EQ(name.substr(0, 3), "qzk");
        EXPECT_EQ(name.substr(name.size() - 4), ".exe");
        // The system made the .tmp twin, which keeps the name taken; the .exe is not there yet.
        std::string twin = path.substr(0, path.size() - 4) + ".tmp";
        EXPECT_NE(GetFileAttributesA(twin.c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
        DeleteFileA(twin.c_str());
    }
}
