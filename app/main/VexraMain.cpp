// The one application object and the entry point of VEXRA-by-Teskor.exe.
#include "app/VEXRAUIApp.h"

CVEXRAUIApp theApp;

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR pszCmdLine, int nCmdShow)
{
    return AfxWinMain(hInstance, hPrevInstance, pszCmdLine, nCmdShow);
}
