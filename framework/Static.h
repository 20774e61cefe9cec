// CStatic: a static control (text or picture).
#pragma once

#include "framework/Wnd.h"

class CStatic : public CWnd
{
};
