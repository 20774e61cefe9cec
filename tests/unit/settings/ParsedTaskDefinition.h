// A task definition read back by the system's own XML parser (MSXML), so the tests check
// what the Task Scheduler would read rather than the text the program meant to write.
// Paths are XPath in the Task Scheduler's namespace, with the prefix "t".
#pragma once

#include "framework/Handle.h"

#include <msxml2.h>

#include <optional>
#include <string>

class CParsedTaskDefinition
{
public:
    // Parses text held in memory.
    explicit CParsedTaskDefinition(const std::u16string& text);
    // Parses a file as a reader of files does: its bytes, byte-order mark and declaration.
    explicit CParsedTaskDefinition(const std::wstring& filePath);
    ~CParsedTaskDefinition();
    CParsedTaskDefinition(const CParsedTaskDefinition&) = delete;
    CParsedTaskDefinition& operator=(const CParsedTaskDefinition&) = delete;

    // Why nothing was parsed; empty when the document was.
    const std::string& Error() const { return m_error; }
    bool IsParsed() const { return m_error.empty(); }

    // The text of the one node at `xpath`; nullopt when there is none, or more than one.
    std::optional<std::wstring> Text(const wchar_t* xpath) const;
    // How many nodes `xpath` selects; -1 when nothing was parsed.
    long Count(const wchar_t* xpath) const;

private:
    bool Prepare();
    void Finish(VARIANT_BOOL loaded);
    void SetProperty(const wchar_t* name, const wchar_t* value);

    bool m_comStarted = false;
    CComPtr<IXMLDOMDocument2> m_document;
    std::string m_error;
};
