#include "monitor/SystemInformation.h"

#include "framework/Handle.h"
#include "monitor/WindowsVersionText.h"
#include "settings/SettingsStore.h"

#include <oleauto.h>
#include <wbemidl.h>

#include <cstdio>

namespace {

// How long one enumeration step may wait for WMI's answer.
constexpr LONG kWmiNextTimeoutMs = 3000;

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

void ReadComputerSystem(IWbemServices* pServices, SystemFactValues& facts)
{
    CComPtr<IEnumWbemClassObject> enumerator;
    const CBstr language(SysAllocString(L"WQL"));
    const CBstr query(SysAllocString(L"SELECT * FROM Win32_ComputerSystem"));
    if (FAILED(pServices->ExecQuery(language.Get(), query.Get(),
                                    WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY, nullptr,
                                    enumerator.Receive())))
    {
        WriteDiagnostic("erreur - ExecQuery\n");
        return;
    }
    // One instance is expected; should there be more, the last one's values remain. A
    // step that times out ends the enumeration with what was read.
    for (;;)
    {
        CComPtr<IWbemClassObject> object;
        ULONG returned = 0;
        enumerator->Next(kWmiNextTimeoutMs, 1, object.Receive(), &returned);
        if (returned == 0 || object.Get() == nullptr)
            break;
        facts.computerSystemRead = true;
        facts.computerName = StringProperty(object.Get(), L"Name");
        facts.manufacturer = StringProperty(object.Get(), L"Manufacturer");
        facts.model = StringProperty(object.Get(), L"Model");
    }
}

void ReadLocalFacts(SystemFactValues& facts)
{
    OsVersionText versionText;
    GetWindowsVersionText(versionText);
    facts.edition = versionText.edition;
    facts.versionNumbers = versionText.numbers;
    facts.processor = ReadRegString(
        HKEY_LOCAL_MACHINE, L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", L"ProcessorNameString");
}

// Everything that needs COM; every interface is released before the caller leaves COM.
bool GatherThroughWmi(SystemFactValues& facts)
{
    CComPtr<IWbemLocator> locator;
    if (FAILED(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                locator.ReceiveVoid())))
        return false;
    // The longest WMI lets a connection take is still bounded.
    CComPtr<IWbemServices> services;
    const CBstr wmiNamespace(SysAllocString(L"ROOT\\CIMV2"));
    if (FAILED(locator->ConnectServer(wmiNamespace.Get(), nullptr, nullptr, nullptr,
                                      WBEM_FLAG_CONNECT_USE_MAX_WAIT, nullptr, nullptr,
                                      services.Receive())))
    {
        WriteDiagnostic("erreur - ConnectServer\n");
        return false;
    }
    if (FAILED(CoSetProxyBlanket(services.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                                 RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE)))
    {
        WriteDiagnostic("erreur - CoSetProxyBlanket\n");
        return false;
    }
    ReadComputerSystem(services.Get(), facts);
    ReadLocalFacts(facts);
    return true;
}

void ShowFacts(IMonitorView& view, const SysInfoStrings& astrSysInfo)
{
    view.SetControlText(IDC_SYSTEM_COMPUTER_VALUE, astrSysInfo[SYSINFO_COMPUTER_NAME]);
    view.SetControlText(IDC_SYSTEM_EDITION_VALUE, astrSysInfo[SYSINFO_EDITION]);
    view.SetControlText(IDC_SYSTEM_PROCESSOR_VALUE, astrSysInfo[SYSINFO_PROCESSOR]);
    view.SetControlText(IDC_SYSTEM_TYPE_VALUE, astrSysInfo[SYSINFO_VERSION_NUMBERS]);
}

}  // namespace

bool CWmiSystemFactsSource::Gather(SystemFactValues& facts)
{
    // The gathering's own thread: its apartment is its own, joined here and left here.
    const HRESULT hrInit = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                         RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
    const bool gathered = GatherThroughWmi(facts);
    if (SUCCEEDED(hrInit))
        CoUninitialize();
    return gathered;
}

void RefreshSystemInformation(IMonitorView& view, SysInfoStrings& astrSysInfo, CSystemFacts& facts)
{
    const SystemFactValues* pFacts = facts.Get();
    if (pFacts == nullptr)
        return;
    // A query that failed leaves the computer's own entries as they were.
    if (pFacts->computerSystemRead)
    {
        astrSysInfo[SYSINFO_COMPUTER_NAME] = pFacts->computerName;
        astrSysInfo[SYSINFO_MANUFACTURER] = pFacts->manufacturer;
        astrSysInfo[SYSINFO_MODEL] = pFacts->model;
    }
    astrSysInfo[SYSINFO_EDITION] = pFacts->edition;
    astrSysInfo[SYSINFO_VERSION_NUMBERS] = pFacts->versionNumbers;
    astrSysInfo[SYSINFO_PROCESSOR] = pFacts->processor;
    ShowFacts(view, astrSysInfo);
}
