// The framework's one umbrella header: every file of the program includes this, as MFC
// programs include <afxwin.h>.
#pragma once

#include <windows.h>

#include "framework/Object.h"
#include "framework/String.h"
#include "framework/Array.h"
