// Holds a named mutex for a test: mutex_holder.exe <mutex name> <ready event> <quit event>.
// Creates the mutex owned, signals the ready event, waits for the quit event (at most a
// minute, so a failed test leaves nothing behind), then releases the mutex and ends.
#include <windows.h>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 4)
        return 2;
    // Created here, so owned once: the single ReleaseMutex below frees it.
    HANDLE hMutex = CreateMutexW(nullptr, TRUE, argv[1]);
    if (hMutex == nullptr || GetLastError() == ERROR_ALREADY_EXISTS)
        return 3;
    HANDLE hReady = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[2]);
    HANDLE hQuit = OpenEventW(SYNCHRONIZE, FALSE, argv[3]);
    if (hReady == nullptr || hQuit == nullptr)
        return 4;
    SetEvent(hReady);
    WaitForSingleObject(hQuit, 60000);
    ReleaseMutex(hMutex);
    CloseHandle(hMutex);
    CloseHandle(hReady);
    CloseHandle(hQuit);
    return 0;
}
