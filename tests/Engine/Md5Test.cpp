// MD5 through the process object's hashing slots: the RFC 1321 test suite, files around the
// read-chunk size, and the empty and missing inputs.
#include <gtest/gtest.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "Support/EngineTestSupport.h"

namespace {

struct Md5Fixture : ::testing::Test {
    void SetUp() override
    {
        engine = EngineLibrary::Get().Engine();
        ASSERT_NE(engine, nullptr);
        process = engine->NewLightProcess();
        ASSERT_NE(process, nullptr);
    }
    void TearDown() override { engine->DeleteProcess(process); }

    std::string TempPath(const char* name)
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        return std::string(temp) + name;
    }

    CAbstractSSEngineInterface* engine = nullptr;
    CAbstractProcess* process = nullptr;
};

const struct {
    const char* text;
    const char* digest;
} Rfc1321Suite[] = {
    {"a", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57edf4a22be3c955ac49da2e2107b67a"},
};

}  // namespace

TEST_F(Md5Fixture, TextSlotsGiveTheRfcDigests)
{
    for (const auto& c : Rfc1321Suite) {
        CString text(c.text), a, b;
        EXPECT_EQ(process->HashString(&text, &a), 1) << c.text;
        EXPECT_EQ(process->HashStringEx(CString(c.text), &b), 1) << c.text;
        EXPECT_STREQ(a.GetString(), c.digest) << c.text;
        EXPECT_STREQ(b.GetString(), c.digest) << c.text;
    }
    // Bytes are the ANSI text as it stands, high bytes included.
    CString high("caf\xE9"), out;
    EXPECT_EQ(process->HashStringEx(high, &out), 1);
    EXPECT_STREQ(out.GetString(), "961f50f6282239d09e48f812c1ca7276");
}

TEST_F(Md5Fixture, EmptyInputsLeaveTheOutputAlone)
{
    CString empty, out("kept");
    EXPECT_EQ(process->HashString(&empty, &out), 0);
    EXPECT_EQ(process->HashStringEx(empty, &out), 0);
    EXPECT_EQ(process->HashFile(empty, &out), 0);
    EXPECT_STREQ(out.GetString(), "kept");
    EXPECT_EQ(process->IsBusy(), 0);

    // A file that cannot be opened: accepted, with no digest.
    EXPECT_EQ(process->HashFile(CString("C:\\no\\such\\file.bin"), &out), 1);
    EXPECT_TRUE(out.IsEmpty());
}

// Files of sizes around the 16384-byte read chunk, and one of a few megabytes, against digests
// of the same bytes computed in memory by the text slot (which the RFC suite pins).
TEST_F(Md5Fixture, FileDigestMatchesTheDigestOfItsBytes)
{
    const size_t sizes[] = {1, 16383, 16384, 16385, 3 * 16384, 3 * 1024 * 1024 + 17};
    for (size_t size : sizes) {
        std::vector<char> bytes(size);
        unsigned seed = static_cast<unsigned>(size);
        for (char& byte : bytes) {
            seed = seed * 1103515245u + 12345u;
            byte = static_cast<char>((seed >> 16) | 1);  // no NUL bytes, so the text slot sees them all
        }
        std::string path = TempPath("velmora-md5-test.bin");
        FILE* f = fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);

        CString fromFile, fromText;
        EXPECT_EQ(process->HashFile(CString(path.c_str()), &fromFile), 1);
        EXPECT_EQ(process->HashStringEx(CString(bytes.data(), static_cast<int>(bytes.size())), &fromText), 1);
        EXPECT_EQ(fromFile.GetLength(), 32) << size;
        EXPECT_STREQ(fromFile.GetString(), fromText.GetString()) << size;
        DeleteFileA(path.c_str());
    }
}

// Files pinned to digests computed elsewhere: a short text, RFC 1321's million "a", a file of
// exactly four read chunks and one of a few megabytes.
TEST_F(Md5Fixture, FilesOfKnownContent)
{
    auto pattern = [](size_t size) {
        std::string bytes(size, '\0');
        for (size_t i = 0; i < size; ++i)
            bytes[i] = static_cast<char>(i % 251);
        return bytes;
    };
    const struct {
        const char* name;
        std::string bytes;
        const char* digest;
    } cases[] = {
        {"text", "message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"million a", std::string(1000000, 'a'), "7707d6ae4e027c70eea2a935c2296f21"},
        {"four chunks", pattern(4 * 16384), "9cc60713923528a1dd94e1c1ab0ebc9e"},
        {"4 MB", pattern(4 * 1024 * 1024 + 5), "d9ab5d1389330d7b5c1a5bf8e1eb5fb3"},
    };
    std::string path = TempPath("velmora-md5-known.bin");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FILE* f = fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        fwrite(c.bytes.data(), 1, c.bytes.size(), f);
        fclose(f);
        // Another program writing the file does not keep it from being read.
        HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(writer, INVALID_HANDLE_VALUE);
        CString out;
        EXPECT_EQ(process->HashFile(CString(path.c_str()), &out), 1);
        EXPECT_STREQ(out.GetString(), c.digest);
        CloseHandle(writer);
    }
    DeleteFileA(path.c_str());
}
