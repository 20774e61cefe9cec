// The recording schtasks.exe stand-in in the prefix's system folder, where the uninstaller
// runs it by its full path, with its runs recorded into a log of the test's own. Placing
// it, and putting Wine's own tool back, is the end-to-end harness's SystemTaskToolStandIn.
#pragma once

#include "Harness.h"

#include <string>
#include <vector>

namespace install {

class SystemToolStandIn
{
public:
    // `logPath`: the file the stand-in appends its command lines to; the task definition
    // a create run reads is copied beside it. Processes started from this one afterwards
    // (and their children) inherit the setting.
    explicit SystemToolStandIn(const std::wstring& logPath);
    ~SystemToolStandIn();
    SystemToolStandIn(const SystemToolStandIn&) = delete;
    SystemToolStandIn& operator=(const SystemToolStandIn&) = delete;

    bool IsPlaced() const { return m_placement.InPlace(); }
    // The system's schtasks.exe, by the full path the system gives its folder.
    std::wstring ToolPath() const { return e2e::SystemTaskToolStandIn::ToolPath(); }
    // The command lines the stand-in was run with, in order.
    std::vector<std::wstring> Runs() const { return e2e::ReadLogLines(m_logPath); }
    // The task definition the last create run read, as text; empty when none did.
    std::wstring Definition() const;

private:
    e2e::SystemTaskToolStandIn m_placement;
    std::wstring m_logPath;
    std::wstring m_definitionPath;
};

}  // namespace install
