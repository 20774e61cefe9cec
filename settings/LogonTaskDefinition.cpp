#include "settings/LogonTaskDefinition.h"

namespace {

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// XML 1.0 allows tab, line feed, carriage return and everything from blank upwards except
// the surrogates (taken in pairs by the caller) and U+FFFE, U+FFFF.
bool IsXmlUnit(char16_t unit)
{
    if (unit < 0x20)
        return unit == u'\t' || unit == u'\n' || unit == u'\r';
    return unit != 0xFFFE && unit != 0xFFFF;
}

// The definition around the program path. The trigger's children are a sequence in the
// schema (Enabled before Delay); the other elements may stand in any order. No UserId
// anywhere: the trigger fires at every user's logon, and the task runs as the user who
// registers it, with an interactive token, as a task made by arguments does.
const char16_t kDefinitionStart[] =
    u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
    u"<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\r\n"
    u"  <Triggers>\r\n"
    u"    <LogonTrigger>\r\n"
    u"      <Enabled>true</Enabled>\r\n"
    u"      <Delay>PT5M</Delay>\r\n"
    u"    </LogonTrigger>\r\n"
    u"  </Triggers>\r\n"
    u"  <Principals>\r\n"
    u"    <Principal id=\"Author\">\r\n"
    u"      <LogonType>InteractiveToken</LogonType>\r\n"
    u"      <RunLevel>HighestAvailable</RunLevel>\r\n"
    u"    </Principal>\r\n"
    u"  </Principals>\r\n"
    u"  <Settings>\r\n"
    u"    <MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>\r\n"
    u"    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>\r\n"
    u"    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>\r\n"
    u"    <ExecutionTimeLimit>PT0S</ExecutionTimeLimit>\r\n"
    u"    <Enabled>true</Enabled>\r\n"
    u"  </Settings>\r\n"
    u"  <Actions Context=\"Author\">\r\n"
    u"    <Exec>\r\n"
    u"      <Command>";
// The path goes in bare: the Task Scheduler takes Command as one file name, blanks and all.
const char16_t kDefinitionEnd[] =
    u"</Command>\r\n"
    u"    </Exec>\r\n"
    u"  </Actions>\r\n"
    u"</Task>\r\n";

}  // namespace

bool IsXmlText(const std::u16string& text)
{
    for (std::u16string::size_type i = 0; i < text.size(); ++i)
    {
        const char16_t unit = text[i];
        if (IsHighSurrogate(unit))
        {
            if (i + 1 >= text.size() || !IsLowSurrogate(text[i + 1]))
                return false;
            ++i;
        }
        else if (IsLowSurrogate(unit) || !IsXmlUnit(unit))
        {
            return false;
        }
    }
    return true;
}

std::u16string EscapeXmlText(const std::u16string& text)
{
    std::u16string escaped;
    escaped.reserve(text.size());
    for (char16_t unit : text)
    {
        switch (unit)
        {
        case u'&':
            escaped += u"&amp;";
            break;
        case u'<':
            escaped += u"&lt;";
            break;
        case u'>':
            escaped += u"&gt;";
            break;
        case u'"':
            escaped += u"&quot;";
            break;
        case u'\'':
            escaped += u"&apos;";
            break;
        default:
            escaped += unit;
            break;
        }
    }
    return escaped;
}

std::u16string MakeLogonTaskDefinition(const std::u16string& programPath)
{
    if (programPath.empty() || !IsXmlText(programPath))
        return std::u16string();
    return kDefinitionStart + EscapeXmlText(programPath) + kDefinitionEnd;
}
