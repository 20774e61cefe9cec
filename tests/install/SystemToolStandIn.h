// Puts the recording schtasks.exe stand-in (tests/helpers/schtasks.cpp) in place of the
// system's own tool in the prefix's system folder, where the uninstaller runs it by its
// full path. Wine's copy is kept beside it under another name and put back when the
// object goes; one left over by a run that crashed is put back first.
//
// Wine runs its built-in tool for any schtasks.exe in the system folder unless the prefix
// says to load the file there ("native"), so that override is set for the same time.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace install {

class SystemToolStandIn {
public:
    // `logPath`: the file the stand-in appends its command lines to. Processes started
    // from this one afterwards (and their children) inherit the setting.
    explicit SystemToolStandIn(const std::wstring& logPath);
    ~SystemToolStandIn();
    SystemToolStandIn(const SystemToolStandIn&) = delete;
    SystemToolStandIn& operator=(const SystemToolStandIn&) = delete;

    // False, with the reason in Failure(), when the stand-in could not be put in place.
    bool IsPlaced() const { return m_placed; }
    const std::string& Failure() const { return m_failure; }
    // The system's schtasks.exe, by the full path the system gives its folder.
    const std::wstring& ToolPath() const { return m_toolPath; }
    // The command lines the stand-in was run with, in order.
    std::vector<std::wstring> Runs() const;

private:
    void RestoreSystemTool();
    void PreferFileInSystemFolder();
    void RestoreLoadOrder();

    std::wstring m_toolPath;
    std::wstring m_keptPath;
    std::wstring m_logPath;
    std::optional<std::wstring> m_previousLoadOrder;
    bool m_placed = false;
    std::string m_failure;
};

}  // namespace install
