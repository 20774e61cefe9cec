#include "SystemToolStandIn.h"

namespace install {

SystemToolStandIn::SystemToolStandIn(const std::wstring& logPath) : m_logPath(logPath)
{
    DeleteFileW(m_logPath.c_str());
    SetEnvironmentVariableW(L"VEXRA_SCHTASKS_LOG", m_logPath.c_str());
    SetEnvironmentVariableW(L"VEXRA_SCHTASKS_EXIT_CREATE", nullptr);
    SetEnvironmentVariableW(L"VEXRA_SCHTASKS_EXIT_DELETE", nullptr);
}

SystemToolStandIn::~SystemToolStandIn()
{
    SetEnvironmentVariableW(L"VEXRA_SCHTASKS_LOG", nullptr);
}

}  // namespace install
