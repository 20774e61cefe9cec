// A background process for the benchmark: it exists, as most processes of a desktop do,
// and does nothing until it is ended.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    ::Sleep(INFINITE);
    return 0;
}
