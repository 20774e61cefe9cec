#include "DecoyWindow.h"

#include "Harness.h"

namespace e2e {
namespace {

constexpr wchar_t kDecoyClass[] = L"VexraE2EDecoy";

void RegisterDecoyClass()
{
    static const bool registered = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kDecoyClass;
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        return RegisterClassW(&windowClass) != 0;
    }();
    (void)registered;
}

}  // namespace

DecoyWindow::DecoyWindow()
{
    RegisterDecoyClass();
    m_window = CreateWindowExW(0, kDecoyClass, L"Another application", WS_OVERLAPPEDWINDOW, 0, 0,
                               240, 120, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (m_window)
    {
        ShowWindow(m_window, SW_SHOWNORMAL);
        PumpMessagesFor(Milliseconds{0});
    }
}

DecoyWindow::~DecoyWindow()
{
    if (m_window)
        DestroyWindow(m_window);
}

bool DecoyWindow::BringToFront()
{
    if (!m_window)
        return false;
    SetForegroundWindow(m_window);
    return WaitUntil([&] { return GetForegroundWindow() == m_window; }, Milliseconds{5000},
                     "the decoy window to be in front");
}

}  // namespace e2e
