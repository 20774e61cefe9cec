#include "ParsedTaskDefinition.h"

#include <objbase.h>

namespace {

// IXMLDOMDocument2's interface id; the cross toolchain's libraries do not carry it.
const IID kDocument2Interface = {0x2933bf95, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};
const wchar_t kNamespaces[] = L"xmlns:t='http://schemas.microsoft.com/windows/2004/02/mit/task'";

CBstr MakeBstr(const wchar_t* text)
{
    return CBstr(SysAllocString(text));
}

}  // namespace

CParsedTaskDefinition::CParsedTaskDefinition(const std::u16string& text)
{
    m_comStarted = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    if (!Prepare())
        return;
    const CBstr xml(SysAllocStringLen(reinterpret_cast<const wchar_t*>(text.data()), static_cast<UINT>(text.size())));
    VARIANT_BOOL loaded = VARIANT_FALSE;
    m_document->loadXML(xml.Get(), &loaded);
    Finish(loaded);
}

CParsedTaskDefinition::CParsedTaskDefinition(const std::wstring& filePath)
{
    m_comStarted = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    if (!Prepare())
        return;
    VARIANT source;
    VariantInit(&source);
    source.vt = VT_BSTR;
    source.bstrVal = SysAllocString(filePath.c_str());
    VARIANT_BOOL loaded = VARIANT_FALSE;
    m_document->load(source, &loaded);
    VariantClear(&source);
    Finish(loaded);
}

CParsedTaskDefinition::~CParsedTaskDefinition()
{
    m_document.Release();
    if (m_comStarted)
        CoUninitialize();
}

void CParsedTaskDefinition::SetProperty(const wchar_t* name, const wchar_t* value)
{
    VARIANT text;
    VariantInit(&text);
    text.vt = VT_BSTR;
    text.bstrVal = SysAllocString(value);
    m_document->setProperty(MakeBstr(name).Get(), text);
    VariantClear(&text);
}

bool CParsedTaskDefinition::Prepare()
{
    CLSID clsid;
    if (FAILED(CLSIDFromProgID(L"Msxml2.DOMDocument.6.0", &clsid)) &&
        FAILED(CLSIDFromProgID(L"Msxml2.DOMDocument.3.0", &clsid)))
    {
        m_error = "no MSXML document class is registered";
        return false;
    }
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, kDocument2Interface,
                                m_document.ReceiveVoid())))
    {
        m_error = "the MSXML document cannot be created";
        return false;
    }
    m_document->put_async(VARIANT_FALSE);
    m_document->put_validateOnParse(VARIANT_FALSE);
    m_document->put_resolveExternals(VARIANT_FALSE);
    return true;
}

void CParsedTaskDefinition::Finish(VARIANT_BOOL loaded)
{
    if (loaded == VARIANT_TRUE)
    {
        SetProperty(L"SelectionLanguage", L"XPath");
        SetProperty(L"SelectionNamespaces", kNamespaces);
        return;
    }
    m_error = "the XML does not parse";
    CComPtr<IXMLDOMParseError> parseError;
    CBstr reason;
    if (SUCCEEDED(m_document->get_parseError(parseError.Receive())) &&
        SUCCEEDED(parseError->get_reason(reason.Receive())) && reason)
    {
        m_error += ": ";
        for (const wchar_t* c = reason.Get(); *c; ++c)
            m_error += *c < 128 ? static_cast<char>(*c) : '?';
    }
}

std::optional<std::wstring> CParsedTaskDefinition::Text(const wchar_t* xpath) const
{
    if (!IsParsed() || Count(xpath) != 1)
        return std::nullopt;
    CComPtr<IXMLDOMNode> node;
    CBstr text;
    if (m_document->selectSingleNode(MakeBstr(xpath).Get(), node.Receive()) != S_OK ||
        FAILED(node->get_text(text.Receive())))
        return std::nullopt;
    return std::wstring(text.Get() ? text.Get() : L"", text.Get() ? SysStringLen(text.Get()) : 0);
}

long CParsedTaskDefinition::Count(const wchar_t* xpath) const
{
    CComPtr<IXMLDOMNodeList> nodes;
    long length = 0;
    if (!IsParsed() || m_document->selectNodes(MakeBstr(xpath).Get(), nodes.Receive()) != S_OK ||
        FAILED(nodes->get_length(&length)))
        return -1;
    return length;
}
