#include "engine/DisplayName.h"

#include "engine/ProcessIdentity.h"
#include "engine/ProcessNameText.h"
#include "engine/Utf16Bridge.h"

CString DisplayNameOfLookedUpProcess(IProcessSystem& system, DWORD pid)
{
    const CString productName = system.GetProductName(pid, g_strProcessName);
    const CString& fullName = productName.IsEmpty() ? g_strProcessName : productName;
    return FromU16(MakeDisplayName(ToU16(fullName)));
}
