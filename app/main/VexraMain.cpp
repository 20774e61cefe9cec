// Entry point of VEXRA-by-Teskor.exe. Temporary: ends at once until the application
// object can be built; replaced by the real one within this session.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    return 0;
}
