// The framework's window plumbing shared by CWnd and CDialog; not for program code.
#pragma once

#include "framework/Wnd.h"

class CWndInternals
{
public:
    // The window procedure of every window that has a permanent CWnd.
    static LRESULT CALLBACK WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    // Brackets the creation of a window for pWnd on this thread: the new window is
    // subclassed the moment it exists and pWnd takes it into the map on its first
    // message.
    static void BeginCreation(CWnd* pWnd);
    static void EndCreation(CWnd* pWnd);
    static void MarkCreatedByFramework(CWnd* pWnd) { pWnd->m_bCreatedByFramework = true; }

    // Offers pMsg to PreTranslateMessage of its target window and then of each parent up
    // to the top-level window; TRUE when one of them took it.
    static BOOL PreTranslateChain(MSG* pMsg);

    // Runs GetMessage/dispatch until keepRunning() turns false or WM_QUIT arrives (which
    // is posted again for the next loop out). Returns false on WM_QUIT.
    template <class TPredicate>
    static bool PumpMessages(TPredicate keepRunning, WPARAM* pQuitCode);

private:
    static bool PumpOne(WPARAM* pQuitCode, bool* pQuit);
    static void EnterLoop();
    static void LeaveLoop();
};

template <class TPredicate>
bool CWndInternals::PumpMessages(TPredicate keepRunning, WPARAM* pQuitCode)
{
    EnterLoop();
    bool quit = false;
    while (!quit && keepRunning())
        PumpOne(pQuitCode, &quit);
    LeaveLoop();
    return !quit;
}
