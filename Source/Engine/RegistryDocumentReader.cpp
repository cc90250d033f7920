// The reader of the registry backup document: every step of the XML reader goes to one
// function of a parser that holds the whole state, with one stack of the open elements. The
// document is refused at the first step that breaks its structure, with a message in the
// reader's parse-error format, and nothing of it is kept then.
#include "Engine/RegistryManager.h"

#include <string.h>

#include <vector>

#include "Engine/RegistryValueText.h"
#include "Engine/XmlStream.h"

namespace {

enum ElementKind { ElementRegistry, ElementKey, ElementValue };

// Which markup the attributes that follow belong to.
enum TagOwner { OwnerNone, OwnerDeclaration, OwnerElement };

struct OpenElement {
    ElementKind kind;
    // A "k" element: its name was read, and with it its key and place in the document.
    bool named = false;
    bool holdsKey = false;  // a "k" element inside it was opened
    RegistryDocumentKey key;
    size_t keyIndex = 0;
};

// The "v" element being read; its attributes come in the order name, value, type.
struct PendingValue {
    enum Stage { Opened, Named, HasText, Typed };
    Stage stage = Opened;
    RegistryDocumentValue value;
    CString text;
    CString typeName;
};

// Each On... function takes one step of the reader; a non-null result refuses the document
// with that message.
class DocumentParser {
public:
    DocumentParser(CXmlReader& reader, CRegistryDocument& document)
        : m_reader(reader), m_document(document)
    {
    }

    const char* OnDeclaration();
    const char* OnText();
    const char* OnStartTag();
    const char* OnAttribute();
    const char* OnEndTag();
    // At the end of the file: the document must be whole.
    bool IsComplete() const { return !m_reader.IsInsideMarkup() && m_open.empty() && m_rootClosed; }

private:
    const char* NameKey(OpenElement& element, const CString& name);
    const char* SetValueAttribute(const CString& attribute, const CString& text);
    const char* EndKey(const OpenElement& element);
    const char* EndValue(const OpenElement& key);
    // The "k" elements open, the top one included (every one below it has its name).
    size_t OpenKeys() const { return m_open.size() - 1 - (m_open.back().kind == ElementValue); }

