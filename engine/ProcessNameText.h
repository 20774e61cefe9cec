// Text cuts on process and product names: the stem that ties namesake processes together,
// and the short name the boost announcement shows. Portable (no <windows.h>), so the same
// code builds for Windows and natively for the fuzzers.
#pragma once

#include <string>

// The part of an image file name after its last backslash, cut before the first dot:
// "\Device\HarddiskVolume2\Apps\my.app.exe" gives "my", "tool" gives "tool".
std::u16string GetImageStem(const std::u16string& path);

// Whether a candidate process belongs with the target by name: its stem contains the
// target's stem (case-sensitive), so "chromedriver" goes with "chrome" but not the
// reverse. An empty target stem (its name could not be read) matches nothing.
bool IsNamesakeStem(const std::u16string& candidateStem, const std::u16string& targetStem);

// Longest name the announcement shows, in UTF-16 code units.
const std::u16string::size_type DISPLAY_NAME_MAX_LENGTH = 35;

// The application's name as the announcement shows it: the stem of a product or process
// name (a product name "Editor 2.1" gives "Editor 2"), cut to its first 35 code units.
// A cut never splits a surrogate pair.
std::u16string MakeDisplayName(const std::u16string& name);
