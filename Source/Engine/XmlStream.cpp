// The XML stream writer and the line-oriented pull reader of the registry document.
#include "Engine/XmlStream.h"

#include <string.h>

namespace {

// The writer hands its lines to the file in blocks of about this size.
const int WriteBlockSize = 64 * 1024;
const char MessageBoxCaption[] = "Velmora";

bool IsBlank(char c)
{
    return c == ' ' || c == '\r' || c == '\n';
}

}  // namespace

// --- CXmlTag --------------------------------------------------------------------------------

void CXmlTag::SetAttribute(const char* name, const char* value)
{
    for (INT_PTR i = 0; i < m_attributeNames.GetSize(); ++i) {
        if (m_attributeNames[i] == name) {
            m_attributeValues.SetAt(i, CString(value));
            return;
        }
    }
    m_attributeNames.Add(CString(name));
    m_attributeValues.Add(CString(value));
}

bool CXmlTag::HasAttribute(const char* name) const
{
    for (INT_PTR i = 0; i < m_attributeNames.GetSize(); ++i)
        if (m_attributeNames[i] == name)
            return true;
    return false;
}

CString CXmlTag::GetAttributeName(int index) const
{
    return m_attributeNames.GetAt(index);
}

CString CXmlTag::GetAttributeValue(int index) const
{
    return m_attributeValues.GetAt(index);
}

// --- CXmlWriter -----------------------------------------------------------------------------

CXmlWriter::CXmlWriter()
    : m_opened(false), m_declarationWritten(false), m_failed(false), m_depth(0)
{
}

CXmlWriter::~CXmlWriter()
{
    Close();
}

void CXmlWriter::SetFileName(const char* name)
{
    if (!m_opened)
        m_fileName = name;
}

CString CXmlWriter::Indent(int depth)
{
    return depth > 0 ? CString(' ', depth) : CString();
}

CString CXmlWriter::BuildAttributes(const CXmlTag& tag)
{
    CString text;
    for (int i = 0; i < tag.GetAttributeCount(); ++i) {
        text += ' ';
        text += tag.GetAttributeName(i);
        text += "=\"";
        text += tag.GetAttributeValue(i);
        text += '"';
    }
    return text;
}

int CXmlWriter::WriteDeclarationOnce()
{
    if (m_declarationWritten)
        return 1;
    m_declarationWritten = true;
    const int depth = m_depth;
    m_depth = 0;
    CXmlTag declaration("xml");
    declaration.SetAttribute("version", "1.0");
    declaration.SetAttribute("encoding", "UTF-8");
    const int written = WriteDeclaration(declaration);
    m_depth = depth;
    return written;
}

bool CXmlWriter::FlushBuffer()
{
    const char* data = m_buffer.GetString();
    int left = m_buffer.GetLength();
    while (left > 0) {
        DWORD written = 0;
        if (!WriteFile(m_file.Get(), data, DWORD(left), &written, nullptr) || written == 0)
            return false;
        data += written;
        left -= int(written);
    }
    m_buffer.Empty();
    return true;
}

