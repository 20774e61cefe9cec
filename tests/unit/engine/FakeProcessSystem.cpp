#include "FakeProcessSystem.h"

#include "engine/ProcessIdentity.h"

void FakeProcessSystem::LookupProcessIdentity(DWORD pid)
{
    auto found = processes.find(pid);
    if (found == processes.end())
        return;
    g_strProcessName = found->second.identityName.c_str();
    if (!found->second.user.empty())
    {
        g_strProcessUser = found->second.user.c_str();
        g_strProcessDomain = found->second.domain.c_str();
    }
}