    CXmlReader& m_reader;
    CRegistryDocument& m_document;
    // The root element at the bottom, then the "k" elements, and at most one "v" on top.
    std::vector<OpenElement> m_open;
    bool m_rootClosed = false;
    TagOwner m_owner = OwnerNone;
    PendingValue m_value;
};

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

const char* DocumentParser::OnDeclaration()
{
    if (!m_open.empty() || m_rootClosed)
        return "Unexpected markup";
    m_owner = OwnerDeclaration;
    return nullptr;
}

const char* DocumentParser::OnText()
{
    const CString& text = m_reader.GetText();
    for (int i = 0; i < text.GetLength(); ++i)
        if (!IsBlank(text[i]))
            return "Unexpected text";
    return nullptr;
}

const char* DocumentParser::OnStartTag()
{
    const CString& name = m_reader.GetElementName();
    m_owner = OwnerElement;
    if (m_rootClosed)
        return "Content after the end of the document";
    OpenElement element;
    if (m_open.empty()) {
        if (name.CompareNoCase("registry") != 0)
            return "Missing registry element";
        element.kind = ElementRegistry;
        m_open.push_back(element);
        return nullptr;
    }
    OpenElement& top = m_open.back();
    if (top.kind == ElementValue)
        return "Unexpected element inside a value";
    if (top.kind == ElementKey && !top.named)
        return "Key without a name";
    if (name.CompareNoCase("k") == 0) {
        top.holdsKey = top.holdsKey || top.kind == ElementKey;
        element.kind = ElementKey;
    } else if (name.CompareNoCase("v") == 0) {
        if (top.kind != ElementKey)
            return "Value outside a key";
        if (OpenKeys() < 2)
            return "Value directly below a root key";
        element.kind = ElementValue;
        m_value = PendingValue();
    } else {
        return "Unexpected element";
    }
    m_open.push_back(element);
    return nullptr;
}

const char* DocumentParser::OnAttribute()
{
    if (m_owner == OwnerDeclaration)
        return nullptr;
    if (m_owner != OwnerElement || m_open.empty())
        return "Unexpected attribute";
    const CString& attribute = m_reader.GetAttributeName();
    CString text;
    if (!UnescapeDocumentText(m_reader.GetAttributeValue(), text))
        return "Invalid character";
    if (memchr(text.GetString(), 0, size_t(text.GetLength())))
        return "Invalid character";
    OpenElement& top = m_open.back();
    if (top.kind == ElementKey) {
        if (attribute.CompareNoCase("name") != 0 || top.named)
            return "Unexpected attribute";
        return NameKey(top, text);
    }
    if (top.kind == ElementValue)
        return SetValueAttribute(attribute, text);
    return "Unexpected attribute";
}

// The first "k" of a chain names a root; each one inside it a key below its parent.
const char* DocumentParser::NameKey(OpenElement& element, const CString& name)
{
    if (name.IsEmpty() || name.Find('\\') >= 0 || name.GetLength() > MaxKeyNameLength)
        return "Invalid key name";
    const size_t depth = m_open.size() - 2;  // the named keys above this one
    RegistryDocumentKey& key = element.key;
    if (depth == 0) {
        key.root = ItemRootKeyFromName(name, &key.rootName);
        if (!key.root)
            return "Unknown root key";
    } else {
        if (depth > size_t(MaxKeyDepth))
            return "Keys nested too deeply";
        const RegistryDocumentKey& parent = m_open[m_open.size() - 2].key;
        key.root = parent.root;
        key.rootName = parent.rootName;
        key.keyPath = depth == 1 ? name : parent.keyPath + "\\" + name;
    }
    element.keyIndex = m_document.AddKey(key);
    element.named = true;
    return nullptr;
}

const char* DocumentParser::SetValueAttribute(const CString& attribute, const CString& text)
{
    if (attribute.CompareNoCase("name") == 0 && m_value.stage == PendingValue::Opened) {
        if (text.GetLength() > MaxValueNameLength)
            return "Invalid value name";
        m_value.value.name = text.CompareNoCase(DefaultValueName) == 0 ? CString() : text;
        m_value.stage = PendingValue::Named;
    } else if (attribute.CompareNoCase("value") == 0 && m_value.stage == PendingValue::Named) {
        m_value.text = text;
        m_value.stage = PendingValue::HasText;
    } else if (attribute.CompareNoCase("type") == 0 && m_value.stage == PendingValue::HasText) {
        m_value.typeName = text;
        m_value.stage = PendingValue::Typed;
    } else {
        return "Unexpected attribute";
    }
    return nullptr;
}

const char* DocumentParser::OnEndTag()
{
    m_owner = OwnerNone;
    if (m_open.empty())
        return "Unbalanced end tag";
    const OpenElement top = m_open.back();
    const char* expected = top.kind == ElementRegistry ? "registry" : top.kind == ElementKey ? "k" : "v";
    if (m_reader.GetElementName().CompareNoCase(expected) != 0)
        return "Unbalanced end tag";
    m_open.pop_back();
    switch (top.kind) {
    case ElementRegistry:
        m_rootClosed = true;
        return nullptr;
    case ElementKey:
        return EndKey(top);
    case ElementValue:
        return EndValue(m_open.back());
    }
    return nullptr;
}

const char* DocumentParser::EndKey(const OpenElement& element)
{
    if (!element.named)
        return "Key without a name";
    // A chain names a key below its root; one that stops at the root names none.
    if (m_open.size() == 1 && !element.holdsKey)
        return "Key path is only a root key";
    return nullptr;
}

const char* DocumentParser::EndValue(const OpenElement& key)
{
    if (m_value.stage < PendingValue::HasText)
        return "Value without a text";
    if (!ParseValueText(m_value.typeName, m_value.text, m_value.value.type, m_value.value.data))
        return "Unknown value type";
    m_document.AddValue(key.keyIndex, m_value.value);
    return nullptr;
}

}  // namespace

bool CRegistryManager::ReadDocument(const char* file, bool showErrors, CRegistryDocument& document)
{
    document.Clear();
    m_errorText.Empty();
    CXmlReader reader;
    reader.SetFileName(file);
    reader.SetShowErrors(showErrors);
    DocumentParser parser(reader, document);

    // Refuses the document with a message in the reader's format.
    auto refuse = [&](const char* message) {
        reader.ReportError(message);
        m_errorText = reader.GetErrorText();
        reader.Close();
        document.Clear();
        return false;
    };

    while (reader.Read()) {
        const char* refusal = nullptr;
        switch (reader.GetNodeKind()) {
        case CXmlReader::NodeDeclaration:
            refusal = parser.OnDeclaration();
            break;
        case CXmlReader::NodeText:
            refusal = parser.OnText();
            break;
        case CXmlReader::NodeStartTag:
            refusal = parser.OnStartTag();
            break;
        case CXmlReader::NodeAttribute:
            refusal = parser.OnAttribute();
            break;
        case CXmlReader::NodeEndTag:
            refusal = parser.OnEndTag();
            break;
        default:
            break;  // comments and CDATA sections hold nothing of the document
        }
        if (refusal)
            return refuse(refusal);
    }
    if (!reader.GetErrorText().IsEmpty()) {
        m_errorText = reader.GetErrorText();
        reader.Close();
        document.Clear();
        return false;
    }
    if (!parser.IsComplete())
        return refuse("Unexpected end of the document");
    reader.Close();
    return true;
}
