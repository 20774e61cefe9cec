// The bytes of a resource copied into movable memory of their own, for the loaders that
// read a picture from a stream over an HGLOBAL (OLE's picture loader, GDI+). A resource's
// own memory is read-only and cannot back such a stream.
#pragma once

#include "framework/Handle.h"

// Empty when the resource is missing, empty or cannot be copied; nSize is the byte count.
CGlobalMemory CopyResourceBytes(HMODULE hModule, UINT nResourceId, LPCWSTR pszType, DWORD& nSize);
