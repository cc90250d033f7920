// The registry document's own XML stream classes: CXmlTag (one tag to write), CXmlWriter (one tag
// per line, one blank of indent per level, CR LF line ends), CXmlStringWriter (the same into a
// string) and CXmlReader (a line-oriented pull reader that reports one event per Read).
//
// Neither side escapes anything: the registry document does that itself.
#ifndef TARNEX_XML_STREAM_H
#define TARNEX_XML_STREAM_H

#include <windows.h>

#include "Framework/CString.h"
#include "Framework/Collections.h"
#include "Framework/Handle.h"

// Bounds on what the reader accepts, so a damaged or hostile file cannot exhaust memory: one
// attribute value (a registry value's text) and one line.
const int XmlMaxAttributeLength = 48 * 1024 * 1024;
const int XmlMaxLineLength = XmlMaxAttributeLength + 64 * 1024;

class CXmlTag {
public:
    CXmlTag() {}
    explicit CXmlTag(const char* name) : m_name(name) {}

    // Replaces the value of the attribute with exactly this name, or appends the pair.
    void SetAttribute(const char* name, const char* value);
    bool HasAttribute(const char* name) const;
    int GetAttributeCount() const { return int(m_attributeNames.GetSize()); }
    // Empty text for an index out of range.
    CString GetAttributeName(int index) const;
    CString GetAttributeValue(int index) const;
    const CString& GetName() const { return m_name; }

private:
    CString m_name;
    CStringArray m_attributeNames;
    CStringArray m_attributeValues;  // parallel to the names
};

class CXmlWriter {
public:
    CXmlWriter();
    virtual ~CXmlWriter();
    CXmlWriter(const CXmlWriter&) = delete;
    CXmlWriter& operator=(const CXmlWriter&) = delete;

    // Ignored once the file is open.
    void SetFileName(const char* name);
    int GetDepth() const { return m_depth; }
    void SetDepth(int depth) { m_depth = depth; }

    // The one output primitive: opens (creating or truncating) the file on first use, writes the
    // declaration before anything else, then the text. 0 when the file cannot be opened or the
    // text cannot be written.
    virtual int Write(const CString& text);

    // Each builds one line and passes it to Write; the result is Write's.
    int WriteStartTag(const CXmlTag& tag);
    int WriteEmptyElement(const CXmlTag& tag);
    int WriteEndTag(const char* name);
    int WriteDeclaration(const CXmlTag& tag);

    // Flushes and closes the file; false when anything written since it was opened was lost
    // (a failed open, write, flush or close). Afterwards a Write reopens and truncates the file.
    bool Close();
    // True once any write since the last Close was lost.
    bool HasFailed() const { return m_failed; }

protected:
    // Writes the declaration "xml" (version 1.0, UTF-8) once, at depth 0.
    int WriteDeclarationOnce();
    static CString BuildAttributes(const CXmlTag& tag);
    static CString Indent(int depth);

    bool m_opened;
    bool m_declarationWritten;
    bool m_failed;
    CString m_fileName;
    int m_depth;

private:
    bool FlushBuffer();

    CHandle m_file;
    CString m_buffer;  // written to the file in large blocks
};

// The same lines appended to a string instead of a file.
class CXmlStringWriter : public CXmlWriter {
public:
    int Write(const CString& text) override;
    const CString& GetText() const { return m_text; }

private:
    CString m_text;
};

// Reads a text file one line at a time, keeping each line's own end ("\r\n", "\n" or nothing at
// the end of the file), so a value that spans lines reads back byte for byte.
class CLineFile {
public:
    CLineFile() : m_used(0), m_filled(0), m_atEnd(false) {}
    ~CLineFile() { Close(); }
    CLineFile(const CLineFile&) = delete;
    CLineFile& operator=(const CLineFile&) = delete;

    bool Open(const char* name);
    void Close();
    bool IsOpen() const { return m_file.IsValid(); }
    // False at the end of the file, on a read error (HasFailed) and for a line longer than
    // XmlMaxLineLength (IsTooLong).
    bool ReadLine(CString& line, CString& lineEnd);
    bool HasFailed() const { return m_failed; }
    bool IsTooLong() const { return m_tooLong; }

private:
    bool Fill();

    CHandle m_file;
    char m_block[65536];
    DWORD m_used;
    DWORD m_filled;
    bool m_atEnd;
    bool m_failed = false;
    bool m_tooLong = false;
};

class CXmlReader {
public:
    enum NodeKind {
        NodeNone = 0,
        NodeStartTag = 1,
        NodeEndTag = 2,       // an end tag, or the end of an empty element
        NodeAttribute = 3,    // name and value complete
        NodeText = 4,
        NodeDeclaration = 5,  // "<?...", "<!..." other than comments and CDATA
        NodeComment = 6,
        NodeCData = 7,
    };

    CXmlReader();
    virtual ~CXmlReader();
    CXmlReader(const CXmlReader&) = delete;
    CXmlReader& operator=(const CXmlReader&) = delete;

    // Ignored while the file is open.
    void SetFileName(const char* name);
    void SetShowErrors(bool show) { m_showErrors = show; }

    // 1 when one step was made (see GetNodeKind); 0 at the end of the file or on an error, with
    // a non-empty error text for an error (a file that cannot be opened or read included).
    virtual int Read();

    int GetNodeKind() const { return m_nodeKind; }
    const CString& GetElementName() const { return m_elementName; }
    const CString& GetText() const { return m_text; }
    const CString& GetAttributeName() const { return m_attributeName; }
    const CString& GetAttributeValue() const { return m_attributeValue; }
    const CString& GetDeclaration() const { return m_declaration; }
    int GetLineNumber() const { return m_lineNumber; }
    const CString& GetErrorText() const { return m_errorText; }
    // True while the reader stands inside markup (a tag, a value, a comment or CDATA): at the
    // end of the file this means the document was cut off.
    bool IsInsideMarkup() const { return m_inTag || m_inValue || m_inComment || m_inCData; }

    // Sets the error text "Parse error in line N : (message)" for the current line and shows it
    // when show errors is on. The registry document reports its own structural errors this way.
    void ReportError(const char* message);

    void Close();

private:
    bool Open();
    // One scanner step on the current line; false with a message on a syntax error.
    bool Scan(const char*& message);
    void ScanValue();
    bool ScanMarkupStart(const char*& message);
    void ScanInTag();
    void ScanContent();

    CLineFile m_file;
    bool m_opened;
    CString m_fileName;
    bool m_showErrors;
    CString m_errorText;
    CString m_line;
    CString m_lineEnd;
    int m_position;  // -1: read the next line first
    int m_lineNumber;
    int m_nodeKind;
    CString m_elementName;
    CString m_text;
    CString m_attributeName;
    CString m_attributeValue;
    CString m_declaration;
    bool m_inComment;
    bool m_inCData;
    bool m_inTag;
    bool m_inValue;
    bool m_inContent;
    char m_quote;             // the quote that opened the value being read; 0 before it
    bool m_attributeNamed;    // an attribute name waits for its "="
};

#endif
