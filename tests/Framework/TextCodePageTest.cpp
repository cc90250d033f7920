// The code-page conversions: what each strictness accepts, what it replaces, and that a failed
// conversion leaves the output as it was.
#include "Framework/TextCodePage.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const UINT Western = 1252;  // a fixed ANSI code page, whatever the prefix's own is

TEST(TextCodePage, ReadingAcceptsReplacesOrRefusesByStrictness)
{
    struct Case {
        const char* what;
        std::string text;
        UINT codePage;
        TextStrictness strictness;
        bool converted;
        std::wstring wide;
    } cases[] = {
        {"valid UTF-8", "gr\xC3\xBC\xC3\x9F", CP_UTF8, TextStrictness::Exact, true, L"gr\u00FC\u00DF"},
        {"malformed UTF-8, exact", "a\xC3(b", CP_UTF8, TextStrictness::Exact, false, L""},
        {"malformed UTF-8, lenient", "a\xC3(b", CP_UTF8, TextStrictness::Lenient, true, L"a\uFFFD(b"},
        {"ANSI", "caf\xE9", Western, TextStrictness::Exact, true, L"caf\u00E9"},
        {"embedded NUL kept", std::string("a\0b", 3), Western, TextStrictness::Exact, true,
         std::wstring(L"a\0b", 3)},
        {"empty", "", CP_UTF8, TextStrictness::Exact, true, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::wstring out = L"before";
        EXPECT_EQ(TextToWide(c.text.data(), int(c.text.size()), c.codePage, c.strictness, out),
                  c.converted);
        if (c.converted) {
            EXPECT_EQ(out, c.wide);
        } else {
            EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_UNICODE_TRANSLATION));
            EXPECT_EQ(out, L"before");
        }
    }
    std::wstring terminated;
    EXPECT_TRUE(TextToWide("up to\0 the NUL", -1, Western, TextStrictness::Exact, terminated));
    EXPECT_EQ(terminated, L"up to");
}

TEST(TextCodePage, WritingAcceptsBestFitsOrRefusesByStrictness)
{
    struct Case {
        const char* what;
        std::wstring wide;
        UINT codePage;
        TextStrictness strictness;
        bool converted;
        std::string text;
    } cases[] = {
        {"exact ANSI", L"caf\u00E9", Western, TextStrictness::Exact, true, "caf\xE9"},
        {"no ANSI form, exact", L"a\u4E2Db", Western, TextStrictness::Exact, false, ""},
        {"no ANSI form, lenient", L"a\u4E2Db", Western, TextStrictness::Lenient, true, "a?b"},
        {"best fit only, exact", L"\u0100", Western, TextStrictness::Exact, false, ""},
        {"best fit only, lenient", L"\u0100", Western, TextStrictness::Lenient, true, "A"},
        {"UTF-8 holds every character", L"a\u4E2Db", CP_UTF8, TextStrictness::Exact, true,
         "a\xE4\xB8\xAD" "b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CString out("before");
        EXPECT_EQ(WideToText(c.wide.data(), int(c.wide.size()), c.codePage, c.strictness, out),
                  c.converted);
        if (c.converted) {
            EXPECT_EQ(std::string(out.GetString(), out.GetLength()), c.text);
        } else {
            EXPECT_EQ(GetLastError(), DWORD(ERROR_NO_UNICODE_TRANSLATION));
            EXPECT_STREQ(out, "before");
        }
    }
}

TEST(TextCodePage, RecodingAppliesEachSidesStrictness)
{
    CString out("before");
    // ANSI to UTF-8 and back.
    ASSERT_TRUE(RecodeText("caf\xE9", -1, Western, TextStrictness::Exact, CP_UTF8,
                           TextStrictness::Exact, out));
    EXPECT_STREQ(out, "caf\xC3\xA9");
    ASSERT_TRUE(RecodeText(out, out.GetLength(), CP_UTF8, TextStrictness::Exact, Western,
                           TextStrictness::Exact, out));
    EXPECT_STREQ(out, "caf\xE9");
    // Input that is not UTF-8 fails when reading is exact, whatever the writing side says.
    EXPECT_FALSE(RecodeText("caf\xE9", -1, CP_UTF8, TextStrictness::Exact, Western,
                            TextStrictness::Lenient, out));
    EXPECT_STREQ(out, "caf\xE9");
    // A character the target lacks: refused when writing is exact, best-fitted when lenient.
    EXPECT_FALSE(RecodeText("\xC4\x80", -1, CP_UTF8, TextStrictness::Exact, Western,
                            TextStrictness::Exact, out));
    EXPECT_TRUE(RecodeText("\xC4\x80", -1, CP_UTF8, TextStrictness::Exact, Western,
                           TextStrictness::Lenient, out));
    EXPECT_STREQ(out, "A");
}

}  // namespace
