// GDI+ for the driver (PNG files of screenshots, decoding the program's PNG images).
// GDI+'s headers use min and max, which NOMINMAX takes away, and IStream from objidl.h,
// which WIN32_LEAN_AND_MEAN leaves out: include GDI+ through this header.
#pragma once

#include <windows.h>

#include <algorithm>
#include <objidl.h>
using std::max;
using std::min;
#include <gdiplus.h>

namespace e2e {

// Starts GDI+ once for the life of the test process; false when it cannot start.
bool GdiplusReady();

}  // namespace e2e
