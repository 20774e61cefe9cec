#include "framework/Wnd.h"

#include "framework/Menu.h"
#include "framework/TempObjects.h"
#include "framework/WindowThreadMap.h"
#include "framework/WndInternals.h"

namespace {

// ---- The HWND-to-object map ---------------------------------------------------------
// It belongs to the window thread (see WindowThreadMap.h), hence no lock. It lives for the
// whole process (never destroyed), so window objects with static storage can still look
// themselves up while the program ends.

CWindowThreadMap<HWND, CWnd>& PermanentWindows()
{
    static auto* windows = new CWindowThreadMap<HWND, CWnd>;
    return *windows;
}

CWnd* LookupPermanent(HWND hWnd) { return PermanentWindows().Find(hWnd); }
bool AddPermanent(HWND hWnd, CWnd* pWnd) { return PermanentWindows().Add(hWnd, pWnd); }
void RemovePermanent(HWND hWnd, CWnd* pWnd) { PermanentWindows().Remove(hWnd, pWnd); }

// The window's own procedure is also kept as a window property, so a message that
// arrives after the object has let go (or before it took over) still reaches it.
const wchar_t kSuperProcProperty[] = L"VexraFrameworkSuperProc";

WNDPROC SuperProcOf(HWND hWnd)
{
    return reinterpret_cast<WNDPROC>(::GetPropW(hWnd, kSuperProcProperty));
}

// ---- Per-thread state -----------------------------------------------------------------

struct CurrentMessage
{
    HWND hWnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

thread_local CurrentMessage t_currentMessage = { nullptr, 0, 0, 0 };
thread_local CWnd* t_pWndInCreation = nullptr;
thread_local HHOOK t_hCreationHook = nullptr;
thread_local int t_nLoopDepth = 0;

// Restores the previous current message when a nested message has been handled.
class CurrentMessageScope
{
public:
    CurrentMessageScope(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
        : m_saved(t_currentMessage)
    {
        t_currentMessage = { hWnd, message, wParam, lParam };
    }
    ~CurrentMessageScope() { t_currentMessage = m_saved; }

private:
    CurrentMessage m_saved;
};

bool IsCtlColorMessage(UINT message)
{
    return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC;
}

}  // namespace

// ---- Window procedure and creation --------------------------------------------------------

namespace {

LRESULT CallSuper(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC super = SuperProcOf(hWnd);
    if (super && super != &CWndInternals::WndProc)
        return ::CallWindowProcW(super, hWnd, message, wParam, lParam);
    return ::DefWindowProcW(hWnd, message, wParam, lParam);
}

LRESULT CALLBACK CreationHook(int nCode, WPARAM wParam, LPARAM lParam)
{
    HHOOK hHook = t_hCreationHook;
    if (nCode == HCBT_CREATEWND && t_pWndInCreation && hHook)
    {
        // The first window created is the one being created for the object; subclass it
        // before it receives any message, then step aside for its child windows.
        HWND hWnd = reinterpret_cast<HWND>(wParam);
        WNDPROC super = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
            hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWndInternals::WndProc)));
        ::SetPropW(hWnd, kSuperProcProperty, reinterpret_cast<HANDLE>(super));
        t_hCreationHook = nullptr;
        const LRESULT result = ::CallNextHookEx(hHook, nCode, wParam, lParam);
        ::UnhookWindowsHookEx(hHook);
        return result;
    }
    return ::CallNextHookEx(hHook, nCode, wParam, lParam);
}

}  // namespace

void CWndInternals::BeginCreation(CWnd* pWnd)
{
    t_pWndInCreation = pWnd;
    t_hCreationHook =
        ::SetWindowsHookExW(WH_CBT, &CreationHook, nullptr, ::GetCurrentThreadId());
}

void CWndInternals::EndCreation(CWnd* pWnd)
{
    if (t_hCreationHook)
    {
        ::UnhookWindowsHookEx(t_hCreationHook);
        t_hCreationHook = nullptr;
    }
    if (t_pWndInCreation == pWnd)
        t_pWndInCreation = nullptr;
}