int CXmlWriter::Write(const CString& text)
{
    if (!m_opened) {
        m_file.Attach(CreateFileA(m_fileName, GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!m_file.IsValid()) {
            m_failed = true;
            return 0;
        }
        m_opened = true;
    }
    if (!m_declarationWritten && !WriteDeclarationOnce())
        return 0;
    m_buffer += text;
    if (m_buffer.GetLength() >= WriteBlockSize && !FlushBuffer()) {
        m_failed = true;
        return 0;
    }
    return 1;
}

int CXmlWriter::WriteStartTag(const CXmlTag& tag)
{
    ++m_depth;
    return Write(Indent(m_depth) + "<" + tag.GetName() + BuildAttributes(tag) + ">\r\n");
}

int CXmlWriter::WriteEmptyElement(const CXmlTag& tag)
{
    ++m_depth;
    const int written = Write(Indent(m_depth) + "<" + tag.GetName() + BuildAttributes(tag) + "/>\r\n");
    --m_depth;
    return written;
}

int CXmlWriter::WriteEndTag(const char* name)
{
    const int written = Write(Indent(m_depth) + "</" + name + ">\r\n");
    --m_depth;
    return written;
}

int CXmlWriter::WriteDeclaration(const CXmlTag& tag)
{
    return Write(Indent(m_depth) + "<?" + tag.GetName() + BuildAttributes(tag) + "?>\r\n");
}

bool CXmlWriter::Close()
{
    bool complete = !m_failed;
    if (m_opened) {
        if (!FlushBuffer())
            complete = false;
        // The document must be on the disk before anyone relies on it (a backup is renamed
        // into place, and then things are deleted).
        if (!FlushFileBuffers(m_file.Get()))
            complete = false;
        if (!m_file.Close())
            complete = false;
    }
    m_buffer.Empty();
    m_opened = false;
    m_declarationWritten = false;
    m_depth = 0;
    m_failed = false;
    return complete;
}

int CXmlStringWriter::Write(const CString& text)
{
    if (!m_declarationWritten && !WriteDeclarationOnce())
        return 0;
    m_text += text;
    return 1;
}

// --- CLineFile ------------------------------------------------------------------------------

bool CLineFile::Open(const char* name)
{
    Close();
    m_file.Attach(CreateFileA(name, GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return m_file.IsValid();
}

void CLineFile::Close()
{
    m_file.Close();
    m_used = m_filled = 0;
    m_atEnd = false;
    m_failed = false;
    m_tooLong = false;
}

bool CLineFile::Fill()
{
    if (m_atEnd || !m_file.IsValid())
        return false;
    DWORD got = 0;
    if (!ReadFile(m_file.Get(), m_block, sizeof(m_block), &got, nullptr)) {
        m_failed = true;
        m_atEnd = true;
        return false;
    }
    if (got == 0) {
        m_atEnd = true;
        return false;
    }
    m_used = 0;
    m_filled = got;
    return true;
}

bool CLineFile::ReadLine(CString& line, CString& lineEnd)
{
    line.Empty();
    lineEnd.Empty();
    bool any = false;
    for (;;) {
        if (m_used >= m_filled && !Fill())
            return any && !m_failed;
        any = true;
        const char* start = m_block + m_used;
        const DWORD available = m_filled - m_used;
        const char* newline = static_cast<const char*>(memchr(start, '\n', available));
        if (!newline) {
            line.Append(start, int(available));
            m_used = m_filled;
            if (line.GetLength() > XmlMaxLineLength) {
                m_tooLong = true;
                return false;
            }
            continue;
        }
        line.Append(start, int(newline - start));
        m_used += DWORD(newline - start) + 1;
        // A "\r" before the "\n" may have come at the end of the previous block.
        if (!line.IsEmpty() && line[line.GetLength() - 1] == '\r') {
            line.Delete(line.GetLength() - 1);
            lineEnd = "\r\n";
        } else {
            lineEnd = "\n";
        }
        return true;
    }
}

// --- CXmlReader -----------------------------------------------------------------------------

CXmlReader::CXmlReader()
    : m_opened(false), m_showErrors(false), m_position(-1), m_lineNumber(0), m_nodeKind(0),
      m_inComment(false), m_inCData(false), m_inTag(false), m_inValue(false), m_inContent(false),
      m_quote(0), m_attributeNamed(false)
{
}

CXmlReader::~CXmlReader()
{
    Close();
}

void CXmlReader::SetFileName(const char* name)
{
    if (!m_opened)
        m_fileName = name;
}

void CXmlReader::Close()
{
    m_file.Close();
    m_opened = false;
    m_showErrors = false;
}

bool CXmlReader::Open()
{
    m_position = -1;
    m_lineNumber = 0;
    m_inComment = m_inCData = m_inTag = m_inValue = m_inContent = false;
    m_quote = 0;
    m_attributeNamed = false;
    m_errorText.Empty();
    m_elementName.Empty();
    m_text.Empty();
    m_attributeName.Empty();
    m_attributeValue.Empty();
    m_declaration.Empty();
    m_nodeKind = NodeNone;
    if (!m_file.Open(m_fileName)) {
        // Not the end of an empty document: the caller must be able to tell the two apart.
        m_errorText.Format("Cannot open file %s", m_fileName.GetString());
        return false;
    }
    m_opened = true;
    return true;
}

void CXmlReader::ReportError(const char* message)
{
    // An empty file has no line; its error is on the first.
    m_errorText.Format("Parse error in line %d : (%s)", m_lineNumber > 0 ? m_lineNumber : 1, message);
    if (m_showErrors)
        MessageBoxA(nullptr, m_errorText, MessageBoxCaption, MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

int CXmlReader::Read()
{
    if (!m_opened && !Open())
        return 0;
    // After an error the reader keeps its state; the caller stops reading.
    if (!m_errorText.IsEmpty())
        return 0;
    if (m_position == -1) {
        if (!m_file.ReadLine(m_line, m_lineEnd)) {
            m_nodeKind = NodeNone;
            if (m_file.IsTooLong()) {
                ++m_lineNumber;
                ReportError("Line too long");
            } else if (m_file.HasFailed()) {
                m_errorText.Format("Cannot read file %s", m_fileName.GetString());
            }
            return 0;
        }
        ++m_lineNumber;
        m_position = 0;
    }
    const char* message = nullptr;
    if (Scan(message))
        return 1;
    ReportError(message);
    return 0;
}

bool CXmlReader::Scan(const char*& message)
{
    m_nodeKind = NodeNone;
    const int length = m_line.GetLength();
    // Inside a quoted value every line end belongs to the value, that of an empty line or of
    // the line the value starts at the end of included.
    if (m_inValue && m_quote != 0) {
        ScanValue();
        if (m_attributeValue.GetLength() > XmlMaxAttributeLength) {
            message = "Attribute value too long";
            return false;
        }
        return true;
    }
    if (m_position >= length) {
        m_position = -1;
        return true;
    }
    if (m_inTag && !m_inValue && !m_inComment && !m_inCData) {
        while (m_position < length && IsBlank(m_line[m_position]))
            ++m_position;
        if (m_position >= length) {
            m_position = -1;
            return true;
        }
    }
    if (m_inComment || m_inCData) {
        const char* end = m_inComment ? "-->" : "]]>";
        const int found = m_line.Find(end, m_position);
        if (found >= 0) {
            m_position = found + 3;
            m_inComment = m_inCData = m_inTag = m_inValue = false;
            m_inContent = true;
            m_text.Empty();
        } else {
            m_nodeKind = m_inComment ? NodeComment : NodeCData;
            m_position = length;
        }
        return true;
    }
    if (m_inValue) {
        // Before the opening quote.
        while (m_position < length && IsBlank(m_line[m_position]))
            ++m_position;
        if (m_position >= length) {
            m_position = -1;
            return true;
        }
        const char quote = m_line[m_position];
        if (quote != '"' && quote != '\'') {
            message = "Syntax error";
            return false;
        }
        m_quote = quote;
        ++m_position;
        return true;
    }
    if (m_inContent) {
        ScanContent();
        return true;
    }

    const char c = m_line[m_position];
    if (c == '<')
        return ScanMarkupStart(message);
    if (c == '?') {
        ++m_position;
        return true;
    }
    if (c == '/') {
        m_nodeKind = NodeEndTag;
        int next = m_position + 1;
        while (next < length && !IsBlank(m_line[next]) && m_line[next] != '>')
            ++next;
        m_position = next;
        return true;
    }
    if (c == '>') {
        m_inTag = false;
        m_inValue = false;
        m_inContent = true;
        m_text.Empty();
        ++m_position;
        return true;
    }
    if (m_inTag && c == '=') {
        if (!m_attributeNamed) {
            message = "Missing attribute name before '='";
            return false;
        }
        m_attributeNamed = false;
        m_inValue = true;
        m_quote = 0;
        ++m_position;
        return true;
    }
    if (m_inTag) {
        ScanInTag();
        return true;
    }
    message = "Syntax error";
    return false;
}

// A quoted value ends only at its own closing quote, so apostrophes, ">" and the other quote
// survive; a value that runs past the line end keeps that line's own end.
void CXmlReader::ScanValue()
{
    const int length = m_line.GetLength();
    const int closing = m_line.Find(m_quote, m_position);
    if (closing < 0) {
        m_attributeValue.Append(m_line.GetString() + m_position, length - m_position);
        m_attributeValue += m_lineEnd;
        m_position = -1;
        return;
    }
    m_attributeValue.Append(m_line.GetString() + m_position, closing - m_position);
    m_nodeKind = NodeAttribute;
    m_inValue = false;
    m_quote = 0;
    m_position = closing + 1;
}

bool CXmlReader::ScanMarkupStart(const char*& message)
{
    if (m_inTag) {
        message = "Bad '<' symbol";
        return false;
    }
    m_inComment = m_inCData = m_inValue = m_inContent = false;
    m_inTag = true;
    m_attributeNamed = false;
    const int length = m_line.GetLength();
    ++m_position;
    while (m_position < length && IsBlank(m_line[m_position]))
        ++m_position;
    if (m_position >= length) {
        message = "'<' symbol not allowed at the end of a line";
        return false;
    }
    const char* rest = m_line.GetString() + m_position;
    const int restLength = length - m_position;
    if (restLength >= 3 && memcmp(rest, "!--", 3) == 0) {
        m_inComment = true;
        m_nodeKind = NodeComment;
        m_position += 3;
        return true;
    }
    if (restLength >= 8 && memcmp(rest, "![CDATA[", 8) == 0) {
        m_inCData = true;
        m_nodeKind = NodeCData;
        m_position += 8;
        return true;
    }
    int end = m_position;
    while (end < length) {
        const char n = m_line[end];
        if (IsBlank(n) || n == '>' || (n == '/' && end > m_position))
            break;
        ++end;
    }
    if (end == m_position) {
        message = "Empty element name";
        return false;
    }
    const CString name = m_line.Mid(m_position, end - m_position);
    m_position = end;
    if (name[0] == '?' || name[0] == '!') {
        m_nodeKind = NodeDeclaration;
        m_declaration = name;
        m_elementName.Empty();
    } else if (name[0] == '/') {
        m_nodeKind = NodeEndTag;
        m_elementName = name.Mid(1);
    } else {
        m_nodeKind = NodeStartTag;
        m_elementName = name;
    }
    return true;
}

void CXmlReader::ScanInTag()
{
    const int length = m_line.GetLength();
    int end = m_position;
    while (end < length) {
        const char n = m_line[end];
        if (IsBlank(n) || n == '=' || n == '>')
            break;
        ++end;
    }
    m_attributeName = m_line.Mid(m_position, end - m_position);
    m_attributeValue.Empty();
    m_attributeNamed = true;
    m_position = end;
}

void CXmlReader::ScanContent()
{
    const int length = m_line.GetLength();
    int end = m_position;
    while (end < length) {
        const char n = m_line[end];
        if (n == '\r' || n == '\n' || n == '<')
            break;
        ++end;
    }
    m_text = m_line.Mid(m_position, end - m_position);
    if (!m_text.IsEmpty())
        m_nodeKind = NodeText;
    if (end < length && m_line[end] == '<') {
        m_inContent = false;
        m_position = end;
    } else if (end < length && m_text.IsEmpty()) {
        m_position = end + 1;  // a lone line-break byte inside a line: step over it
    } else {
        m_position = end;
    }
}
