#include "monitor/SystemInformation.h"

#include "monitor/ComRef.h"
#include "monitor/WindowsVersionText.h"
#include "settings/SettingsStore.h"

#include <oleauto.h>
#include <wbemidl.h>

#include <cstdio>

namespace {

// A BSTR for the length of one call.
class CBstr
{
public:
    explicit CBstr(const wchar_t* text) : m_bstr(SysAllocString(text)) {}
    CBstr(const CBstr&) = delete;
    CBstr& operator=(const CBstr&) = delete;
    ~CBstr() { SysFreeString(m_bstr); }
    operator BSTR() const { return m_bstr; }

private:
    BSTR m_bstr;
};

// The diagnostic lines go to standard output, which a windowed process does not show.
void WriteDiagnostic(const char* line)
{
    std::fputs(line, stdout);
    std::fflush(stdout);
}

CString StringProperty(IWbemClassObject* pObject, const wchar_t* name)
{
    VARIANT value;
    VariantInit(&value);
    CString text;
    if (SUCCEEDED(pObject->Get(name, 0, &value, nullptr, nullptr)) && value.vt == VT_BSTR)
        text = value.bstrVal;
    VariantClear(&value);
    return text;
}

void ReadComputerSystem(IWbemServices* pServices, SysInfoStrings& astrSysInfo)
{
    CComRef<IEnumWbemClassObject> enumerator;
    if (FAILED(pServices->ExecQuery(CBstr(L"WQL"), CBstr(L"SELECT * FROM Win32_ComputerSystem"),
                                    WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY, nullptr,
                                    enumerator.Receive()))) {
        WriteDiagnostic("erreur - ExecQuery\n");
        return;
    }
    for (;;) {
        CComRef<IWbemClassObject> object;
        ULONG returned = 0;
        enumerator->Next(WBEM_INFINITE, 1, object.Receive(), &returned);
        if (returned == 0 || object.Get() == nullptr)
            break;
        astrSysInfo[SYSINFO_COMPUTER_NAME] = StringProperty(object.Get(), L"Name");
        astrSysInfo[SYSINFO_MANUFACTURER] = StringProperty(object.Get(), L"Manufacturer");
        astrSysInfo[SYSINFO_MODEL] = StringProperty(object.Get(), L"Model");
    }
}

void ReadLocalFacts(SysInfoStrings& astrSysInfo)
{
    OsVersionText versionText;
    GetWindowsVersionText(versionText);
    astrSysInfo[SYSINFO_EDITION] = versionText.edition;
    astrSysInfo[SYSINFO_VERSION_NUMBERS] = versionText.numbers;
    astrSysInfo[SYSINFO_PROCESSOR] = ReadRegString(
        HKEY_LOCAL_MACHINE, L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", L"ProcessorNameString");
}

void ShowFacts(IMonitorView& view, const SysInfoStrings& astrSysInfo)
{
    view.SetControlText(IDC_SYSTEM_COMPUTER_VALUE, astrSysInfo[SYSINFO_COMPUTER_NAME]);
    view.SetControlText(IDC_SYSTEM_EDITION_VALUE, astrSysInfo[SYSINFO_EDITION]);
    view.SetControlText(IDC_SYSTEM_PROCESSOR_VALUE, astrSysInfo[SYSINFO_PROCESSOR]);
    view.SetControlText(IDC_SYSTEM_TYPE_VALUE, astrSysInfo[SYSINFO_VERSION_NUMBERS]);
}

// Everything that needs COM; every interface is released before the caller leaves COM.
void GatherThroughWmi(IMonitorView& view, SysInfoStrings& astrSysInfo)
{
    CComRef<IWbemLocator> locator;
    if (FAILED(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                locator.ReceiveVoid())))
        return;
    CComRef<IWbemServices> services;
    if (FAILED(locator->ConnectServer(CBstr(L"ROOT\\CIMV2"), nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                      services.Receive()))) {
        WriteDiagnostic("erreur - ConnectServer\n");
        return;
    }
    if (FAILED(CoSetProxyBlanket(services.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                                 RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE))) {
        WriteDiagnostic("erreur - CoSetProxyBlanket\n");
        return;
    }
    ReadComputerSystem(services.Get(), astrSysInfo);
    ReadLocalFacts(astrSysInfo);
    ShowFacts(view, astrSysInfo);
}

}  // namespace

void RefreshSystemInformation(IMonitorView& view, SysInfoStrings& astrSysInfo)
{
    // The dialog's thread is normally a single-threaded apartment already, and this
    // call then fails and changes nothing; only a call that joined COM is undone.
    const HRESULT hrInit = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                         RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
    GatherThroughWmi(view, astrSysInfo);
    if (SUCCEEDED(hrInit))
        CoUninitialize();
}
