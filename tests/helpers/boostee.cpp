// A stand-in application for the engine's tests: shows one top-level window titled with
// its command line (so a test can find it) and runs until the window is closed or the
// process is killed. Copies of it under other names act as namesake applications.
//
//   boostee.exe [--spin=N] [title]
//
// --spin=N keeps N threads busy without pause, as a program that wants every processor.
#include <windows.h>

#include <cwchar>

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

DWORD WINAPI Spin(LPVOID)
{
    volatile unsigned long long counter = 0;
    for (;;)
        counter = counter + 1;
}

// Takes "--spin=N " off the front of the command line; the rest is the title.
const wchar_t* TakeSpinOption(const wchar_t* commandLine, int* spinThreads)
{
    static const wchar_t kOption[] = L"--spin=";
    const size_t optionLength = ARRAYSIZE(kOption) - 1;
    *spinThreads = 0;
    if (commandLine == nullptr || wcsncmp(commandLine, kOption, optionLength) != 0)
        return commandLine;
    *spinThreads = _wtoi(commandLine + optionLength);
    const wchar_t* rest = wcschr(commandLine, L' ');
    if (rest == nullptr)
        return L"";
    while (*rest == L' ')
        ++rest;
    return rest;
}

void StartSpinning(int threads)
{
    for (int i = 0; i < threads; ++i)
    {
        HANDLE thread = CreateThread(NULL, 0, Spin, NULL, 0, NULL);
        if (thread != NULL)
            CloseHandle(thread);
    }
}
}

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR commandLine, int)
{
    int spinThreads = 0;
    const wchar_t* title = TakeSpinOption(commandLine, &spinThreads);
    if (title == nullptr || *title == L'\0')
        title = L"boostee";

    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = BoosteeWndProc;
    windowClass.hInstance = hInstance;
    windowClass.hCursor = LoadCursorW(NULL, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = L"VexraBoostee";
    if (!RegisterClassW(&windowClass))
        return 1;

    HWND hWnd = CreateWindowExW(0, windowClass.lpszClassName, title, WS_OVERLAPPEDWINDOW,
                                40, 40, 320, 200, NULL, NULL, hInstance, NULL);
    if (hWnd == NULL)
        return 2;
    ShowWindow(hWnd, SW_SHOWNORMAL);
    StartSpinning(spinThreads);

    MSG message;
    while (GetMessageW(&message, NULL, 0, 0) > 0)
    {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
