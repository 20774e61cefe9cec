#include "framework/TempObjects.h"

#include "framework/DC.h"
#include "framework/GdiObject.h"
#include "framework/Menu.h"
#include "framework/Wnd.h"

void AfxDeleteTempObjects()
{
    CTempObjects<CWnd, HWND>::DeleteAll();
    CTempObjects<CDC, HDC>::DeleteAll();
    CTempObjects<CMenu, HMENU>::DeleteAll();
    CTempObjects<CFont, HGDIOBJ>::DeleteAll();
}
