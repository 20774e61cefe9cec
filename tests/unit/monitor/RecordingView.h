// A stand-in for the main dialog that records what the monitoring code asks of it.
#pragma once

#include "monitor/MonitorView.h"

#include <map>
#include <string>
#include <vector>

class RecordingView : public IMonitorView
{
public:
    std::vector<std::string> calls;  // "text 1036", "invalidate 1036", "update"
    std::map<int, CString> texts;    // the last text given to each control

    void SetControlText(int nControlId, const CString& strText) override
    {
        calls.push_back("text " + std::to_string(nControlId));
        texts[nControlId] = strText;
    }
    void InvalidateControlArea(int nControlId) override
    {
        calls.push_back("invalidate " + std::to_string(nControlId));
    }
    void UpdateNow() override { calls.push_back("update"); }
};