namespace {

// The window being created meets its object on its first message.
CWnd* ClaimWindowInCreation(HWND hWnd)
{
    CWnd* pWnd = t_pWndInCreation;
    if (!pWnd || pWnd->m_hWnd || SuperProcOf(hWnd) == nullptr)
        return nullptr;
    t_pWndInCreation = nullptr;
    if (!AddPermanent(hWnd, pWnd))
        return nullptr;
    pWnd->m_hWnd = hWnd;
    return pWnd;
}

}  // namespace

LRESULT CALLBACK CWndInternals::WndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = LookupPermanent(hWnd);
    if (!pWnd)
    {
        pWnd = ClaimWindowInCreation(hWnd);
        if (pWnd)
            pWnd->m_pfnSuper = SuperProcOf(hWnd);
    }
    if (!pWnd)
        return CallSuper(hWnd, message, wParam, lParam);

    CurrentMessageScope scope(hWnd, message, wParam, lParam);
    LRESULT result = 0;
    // No exception may unwind into user32: whatever a handler throws ends here.
    try
    {
        result = pWnd->WindowProc(message, wParam, lParam);
    }
    catch (...)
    {
        result = 0;
    }

    if (message == WM_NCDESTROY)
    {
        // The window is gone: hand the handle back to its own procedure, leave the map,
        // and let the object finish (a self-owned object deletes itself there).
        if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hWnd, GWLP_WNDPROC)) ==
                &CWndInternals::WndProc &&
            pWnd->m_pfnSuper)
            ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pWnd->m_pfnSuper));
        ::RemovePropW(hWnd, kSuperProcProperty);
        RemovePermanent(hWnd, pWnd);
        pWnd->m_hWnd = nullptr;
        pWnd->m_pfnSuper = nullptr;
        try
        {
            pWnd->PostNcDestroy();
        }
        catch (...)
        {
        }
    }
    return result;
}

BOOL CWndInternals::PreTranslateChain(MSG* pMsg)
{
    for (HWND hWnd = pMsg->hwnd; hWnd;)
    {
        CWnd* pWnd = LookupPermanent(hWnd);
        if (pWnd && pWnd->PreTranslateMessage(pMsg))
            return TRUE;
        if (!(::GetWindowLongW(hWnd, GWL_STYLE) & WS_CHILD))
            break;  // the top-level window was the last one asked
        hWnd = ::GetParent(hWnd);
    }
    return FALSE;
}

void CWndInternals::EnterLoop() { ++t_nLoopDepth; }
void CWndInternals::LeaveLoop() { --t_nLoopDepth; }

bool CWndInternals::PumpOne(WPARAM* pQuitCode, bool* pQuit)
{
    MSG msg;
    // Temporary wrappers go when the queue is empty, and only in the outermost loop: a
    // nested loop runs inside a handler that may still hold some.
    if (t_nLoopDepth == 1 && !::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE))
        AfxDeleteTempObjects();
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1)
    {
        if (pQuitCode)
            *pQuitCode = got == 0 ? msg.wParam : 0;
        *pQuit = true;
        return false;
    }
    if (!PreTranslateChain(&msg))
    {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return true;
}

// ---- CWnd -----------------------------------------------------------------------------

const CWnd CWnd::wndTopMost(HWND_TOPMOST);

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
    // Unhandled, these still need the framework: reflection to the child control and
    // routing of menu items to their CMenu.
    ON_WM_CTLCOLOR()
    ON_WM_DRAWITEM()
    ON_WM_MEASUREITEM()
END_MESSAGE_MAP()

CWnd::~CWnd()
{
    if (!m_hWnd || LookupPermanent(m_hWnd) != this)
        return;  // a placeholder, a temporary wrapper or already detached
    // The derived parts of this object are gone by now, so no message may reach it: the
    // window gets its own procedure back and leaves the map before anything else happens
    // to it. A class whose OnDestroy must run destroys its window in its own destructor.
    const bool bDestroy = m_bCreatedByFramework;
    const HWND hWnd = m_pfnSuper ? UnsubclassWindow() : Detach();
    if (bDestroy && hWnd)
        ::DestroyWindow(hWnd);
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
    if (!hWnd)
        return nullptr;
    if (CWnd* pWnd = LookupPermanent(hWnd))
        return pWnd;
    return CTempObjects<CWnd, HWND>::Get(hWnd, [](HWND h) {
        std::unique_ptr<CWnd> wrapper(new CWnd);
        wrapper->m_hWnd = h;
        return wrapper;
    });
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    return hWnd ? LookupPermanent(hWnd) : nullptr;
}

