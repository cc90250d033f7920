// The registry document's XML writer and reader: exact bytes written, the event sequence read
// back, the syntax errors, and values that hold quotes, ">" and line breaks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Engine/XmlStream.h"
#include "RegistryFixture.h"

namespace {

struct Event {
    int kind;
    std::string payload;
    bool operator==(const Event& o) const { return kind == o.kind && payload == o.payload; }
};
std::ostream& operator<<(std::ostream& out, const Event& e)
{
    return out << e.kind << " \"" << e.payload << "\"";
}

// Every event but kind 0, and the error text at the end.
std::vector<Event> ReadEvents(const std::string& file, std::string* error)
{
    CXmlReader reader;
    reader.SetFileName(file.c_str());
    std::vector<Event> events;
    for (int guard = 0; guard < 100000 && reader.Read(); ++guard) {
        switch (reader.GetNodeKind()) {
        case CXmlReader::NodeStartTag:
        case CXmlReader::NodeEndTag:
            events.push_back({reader.GetNodeKind(), reader.GetElementName().GetString()});
            break;
        case CXmlReader::NodeAttribute:
            events.push_back({3, std::string(reader.GetAttributeName()) + "=" + reader.GetAttributeValue().GetString()});
            break;
        case CXmlReader::NodeText:
            events.push_back({4, reader.GetText().GetString()});
            break;
        case CXmlReader::NodeDeclaration:
            events.push_back({5, reader.GetDeclaration().GetString()});
            break;
        case CXmlReader::NodeNone:
            break;
        default:
            events.push_back({reader.GetNodeKind(), ""});
            break;
        }
    }
    *error = reader.GetErrorText().GetString();
    return events;
}

CXmlTag Tag(const char* name, std::vector<std::pair<const char*, const char*>> attributes = {})
{
    CXmlTag tag(name);
    for (const auto& a : attributes)
        tag.SetAttribute(a.first, a.second);
    return tag;
}

}  // namespace

