// A stand-in application for the engine's tests: shows one top-level window titled with
// its command line (so a test can find it) and runs until the window is closed or the
// process is killed. Copies of it under other names act as namesake applications.
#include <windows.h>

namespace
{
LRESULT CALLBACK BoosteeWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY)
    {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hWnd, message, wParam, lParam);
}
}

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR commandLine, int)
{
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = BoosteeWndProc;
    windowClass.hInstance = hInstance;
    windowClass.hCursor = LoadCursorW(NULL, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = L"VexraBoostee";
    if (!RegisterClassW(&windowClass))
        return 1;

    const wchar_t* title = (commandLine && *commandLine) ? commandLine : L"boostee";
    HWND hWnd = CreateWindowExW(0, windowClass.lpszClassName, title, WS_OVERLAPPEDWINDOW,
                                40, 40, 320, 200, NULL, NULL, hInstance, NULL);
    if (hWnd == NULL)
        return 2;
    ShowWindow(hWnd, SW_SHOWNORMAL);

    MSG message;
    while (GetMessageW(&message, NULL, 0, 0) > 0)
    {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
