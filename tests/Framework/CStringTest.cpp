// Unit tests of CString: bounds, editing counts, formatting with %I64, buffers, copies, ordering.
#include "Framework/CString.h"

#include <gtest/gtest.h>

#include <limits.h>
#include <map>
#include <string>
#include <vector>

namespace {

std::string Str(const CString& s)
{
    return std::string(s.GetString(), s.GetLength());
}

TEST(CString, ExtractionClampsOutOfRangeArguments)
{
    const CString s("abcdef");
    struct Case { int first, count; const char* mid1; const char* mid2; const char* left; const char* right; };
    // mid1 = Mid(first), mid2 = Mid(first, count), left = Left(count), right = Right(count)
    const Case cases[] = {
        {0, 3, "abcdef", "abc", "abc", "def"},
        {2, 2, "cdef", "cd", "ab", "ef"},
        {-3, 2, "abcdef", "ab", "ab", "ef"},
        {5, 10, "f", "f", "abcdef", "abcdef"},
        {6, 1, "", "", "a", "f"},
        {100, 1, "", "", "a", "f"},
        {1, -1, "bcdef", "", "", ""},
        {INT_MAX, INT_MAX, "", "", "abcdef", "abcdef"},
        {INT_MIN, INT_MIN, "abcdef", "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "first " << c.first << " count " << c.count);
        EXPECT_EQ(Str(s.Mid(c.first)), c.mid1);
        EXPECT_EQ(Str(s.Mid(c.first, c.count)), c.mid2);
        EXPECT_EQ(Str(s.Left(c.count)), c.left);
        EXPECT_EQ(Str(s.Right(c.count)), c.right);
    }
    EXPECT_EQ(Str(CString().Mid(3, 2)), "");
    EXPECT_EQ(Str(CString().Right(2)), "");
}

TEST(CString, FindHonoursStartAndStaysInBounds)
{
    const CString s("a.b.c.");
    struct Case { int start; int ch; int sub; };   // Find('.', start), Find("b.", start)
    const Case cases[] = {
        {0, 1, 2}, {1, 1, 2}, {2, 3, 2}, {3, 3, -1}, {5, 5, -1}, {6, -1, -1}, {7, -1, -1},
        {-5, 1, 2}, {INT_MAX, -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "start " << c.start);
        EXPECT_EQ(s.Find('.', c.start), c.ch);
        EXPECT_EQ(s.Find("b.", c.start), c.sub);
    }
    EXPECT_EQ(s.ReverseFind('.'), 5);
    EXPECT_EQ(s.ReverseFind('x'), -1);
    EXPECT_EQ(s.FindOneOf("cb"), 2);
    EXPECT_EQ(s.FindOneOf("xyz"), -1);
    EXPECT_EQ(s.FindOneOf(""), -1);
    EXPECT_EQ(s.Find('\0'), -1);
    EXPECT_EQ(CString().Find("a"), -1);
    EXPECT_EQ(CString().ReverseFind('a'), -1);
    EXPECT_EQ(s.Find(static_cast<const char*>(NULL)), -1);
}

TEST(CString, DeleteAndInsertClampPositions)
{
    struct Case { int index, count; const char* deleted; const char* insertedStr; };
    // On "abcdef": Delete(index, count) and Insert(index, "XY")
    const Case cases[] = {
        {0, 1, "bcdef", "XYabcdef"},
        {2, 2, "abef", "abXYcdef"},
        {4, 100, "abcd", "abcdXYef"},
        {6, 1, "abcdef", "abcdefXY"},
        {50, 1, "abcdef", "abcdefXY"},
        {-2, 3, "def", "XYabcdef"},
        {1, 0, "abcdef", "aXYbcdef"},
        {1, -4, "abcdef", "aXYbcdef"},
        {INT_MAX, INT_MAX, "abcdef", "abcdefXY"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "index " << c.index << " count " << c.count);
        CString d("abcdef");
        EXPECT_EQ(d.Delete(c.index, c.count), int(strlen(c.deleted)));
        EXPECT_EQ(Str(d), c.deleted);
        CString i("abcdef");
        EXPECT_EQ(i.Insert(c.index, "XY"), 8);
        EXPECT_EQ(Str(i), c.insertedStr);
    }
    CString s;
    EXPECT_EQ(s.Insert(3, 'z'), 1);
    EXPECT_EQ(Str(s), "z");
    EXPECT_EQ(s.Delete(0, 5), 0);
    EXPECT_TRUE(s.IsEmpty());
}

TEST(CString, ReplaceCountsNonOverlappingMatches)
{
    struct Case { const char* src; const char* from; const char* to; const char* result; int count; };
    const Case cases[] = {
        {"aaaa", "aa", "b", "bb", 2},
        {"aaa", "aa", "x", "xa", 1},            // overlapping: left to right, no rescan
        {"abab", "aba", "", "b", 1},
        {"abcabc", "b", "", "acac", 2},
        {"abab", "ab", "", "", 2},
        {"a.b.c", ".", "...", "a...b...c", 2},  // longer replacement containing the pattern
        {"%1 and %1", "%1", "%10", "%10 and %10", 2},
        {"xyz", "q", "r", "xyz", 0},
        {"abc", "", "x", "abc", 0},              // an empty pattern replaces nothing
        {"", "a", "b", "", 0},
        {"C:\\Dir\\\\File", "\\\\", "\\", "C:\\Dir\\File", 1},
        {"&amp;lt;", "&amp;", "&", "&lt;", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.src);
        CString s(c.src);
        EXPECT_EQ(s.Replace(c.from, c.to), c.count);
        EXPECT_EQ(Str(s), c.result);
    }
    CString n("a-b");
    EXPECT_EQ(n.Replace("-", NULL), 1);
    EXPECT_EQ(Str(n), "ab");

    CString self("ab");   // arguments that point into the string itself
    EXPECT_EQ(self.Replace(self, self + self), 1);
    EXPECT_EQ(Str(self), "abab");

    CString chars("a-b-c");
    EXPECT_EQ(chars.Replace('-', '+'), 2);
    EXPECT_EQ(chars.Replace('+', '+'), 0);
    EXPECT_EQ(Str(chars), "a+b+c");
    EXPECT_EQ(chars.Remove('+'), 2);
    EXPECT_EQ(Str(chars), "abc");
    EXPECT_EQ(chars.Remove('q'), 0);
}

TEST(CString, FormatProducesLongOutput)
{
    const CString big('x', 100 * 1024);
    CString s;
    s.Format("[%s]", big.GetString());
    ASSERT_EQ(s.GetLength(), 100 * 1024 + 2);
    EXPECT_EQ(s[0], '[');
    EXPECT_EQ(s.Find('x'), 1);
    EXPECT_EQ(s.ReverseFind(']'), 100 * 1024 + 1);

    s.AppendFormat("%s", big.GetString());
    EXPECT_EQ(s.GetLength(), 200 * 1024 + 2);

    CString w;
    w.Format("%200000d|", 7);
    EXPECT_EQ(w.GetLength(), 200001);
    EXPECT_EQ(Str(w.Right(2)), "7|");
}

TEST(CString, FormatAcceptsMicrosoftInt64Modifiers)
{
    struct Case { std::string text; const char* expected; };
    auto fmt = [](const CString& s) { return Str(s); };
    CString a, b, c, d, e, f, g, h;
    a.Format("%I64d", (long long)LLONG_MAX);
    b.Format("%I64d", (long long)LLONG_MIN);
    c.Format("%I64d bytes", (long long)-1);
    d.Format("%I64u", (unsigned long long)ULLONG_MAX);
    e.Format("%I64x", (unsigned long long)0x123456789abcdefULL);
    f.Format("%I64d %s %d", (long long)5000000000LL, "mid", 42);   // arguments stay aligned
    g.Format("%.2f KB", 1025 / 1024.0);
    h.Format("0x%02x%02x%02x%02x|%08x|%2.2f", 1u, 0xabu, 0u, 255u, 0x1fu, 3.14159);
    const Case cases[] = {
        {fmt(a), "9223372036854775807"},
        {fmt(b), "-9223372036854775808"},
        {fmt(c), "-1 bytes"},
        {fmt(d), "18446744073709551615"},
        {fmt(e), "123456789abcdef"},
        {fmt(f), "5000000000 mid 42"},
        {fmt(g), "1.00 KB"},
        {fmt(h), "0x01ab00ff|0000001f|3.14"},
    };
    for (const Case& x : cases)
        EXPECT_EQ(x.text, x.expected);
}

TEST(CString, FormatMayUseTheStringItselfAsArgument)
{
    CString s("abc");
    s.Format("%s-%s", s.GetString(), s.GetString());
    EXPECT_EQ(Str(s), "abc-abc");
    s.AppendFormat("+%s", s.GetString());
    EXPECT_EQ(Str(s), "abc-abc+abc-abc");
    s.Format("%s", "");
    EXPECT_TRUE(s.IsEmpty());
}

TEST(CString, TrimVariants)
{
    enum Op { kTrim, kLeft, kRight };
    struct Case { Op op; const char* set; const char* src; const char* result; };  // set NULL: white space
    const Case cases[] = {
        {kTrim, NULL, " \t\r\n a b \v\f ", "a b"},
        {kLeft, NULL, "  a b  ", "a b  "},
        {kRight, NULL, "  a b  ", "  a b"},
        {kTrim, NULL, "   ", ""},
        {kTrim, NULL, "", ""},
        {kTrim, NULL, "\xa0x\xa0", "\xa0x\xa0"},    // high bytes are not white space
        {kTrim, "\"'\\", "\"'C:\\x\\'\"", "C:\\x"},
        {kLeft, "\"'", "'\"'a'", "a'"},
        {kRight, "\\/", "C:\\dir\\//", "C:\\dir"},
        {kTrim, "", "  a  ", "  a  "},
        {kTrim, "ab", "abba", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.src);
        CString s(c.src);
        if (c.set)
            c.op == kTrim ? s.Trim(c.set) : c.op == kLeft ? s.TrimLeft(c.set) : s.TrimRight(c.set);
        else
            c.op == kTrim ? s.Trim() : c.op == kLeft ? s.TrimLeft() : s.TrimRight();
        EXPECT_EQ(Str(s), c.result);
    }
    CString q("\"\"x\"");
    EXPECT_EQ(Str(q.Trim('"')), "x");
    CString l("xxyx");
    EXPECT_EQ(Str(l.TrimLeft('x')), "yx");
    EXPECT_EQ(Str(l.TrimRight('x')), "y");
}

TEST(CString, TokenizeWalksTokensThenReportsTheEnd)
{
    struct Case { const char* src; const char* delims; std::vector<std::string> tokens; };
    const Case cases[] = {
        {"a,b,,c", ",", {"a", "b", "c"}},
        {",,a;b,;", ",;", {"a", "b"}},
        {"single", ",", {"single"}},
        {",,,", ",", {}},
        {"", ",", {}},
        {"rest of it", "", {"rest of it"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.src);
        const CString s(c.src);
        std::vector<std::string> got;
        int pos = 0;
        for (int guard = 0; guard < 20; ++guard) {
            CString token = s.Tokenize(c.delims, pos);
            if (pos == -1) {
                EXPECT_TRUE(token.IsEmpty());
                break;
            }
            got.push_back(Str(token));
        }
        EXPECT_EQ(pos, -1);
        EXPECT_EQ(got, c.tokens);
    }
    int bad = -3;
    EXPECT_TRUE(CString("a b").Tokenize(" ", bad).IsEmpty());
    EXPECT_EQ(bad, -1);
}

TEST(CString, CompareAndCompareNoCase)
{
    struct Case { const char* a; const char* b; int cmp; int nocase; };
    const Case cases[] = {
        {"abc", "abc", 0, 0},
        {"abc", "ABC", 1, 0},
        {"(Default)", "(default)", -1, 0},
        {"HKEY_CLASSES_ROOT", "hkey_classes_root", -1, 0},
        {"ab", "abc", -1, -1},
        {"b", "A", 1, 1},
        {"", "", 0, 0},
        {"", "a", -1, -1},
        {"\xe9", "z", 1, 1},        // bytes compare unsigned
        {"\xc9", "\xe9", -1, -1},   // only ASCII letters fold
        {"[", "a", -1, -1},         // '[' sits between 'Z' and 'a'; folding goes to lower case
    };
    auto sign = [](int v) { return (v > 0) - (v < 0); };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a << " / " << c.b);
        EXPECT_EQ(sign(CString(c.a).Compare(c.b)), c.cmp);
        EXPECT_EQ(sign(CString(c.a).CompareNoCase(c.b)), c.nocase);
        EXPECT_EQ(CString(c.a) == CString(c.b), c.cmp == 0);
        EXPECT_EQ(CString(c.a) != c.b, c.cmp != 0);
        EXPECT_EQ(CString(c.a) < CString(c.b), c.cmp < 0);
    }
    EXPECT_EQ(CString().Compare(NULL), 0);
    EXPECT_FALSE(CString("ab") == CString("ab\0c", 4));   // same C text, different lengths
}

TEST(CString, WorksAsOrderedMapKey)
{
    std::map<CString, int> m;
    const char* keys[] = {"b", "\xe9t\xe9", "a", "B", "ab", ""};
    for (int i = 0; i < 6; ++i)
        m[keys[i]] = i;
    m[CString("a")] = 10;   // an equal key replaces
    std::vector<std::string> order;
    for (const auto& kv : m)
        order.push_back(Str(kv.first));
    EXPECT_EQ(order, (std::vector<std::string>{"", "B", "a", "ab", "b", "\xe9t\xe9"}));
    EXPECT_EQ(m[CString("a")], 10);
    EXPECT_EQ(m.count(CString("A")), 0u);
}

TEST(CString, BufferRoundTrip)
{
    CString path;
    char* p = path.GetBuffer(MAX_PATH);
    ASSERT_NE(p, nullptr);
    DWORD n = GetModuleFileNameA(NULL, p, MAX_PATH);
    path.ReleaseBuffer();
    ASSERT_GT(n, 0u);
    EXPECT_EQ(path.GetLength(), int(n));
    EXPECT_EQ(path.Right(4).CompareNoCase(".exe"), 0);

    CString s("keep");
    p = s.GetBuffer(2);   // never smaller than the text
    EXPECT_STREQ(p, "keep");
    p[1] = 'E';
    s.ReleaseBuffer(3);
    EXPECT_EQ(Str(s), "kEe");

    CString full;   // filled to the last byte without a terminator
    p = full.GetBuffer(8);
    memset(p, 'z', 8);
    full.ReleaseBuffer();
    EXPECT_EQ(full, CString('z', 8));   // the length stops at the block's end

    CString over("abc");   // a length beyond the block is clipped to it
    over.GetBuffer(4);
    over.ReleaseBuffer(1 << 20);
    EXPECT_LT(over.GetLength(), 1 << 20);
    EXPECT_EQ(over.Left(3), "abc");

    CString empty;
    p = empty.GetBuffer();
    ASSERT_NE(p, nullptr);
    p[0] = '\0';
    empty.ReleaseBuffer();
    EXPECT_TRUE(empty.IsEmpty());

    CString set;
    p = set.GetBufferSetLength(5);
    memcpy(p, "hello", 5);
    EXPECT_EQ(set.GetLength(), 5);
    EXPECT_EQ(Str(set), "hello");
}

TEST(CString, CopiesAreIndependent)
{
    CString a("original");
    CString b(a);
    CString c;
    c = a;
    EXPECT_NE(a.GetString(), b.GetString());
    EXPECT_NE(a.GetString(), c.GetString());
    b.SetAt(0, 'O');
    c.GetBuffer(0)[1] = 'R';
    c.ReleaseBuffer();
    EXPECT_EQ(Str(a), "original");
    EXPECT_EQ(Str(b), "Original");
    EXPECT_EQ(Str(c), "oRiginal");

    CString moved(std::move(b));
    EXPECT_EQ(Str(moved), "Original");
    EXPECT_TRUE(b.IsEmpty());
    EXPECT_STREQ(b.GetString(), "");
    c = std::move(moved);
    EXPECT_EQ(Str(c), "Original");

    CString self("self");
    const CString& alias = self;
    self = alias;
    EXPECT_EQ(Str(self), "self");
    self = self.GetString() + 2;   // a tail of its own text
    EXPECT_EQ(Str(self), "lf");
    self += self;
    EXPECT_EQ(Str(self), "lflf");
    std::string model = "lflf";
    for (int i = 0; i < 6; ++i) {   // appending its own tail while the block reallocates
        self += self.GetString() + 1;
        model += model.substr(1);
    }
    EXPECT_EQ(Str(self), model);
    self.Insert(1, self.GetString() + 2);
    model.insert(1, model.substr(2));
    EXPECT_EQ(Str(self), model);
}

TEST(CString, EmptyStringAndCharAccess)
{
    CString e;
    EXPECT_NE(e.GetString(), nullptr);
    EXPECT_STREQ(static_cast<const char*>(e), "");
    EXPECT_EQ(e.GetAt(0), '\0');
    e.SetAt(0, 'x');
    EXPECT_TRUE(e.IsEmpty());

    CString s("abc");
    EXPECT_EQ(s[1], 'b');
    EXPECT_EQ(s.GetAt(3), '\0');
    EXPECT_EQ(s.GetAt(-1), '\0');
    EXPECT_EQ(s.GetAt(INT_MAX), '\0');
    s.SetAt(3, 'x');
    s.SetAt(-1, 'x');
    s.SetAt(2, 'C');
    EXPECT_EQ(Str(s), "abC");
    s.Empty();
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_STREQ(s.GetString(), "");

    EXPECT_TRUE(CString(static_cast<const char*>(NULL)).IsEmpty());
    EXPECT_EQ(Str(CString("abc", 2)), "ab");
    EXPECT_TRUE(CString("abc", -1).IsEmpty());
    EXPECT_EQ(Str(CString('-', 3)), "---");
    EXPECT_TRUE(CString('-', 0).IsEmpty());
    EXPECT_TRUE(CString('-', -5).IsEmpty());
}

TEST(CString, ConcatenationOperators)
{
    const CString s("mid");
    EXPECT_EQ(Str("<" + s + '>'), "<mid>");
    EXPECT_EQ(Str('[' + s + "]" + s), "[mid]mid");
    EXPECT_EQ(Str(s + s), "midmid");
    CString t;
    t += s;
    t += '^';
    t += "end";
    t += static_cast<const char*>(NULL);
    EXPECT_EQ(Str(t), "mid^end");
    t = 'c';
    EXPECT_EQ(Str(t), "c");
}

TEST(CString, CaseAndSpanHelpersKeepHighAnsiBytes)
{
    const char* text = "Caf\xe9 \xac\xc9 MiX";
    CString lower(text), upper(text);
    EXPECT_EQ(Str(lower.MakeLower()), "caf\xe9 \xac\xc9 mix");
    EXPECT_EQ(Str(upper.MakeUpper()), "CAF\xe9 \xac\xc9 MIX");
    CString rev("ab\xe9");
    EXPECT_EQ(Str(rev.MakeReverse()), "\xe9" "ba");
    CString copy(text);
    EXPECT_EQ(Str(copy), text);
    CString formatted;
    formatted.Format("%s|%c", text, '\xac');
    EXPECT_EQ(Str(formatted), std::string(text) + "|\xac");

    const CString s("0x1fZ-rest");
    EXPECT_EQ(Str(s.SpanIncluding("0123456789abcdefx")), "0x1f");
    EXPECT_EQ(Str(s.SpanExcluding("-Z")), "0x1f");
    EXPECT_EQ(Str(s.SpanIncluding("")), "");
    EXPECT_EQ(Str(s.SpanExcluding("")), "0x1fZ-rest");
}

TEST(CString, LoadStringReadsResourcesOfAnyLength)
{
    CString s;
    ASSERT_TRUE(s.LoadString(101));
    EXPECT_EQ(Str(s), "Velmora test string");
    ASSERT_TRUE(s.LoadString(102));
    EXPECT_EQ(s.GetLength(), 300);
    EXPECT_EQ(s.Right(3), "end");
    EXPECT_FALSE(s.LoadString(9999));
    EXPECT_TRUE(s.IsEmpty());
}

}  // namespace