TEST(XmlWriter, WritesTheDeclarationIndentAndLineEndsExactly)
{
    TempFolder folder("xmlw");
    const std::string file = folder.File("doc.xml");
    CXmlWriter writer;
    writer.SetFileName(file.c_str());
    writer.WriteStartTag(Tag("registry"));
    writer.WriteStartTag(Tag("k", {{"name", "a"}}));
    writer.WriteEmptyElement(Tag("v", {{"name", "x"}, {"value", ""}, {"type", "REG_SZ"}}));
    writer.WriteEndTag("k");
    writer.WriteEndTag("registry");
    ASSERT_TRUE(writer.Close());
    EXPECT_EQ(ReadWholeFile(file),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n <registry>\r\n  <k name=\"a\">\r\n"
              "   <v name=\"x\" value=\"\" type=\"REG_SZ\"/>\r\n  </k>\r\n </registry>\r\n");

    // After Close the next write truncates the file and starts again with the declaration.
    writer.WriteEmptyElement(Tag("v"));
    ASSERT_TRUE(writer.Close());
    EXPECT_EQ(ReadWholeFile(file), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n <v/>\r\n");

    // Setting an attribute again replaces its value in place.
    CXmlTag tag = Tag("v", {{"name", "a"}, {"value", "1"}});
    tag.SetAttribute("name", "b");
    EXPECT_EQ(tag.GetAttributeCount(), 2);
    EXPECT_EQ(tag.GetAttributeName(0), "name");
    EXPECT_EQ(tag.GetAttributeValue(0), "b");
    EXPECT_EQ(tag.GetAttributeValue(5), "");

    CXmlStringWriter text;
    text.WriteEmptyElement(Tag("v"));
    EXPECT_EQ(std::string(text.GetText()), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n <v/>\r\n");
}

TEST(XmlWriter, ReportsAFileItCannotCreate)
{
    TempFolder folder("xmlw");
    CXmlWriter writer;
    // A folder of that name is in the way.
    writer.SetFileName(folder.Path().c_str());
    EXPECT_EQ(writer.WriteStartTag(Tag("registry")), 0);
    EXPECT_TRUE(writer.HasFailed());
    EXPECT_FALSE(writer.Close());
}

TEST(XmlReader, ReadsBackTheWritersLayoutEventByEvent)
{
    TempFolder folder("xmlr");
    const std::string file = folder.File("doc.xml");
    ASSERT_TRUE(WriteWholeFile(file,
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n <registry>\r\n  <k name=\"a\">\r\n"
        "   <v name=\"x\" value=\"\" type=\"REG_SZ\"/>\r\n"
        "   <v name=\"m\" value=\"a\r\nb\n\rc\" type=\"REG_MULTI_SZ\"/>\r\n"
        "   <v name=\"e\" value=\"\r\n\r\nd\r\n\r\n\"/>\r\n"
        "  </k>\r\n </registry>\r\n"));
    std::string error;
    const std::vector<Event> events = ReadEvents(file, &error);
    const std::vector<Event> expected = {
        {5, "?xml"}, {3, "version=1.0"}, {3, "encoding=UTF-8"},
        {4, " "}, {1, "registry"},
        {4, "  "}, {1, "k"}, {3, "name=a"},
        {4, "   "}, {1, "v"}, {3, "name=x"}, {3, "value="}, {3, "type=REG_SZ"}, {2, "v"},
        // A value keeps each line end it spans exactly as the file holds it.
        {4, "   "}, {1, "v"}, {3, "name=m"}, {3, "value=a\r\nb\n\rc"}, {3, "type=REG_MULTI_SZ"}, {2, "v"},
        // Empty lines inside a value, and a value that starts at a line end, keep their line ends.
        {4, "   "}, {1, "v"}, {3, "name=e"}, {3, "value=\r\n\r\nd\r\n\r\n"}, {2, "v"},
        {4, "  "}, {2, "k"},
        {4, " "}, {2, "registry"},
    };
    EXPECT_EQ(events, expected);
    EXPECT_EQ(error, "");
}

TEST(XmlReader, QuotedValuesEndOnlyAtTheirOwnQuote)
{
    TempFolder folder("xmlr");
    const std::string file = folder.File("doc.xml");
    ASSERT_TRUE(WriteWholeFile(file, "<v a=\"it's\" b=\"a>b\" c=\"''x\" d='say \"hi\"'/>"));
    std::string error;
    const std::vector<Event> events = ReadEvents(file, &error);
    const std::vector<Event> expected = {
        {1, "v"}, {3, "a=it's"}, {3, "b=a>b"}, {3, "c=''x"}, {3, "d=say \"hi\""}, {2, "v"}};
    EXPECT_EQ(events, expected);
    EXPECT_EQ(error, "");
}

TEST(XmlReader, SyntaxErrorsNameTheirLine)
{
    const struct {
        const char* name;
        std::string content;
        const char* error;
        std::vector<Event> before;
    } cases[] = {
        {"leading blank", " <a>", "Parse error in line 1 : (Syntax error)", {}},
        {"leading tab", "\t<a>", "Parse error in line 1 : (Syntax error)", {}},
        {"byte-order mark", "\xEF\xBB\xBF<a>", "Parse error in line 1 : (Syntax error)", {}},
        {"'<' ends a line", "<a>\r\n<", "Parse error in line 2 : ('<' symbol not allowed at the end of a line)", {{1, "a"}}},
        {"'<' inside a tag", "<a <b>", "Parse error in line 1 : (Bad '<' symbol)", {{1, "a"}}},
        {"empty name", "<>", "Parse error in line 1 : (Empty element name)", {}},
        {"'=' without a name", "<a =\"1\">", "Parse error in line 1 : (Missing attribute name before '=')", {{1, "a"}}},
        {"unquoted value", "<a b=c>", "Parse error in line 1 : (Syntax error)", {{1, "a"}}},
        {"tab in content is text", "<a>\r\n\t<b>", "", {{1, "a"}, {4, "\t"}, {1, "b"}}},
        {"comment and CDATA are skipped", "<a><!-- x -->\r\n<![CDATA[y]]><b/>", "",
         {{1, "a"}, {6, ""}, {7, ""}, {1, "b"}, {2, "b"}}},
    };
    TempFolder folder("xmlr");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = folder.File("doc.xml");
        ASSERT_TRUE(WriteWholeFile(file, c.content));
        std::string error;
        EXPECT_EQ(ReadEvents(file, &error), c.before);
        EXPECT_EQ(error, c.error);
    }
}

TEST(XmlReader, AFileThatCannotBeOpenedIsAnErrorNotAnEmptyDocument)
{
    TempFolder folder("xmlr");
    std::string error;
    EXPECT_TRUE(ReadEvents(folder.File("missing.xml"), &error).empty());
    EXPECT_NE(error, "");

    ASSERT_TRUE(WriteWholeFile(folder.File("empty.xml"), ""));
    EXPECT_TRUE(ReadEvents(folder.File("empty.xml"), &error).empty());
    EXPECT_EQ(error, "");
}