HWND CWnd::Detach()
{
    HWND hWnd = m_hWnd;
    if (hWnd)
        RemovePermanent(hWnd, this);
    m_hWnd = nullptr;
    return hWnd;
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (!hWnd || m_hWnd || !AddPermanent(hWnd, this))
        return FALSE;
    m_hWnd = hWnd;
    PreSubclassWindow();
    WNDPROC super = reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(
        hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWndInternals::WndProc)));
    if (!super)
    {
        Detach();
        return FALSE;
    }
    m_pfnSuper = super;
    ::SetPropW(hWnd, kSuperProcProperty, reinterpret_cast<HANDLE>(super));
    return TRUE;
}

HWND CWnd::UnsubclassWindow()
{
    if (!m_hWnd || !m_pfnSuper)
        return nullptr;
    ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    ::RemovePropW(m_hWnd, kSuperProcProperty);
    m_pfnSuper = nullptr;
    return Detach();
}

void CWnd::PreSubclassWindow() {}
BOOL CWnd::PreTranslateMessage(MSG* pMsg) { return FALSE; }
void CWnd::PostNcDestroy() {}

BOOL CWnd::DestroyWindow()
{
    return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result))
        result = DefWindowProc(message, wParam, lParam);
    return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    UINT nLookup = message;
    UINT nCode = 0;
    UINT nID = 0;
    if (IsCtlColorMessage(message))
    {
        nLookup = WM_CTLCOLOR;
    }
    else if (message == WM_COMMAND)
    {
        nCode = HIWORD(wParam);
        nID = LOWORD(wParam);
        if (nCode == 1 && lParam == 0)
            nCode = 0;  // an accelerator is a command like a menu item
    }
    const AFX_MSGMAP_ENTRY* pEntry = FindMessageEntry(GetMessageMap(), nLookup, nCode, nID);
    if (!pEntry)
        return FALSE;
    LRESULT result = 0;
    if (!pEntry->pfn(this, message, wParam, lParam, result))
        return FALSE;
    if (pResult)
        *pResult = result;
    return TRUE;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper)
        return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    const CurrentMessage& current = t_currentMessage;
    return DefWindowProc(current.message, current.wParam, current.lParam);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    return ReflectChildNotify(message, wParam, lParam, pResult);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (IsCtlColorMessage(message))
    {
        // The reflected form carries the DC and the CTLCOLOR_ kind.
        return OnWndMsg(WM_REFLECT_BASE + WM_CTLCOLOR, wParam, message - WM_CTLCOLORMSGBOX,
                        pResult);
    }
    if (message == WM_DRAWITEM || message == WM_MEASUREITEM)
        return OnWndMsg(WM_REFLECT_BASE + message, wParam, lParam, pResult);
    return FALSE;
}

BOOL CWnd::ReflectToChild(HWND hWndChild, UINT message, WPARAM wParam, LPARAM lParam,
                          LRESULT* pResult)
{
    CWnd* pChild = FromHandlePermanent(hWndChild);
    return pChild && pChild->OnChildNotify(message, wParam, lParam, pResult);
}

// ---- Default handlers -----------------------------------------------------------------------

void CWnd::OnDestroy() { Default(); }
void CWnd::OnPaint() { Default(); }
BOOL CWnd::OnEraseBkgnd(CDC* pDC) { return static_cast<BOOL>(Default()); }
void CWnd::OnMouseMove(UINT nFlags, CPoint point) { Default(); }
void CWnd::OnTimer(UINT_PTR nIDEvent) { Default(); }

HBRUSH CWnd::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    // The control gets the first word: a brush from its reflected handler is the answer.
    if (pWnd && pWnd->m_hWnd && pWnd->m_hWnd != m_hWnd && pDC)
    {
        LRESULT brush = 0;
        if (ReflectToChild(pWnd->m_hWnd, WM_CTLCOLORMSGBOX + nCtlColor,
                           reinterpret_cast<WPARAM>(pDC->m_hDC),
                           reinterpret_cast<LPARAM>(pWnd->m_hWnd), &brush) &&
            brush)
            return reinterpret_cast<HBRUSH>(brush);
    }
    return reinterpret_cast<HBRUSH>(Default());
}

