// The footer's version line, from the executable's file version and its build date.
#pragma once

#include "framework/Afx.h"

// "VERSION: a.b.c.d Build date: <date>" where the date is the build-date string cut before
// its first '-'. A date shorter than two characters after the cut is left out, and the line
// then ends with a blank after the version.
CString MakeVersionLine(const WORD awFileVersion[4], const CString& strBuildDate);
