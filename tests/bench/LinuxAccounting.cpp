#include "LinuxAccounting.h"

#include <windows.h>

#include <cstdlib>
#include <cwctype>
#include <sstream>

namespace bench {
namespace {

// Linux exports process times in units of USER_HZ, which is 100 on every architecture
// Wine runs 32-bit programs on.
constexpr double kMsPerTick = 10.0;

std::string ReadWholeFile(const std::wstring& path)
{
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::string();
    std::string content;
    char buffer[4096];
    DWORD read = 0;
    // procfs files report a size of 0: read until the end.
    while (::ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0)
        content.append(buffer, read);
    ::CloseHandle(file);
    return content;
}

std::vector<std::string> SplitAtNul(const std::string& text)
{
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    while (start < text.size())
    {
        const std::string::size_type end = text.find('\0', start);
        parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    // Wine leaves room after the arguments it shows: the padding is no argument.
    while (!parts.empty() && parts.back().empty())
        parts.pop_back();
    return parts;
}

std::string Lower(std::string text)
{
    for (char& ch : text)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return text;
}

std::string Narrow(const std::wstring& text)
{
    std::string narrow;
    for (wchar_t ch : text)
        narrow.push_back(static_cast<char>(ch));
    return narrow;
}

std::string BaseName(const std::string& path)
{
    const std::string::size_type cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string OurPrefixEntry()
{
    wchar_t prefix[MAX_PATH] = {};
    ::GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH);
    return "WINEPREFIX=" + Narrow(prefix);
}

bool InOurPrefix(int unixPid, const std::string& prefixEntry)
{
    const std::string environment =
        ReadWholeFile(L"Z:\\proc\\" + std::to_wstring(unixPid) + L"\\environ");
    for (const std::string& entry : SplitAtNul(environment))
        if (entry == prefixEntry)
            return true;
    return false;
}

template <typename Visit>
void ForEachLinuxProcess(Visit visit)
{
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW(L"Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do
    {
        const int unixPid = static_cast<int>(std::wcstol(found.cFileName, nullptr, 10));
        if (unixPid > 0)
            visit(unixPid);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

}  // namespace

bool LinuxAccountingAvailable()
{
    return ::GetFileAttributesW(L"Z:\\proc\\self\\stat") != INVALID_FILE_ATTRIBUTES;
}

std::vector<int> LinuxProcessesNamed(const std::wstring& fileName, int argumentCount)
{
    const std::string wanted = Lower(Narrow(fileName));
    const std::string prefixEntry = OurPrefixEntry();
    std::vector<int> matches;
    ForEachLinuxProcess([&](int unixPid) {
        const std::vector<std::string> arguments =
            SplitAtNul(ReadWholeFile(L"Z:\\proc\\" + std::to_wstring(unixPid) + L"\\cmdline"));
        if (arguments.empty() || Lower(BaseName(arguments[0])) != wanted)
            return;
        if (argumentCount > 0 && static_cast<int>(arguments.size()) != argumentCount)
            return;
        if (InOurPrefix(unixPid, prefixEntry))
            matches.push_back(unixPid);
    });
    return matches;
}

int LinuxWineServer()
{
    const std::string prefixEntry = OurPrefixEntry();
    int server = 0;
    ForEachLinuxProcess([&](int unixPid) {
        const std::string command =
            ReadWholeFile(L"Z:\\proc\\" + std::to_wstring(unixPid) + L"\\comm");
        if (command.compare(0, 10, "wineserver") == 0 && InOurPrefix(unixPid, prefixEntry))
            server = unixPid;
    });
    return server;
}

double LinuxCpuMs(int unixPid)
{
    const std::string stat = ReadWholeFile(L"Z:\\proc\\" + std::to_wstring(unixPid) + L"\\stat");
    // The command name in brackets may hold blanks: the fields are counted after it.
    const std::string::size_type close = stat.rfind(')');
    if (close == std::string::npos)
        return 0.0;
    std::istringstream fields(stat.substr(close + 1));
    std::string field;
    double utime = 0, stime = 0;
    for (int index = 3; fields >> field; ++index)
    {
        if (index == 14)
            utime = std::atof(field.c_str());
        else if (index == 15)
        {
            stime = std::atof(field.c_str());
            break;
        }
    }
    return (utime + stime) * kMsPerTick;
}

}  // namespace bench