void CWnd::OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct)
{
    if (lpDrawItemStruct)
    {
        if (lpDrawItemStruct->CtlType == ODT_MENU)
        {
            // For a menu item, hwndItem is the handle of the menu that holds it.
            HMENU hMenu = reinterpret_cast<HMENU>(lpDrawItemStruct->hwndItem);
            if (CMenu* pMenu = CMenu::FindPermanentMenuOwning(hMenu))
            {
                pMenu->DrawItem(lpDrawItemStruct);
                return;
            }
        }
        else
        {
            LRESULT result = 0;
            if (ReflectToChild(lpDrawItemStruct->hwndItem, WM_DRAWITEM,
                               static_cast<WPARAM>(nIDCtl),
                               reinterpret_cast<LPARAM>(lpDrawItemStruct), &result))
                return;
        }
    }
    Default();
}

void CWnd::OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct)
{
    if (lpMeasureItemStruct)
    {
        if (lpMeasureItemStruct->CtlType == ODT_MENU)
        {
            // WM_MEASUREITEM names no menu: find the permanent menu holding the item.
            if (CMenu* pMenu = CMenu::FindPermanentMenuWithItem(lpMeasureItemStruct->itemID))
            {
                pMenu->MeasureItem(lpMeasureItemStruct);
                return;
            }
        }
        else
        {
            LRESULT result = 0;
            if (ReflectToChild(::GetDlgItem(m_hWnd, nIDCtl), WM_MEASUREITEM,
                               static_cast<WPARAM>(nIDCtl),
                               reinterpret_cast<LPARAM>(lpMeasureItemStruct), &result))
                return;
        }
    }
    Default();
}

// ---- Thin wrappers over user32 ------------------------------------------------------

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::PostMessageW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint)
{
    ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
}

BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags)
{
    return ::SetWindowPos(m_hWnd, pWndInsertAfter ? pWndInsertAfter->m_hWnd : nullptr, x, y,
                          cx, cy, nFlags);
}

void CWnd::SetWindowText(LPCWSTR lpszString) { ::SetWindowTextW(m_hWnd, lpszString); }

void CWnd::GetWindowText(CString& rString) const
{
    const int nLength = ::GetWindowTextLengthW(m_hWnd);
    LPWSTR pBuffer = rString.GetBuffer(nLength);
    const int nCopied = ::GetWindowTextW(m_hWnd, pBuffer, nLength + 1);
    rString.ReleaseBuffer(nCopied > 0 ? nCopied : 0);
}

CWnd* CWnd::GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }
int CWnd::GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
void CWnd::GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
void CWnd::GetWindowRect(LPRECT lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }

void CWnd::ScreenToClient(LPRECT lpRect) const
{
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<LPPOINT>(lpRect), 2);
}

void CWnd::InvalidateRect(LPCRECT lpRect, BOOL bErase) { ::InvalidateRect(m_hWnd, lpRect, bErase); }

void CWnd::SetFont(CFont* pFont, BOOL bRedraw)
{
    ::SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(pFont ? pFont->GetSafeHandle() : nullptr),
                   bRedraw);
}

CFont* CWnd::GetFont() const
{
    return CFont::FromHandle(reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0)));
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer)
{
    return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer);
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags)
{
    const DWORD dwStyle = static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE));
    const DWORD dwNewStyle = (dwStyle & ~dwRemove) | dwAdd;
    if (dwStyle == dwNewStyle)
        return FALSE;
    ::SetWindowLongW(m_hWnd, GWL_STYLE, static_cast<LONG>(dwNewStyle));
    if (nFlags != 0)
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
    return TRUE;
}

DWORD CWnd::GetStyle() const { return static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE)); }
CWnd* CWnd::GetParent() const { return FromHandle(::GetParent(m_hWnd)); }

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon)
{
    return reinterpret_cast<HICON>(::SendMessageW(m_hWnd, WM_SETICON,
                                                  bBigIcon ? ICON_BIG : ICON_SMALL,
                                                  reinterpret_cast<LPARAM>(hIcon)));
}

BOOL CWnd::IsIconic() const { return ::IsIconic(m_hWnd); }
BOOL CWnd::SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
