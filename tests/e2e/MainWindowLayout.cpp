#include "MainWindowLayout.h"

#include "Harness.h"

#include "res/resource.h"

#include <set>
#include <sstream>

namespace e2e {

// Every control of the main window: where it sits, on which page it shows, what it says
// before any page command runs.
const std::vector<ExpectedControl> kMainWindowControls = {
    {IDC_CONTACT, Page::All, {740, 4, 24, 24}, nullptr},
    {IDC_CLOSE, Page::All, {772, 4, 24, 24}, nullptr},
    {IDC_START, Page::Welcome, {336, 370, 250, 38}, nullptr},
    {IDC_WELCOME, Page::Welcome, {391, 43, 165, 33}, L"WELCOME"},
    {IDC_SLOGAN, Page::Welcome, {300, 115, 340, 33}, L"Vexra Boost Your Applications"},
    {IDC_VERSION, Page::All, {195, 428, 320, 19}, nullptr},
    {IDC_PRODUCT_YEAR, Page::All, {719, 428, 75, 19}, L"Vexra,2018"},
    {IDC_WELCOME_ANIMATION, Page::Welcome, {335, 161, 291, 175}, nullptr},
    {IDC_TAB_ENGINE, Page::Tabs, {30, 177, 152, 52}, nullptr},
    {IDC_TAB_SYSTEM, Page::Tabs, {30, 232, 152, 52}, nullptr},
    {IDC_SYSTEM_ICON, Page::System, {208, 8, 64, 54}, nullptr},
    {IDC_SYSTEM_TITLE, Page::System, {277, 25, 277, 36}, L"System Information :"},
    {IDC_SYSTEM_COMPUTER_LABEL, Page::System, {225, 125, 150, 19}, L"Computer Name:"},
    {IDC_SYSTEM_COMPUTER_VALUE, Page::System, {378, 125, 410, 19}, L"A"},
    {IDC_SYSTEM_EDITION_LABEL, Page::System, {225, 175, 150, 19}, L"Windows Edition:"},
    {IDC_SYSTEM_EDITION_VALUE, Page::System, {378, 175, 410, 42}, L"A"},
    {IDC_SYSTEM_PROCESSOR_LABEL, Page::System, {225, 225, 92, 19}, L"Processor:"},
    {IDC_SYSTEM_PROCESSOR_VALUE, Page::System, {320, 225, 410, 19}, L"A"},
    {IDC_SYSTEM_MEMORY_LABEL, Page::System, {225, 275, 225, 19}, L"Installed Memory (RAM:)"},
    {IDC_SYSTEM_MEMORY_VALUE, Page::System, {453, 275, 410, 19}, L"A"},
    {IDC_SYSTEM_TYPE_LABEL, Page::System, {225, 325, 110, 19}, L"System Type:"},
    {IDC_SYSTEM_TYPE_VALUE, Page::System, {338, 325, 410, 19}, L"A"},
    {IDC_ENGINE_ICON, Page::Engine, {208, 13, 64, 54}, nullptr},
    {IDC_ENGINE_TITLE, Page::Engine, {277, 28, 290, 36}, L"Vexra Engine Status:"},
    {IDC_ENGINE_STATUS, Page::Engine, {570, 28, 250, 36}, L"Processing"},
    {IDC_ENGINE_CPU_LABEL, Page::Engine, {309, 104, 68, 32}, L"CPU"},
    {IDC_ENGINE_MEMORY_LABEL, Page::Engine, {555, 104, 155, 32}, L"MEMORY"},
    {IDC_CPU_GAUGE, Page::Engine, {305, 156, 76, 76}, nullptr},
    {IDC_MEMORY_GAUGE, Page::Engine, {578, 168, 88, 58}, nullptr},
    {IDC_ENGINE_CPU_USAGE, Page::Engine, {301, 255, 106, 32}, L"Usage:50%"},
    {IDC_ENGINE_MEMORY_USAGE, Page::Engine, {578, 255, 106, 32}, L"Usage:50%"},
    {IDC_ENGINE_PROCESS_LABEL, Page::Engine, {290, 326, 240, 32}, L"Number of Running Process:"},
    {IDC_ENGINE_PROCESS_COUNT, Page::Engine, {533, 326, 106, 32}, L"0"},
    {IDC_ENGINE_FOCUS_LABEL, Page::Engine, {290, 360, 110, 32}, L"Focus on:"},
    {IDC_ENGINE_FOCUS_VALUE, Page::Engine, {403, 360, 256, 32}, L"Do something..."},
};

bool IsShownOnPage(Page controlPage, int pageNumber)
{
    switch (controlPage)
    {
    case Page::All: return true;
    case Page::Welcome: return pageNumber == kWelcomePage;
    case Page::Tabs: return pageNumber == kEnginePage || pageNumber == kSystemPage;
    case Page::Engine: return pageNumber == kEnginePage;
    case Page::System: return pageNumber == kSystemPage;
    }
    return false;
}

RECT ToRect(const Place& place)
{
    return {place.x, place.y, place.x + place.width, place.y + place.height};
}

std::vector<HWND> DirectChildrenOf(HWND parent)
{
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

testing::AssertionResult ShowsExactlyPage(HWND mainWindow, int pageNumber)
{
    std::ostringstream wrong;
    std::set<int> expectedShown;
    for (const ExpectedControl& entry : kMainWindowControls)
    {
        const ControlState control = ReadControl(mainWindow, entry.id);
        const bool expected = IsShownOnPage(entry.page, pageNumber);
        if (expected)
            expectedShown.insert(entry.id);
        if (!control.exists)
            wrong << " " << entry.id << " missing;";
        else if (control.shown != expected)
            wrong << " " << entry.id << " (\"" << Narrow(control.text) << "\") "
                  << (control.shown ? "shown" : "hidden") << ";";
    }
    for (HWND child : DirectChildrenOf(mainWindow))
    {
        const int id = GetDlgCtrlID(child);
        if (IsWindowVisible(child) && !expectedShown.count(id))
            wrong << " unexpected visible child " << id << " (" << Narrow(ClassNameOf(child)) << ");";
    }
    if (wrong.str().empty())
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "page " << pageNumber << ":" << wrong.str();
}

std::vector<RECT> VisibleControlRects(HWND mainWindow, int margin)
{
    std::vector<RECT> rects;
    for (HWND child : DirectChildrenOf(mainWindow))
    {
        if (!IsWindowVisible(child))
            continue;
        RECT rect = ReadControl(mainWindow, GetDlgCtrlID(child)).rect;
        InflateRect(&rect, margin, margin);
        rects.push_back(rect);
    }
    return rects;
}

}  // namespace e2e
