// The program's few persistent settings: string values in the registry. Every failure
// turns into an empty text or FALSE; callers treat both as "not set".
#pragma once

#include "framework/Afx.h"

// The value's text, or an empty text when the key or value is missing, cannot be read,
// or holds more than 1024 bytes. Opens the key for reading only: creates nothing.
CString ReadRegString(HKEY hRoot, LPCWSTR pszSubKey, LPCWSTR pszValueName);

// Stores a REG_SZ value under HKEY_CURRENT_USER, creating the key and its parents when
// needed. TRUE when the value was stored.
BOOL WriteUserRegString(LPCWSTR pszSubKey, LPCWSTR pszValueName, LPCWSTR pszValue);
