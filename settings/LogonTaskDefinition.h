// The logon task's definition in the Task Scheduler's XML (schema 1.2, Windows 7 and
// later). A task made from arguments alone gets the Task Scheduler's defaults: it is
// stopped 72 hours after it starts, does not start on battery and is stopped when the
// machine goes on battery. Vexra runs for the whole session, on any power, so its
// definition says otherwise. Portable: no <windows.h>.
#pragma once

#include <string>

// The whole definition: started 5 minutes after any user logs on, at the highest run level
// of the registering user, never stopped for its run time or for battery power, and a
// second start ignored while one runs. Empty when the program path holds a character that
// XML cannot carry (a control character, an unpaired surrogate).
std::u16string MakeLogonTaskDefinition(const std::u16string& programPath);

// `text` with the characters that mean something in XML written as entities. Characters
// that XML cannot carry at all are kept: check with IsXmlText first.
std::u16string EscapeXmlText(const std::u16string& text);

// Whether every character of `text` may stand in an XML 1.0 document.
bool IsXmlText(const std::u16string& text);
