// Hand walk of a version record (the VS_VERSION_INFO resource) as raw bytes.
// The bytes come from any program the user starts and are read inside an elevated
// process, so every read stays inside the given size whatever the bytes say.
// Portable: no <windows.h>; text is UTF-16 in char16_t.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct VersionWalkResult
{
    // Name of the last string table reached (the first one when only the first is
    // asked for), in upper case; empty when the record has none.
    std::u16string tableName;
    // One entry per string of every table: table name, "|", the string's key.
    std::vector<std::u16string> keys;
    // The value of each entry of keys, same order; empty for a string without a value.
    std::vector<std::u16string> values;
    // Each language/code-page pair of VarFileInfo\Translation as "%04X%04X".
    std::vector<std::u16string> translations;
};

// Walks the record of dataSize bytes at data. With firstTableOnly the walk stops at
// the first string table, having stored its name. A malformed record ends the walk
// early; what was collected until then stays in result.
void WalkVersionRecord(const std::uint8_t* data, std::size_t dataSize, bool firstTableOnly,
                       VersionWalkResult& result);
