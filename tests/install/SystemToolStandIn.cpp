#include "SystemToolStandIn.h"

namespace install {

SystemToolStandIn::SystemToolStandIn(const std::wstring& logPath)
    : m_logPath(logPath), m_definitionPath(logPath + L".definition.xml")
{
    DeleteFileW(m_logPath.c_str());
    DeleteFileW(m_definitionPath.c_str());
    SetEnvironmentVariableW(L"VEXRA_SCHTASKS_LOG", m_logPath.c_str());
    SetEnvironmentVariableW(L"VEXRA_SCHTASKS_DEFINITION", m_definitionPath.c_str());
    SetEnvironmentVariableW(L"VEXRA_SCHTASKS_EXIT_CREATE", nullptr);
    SetEnvironmentVariableW(L"VEXRA_SCHTASKS_EXIT_DELETE", nullptr);
}

SystemToolStandIn::~SystemToolStandIn()
{
    SetEnvironmentVariableW(L"VEXRA_SCHTASKS_LOG", nullptr);
    SetEnvironmentVariableW(L"VEXRA_SCHTASKS_DEFINITION", nullptr);
    DeleteFileW(m_definitionPath.c_str());
}

std::wstring SystemToolStandIn::Definition() const
{
    std::wstring text = e2e::ReadUtf16Text(m_definitionPath);
    if (!text.empty() && text[0] == 0xFEFF)
        text.erase(0, 1);
    return text;
}

}  // namespace install
