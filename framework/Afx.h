// The framework's one umbrella header: every file of the program includes this, as MFC
// programs include <afxwin.h>.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "framework/Object.h"
#include "framework/String.h"
#include "framework/Array.h"
#include "framework/Geometry.h"
#include "framework/CmdTarget.h"
#include "framework/GdiObject.h"
#include "framework/DC.h"
#include "framework/Wnd.h"
#include "framework/Menu.h"
#include "framework/Dialog.h"
#include "framework/DialogEx.h"
#include "framework/Static.h"
#include "framework/Button.h"
#include "framework/WinApp.h"
#include "framework/ShellManager.h"
