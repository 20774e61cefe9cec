// The bare reference of the benchmark: the least a watcher that looks at the process list
// every millisecond can cost. It reads the list into the same 8192-byte buffer the
// program's watcher uses, waits 1 ms the same way, and does nothing else.
#include <windows.h>

#include <psapi.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    HANDLE never = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    static DWORD pids[2048];
    for (;;)
    {
        DWORD bytes = 0;
        ::EnumProcesses(pids, sizeof(pids), &bytes);
        ::WaitForSingleObject(never, 1);
    }
}
