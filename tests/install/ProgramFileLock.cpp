#include "ProgramFileLock.h"

#include "Harness.h"

namespace install {

const char* FileLockKindName(FileLockKind kind)
{
    switch (kind)
    {
    case FileLockKind::RunningCopy: return "RunningCopy";
    case FileLockKind::OpenWithoutDeleteSharing: return "OpenWithoutDeleteSharing";
    }
    return "unknown";
}

testing::AssertionResult ProgramFileLock::Lock(const std::wstring& path, FileLockKind kind)
{
    testing::AssertionResult released = Release();
    if (!released)
        return released;
    if (kind == FileLockKind::RunningCopy)
    {
        // Suspended, it maps its image and never runs a line: no window, no tray icon, no
        // end guard, nothing for the uninstaller to ask to exit. Its current folder is
        // elsewhere, so the file is all it holds of the installation.
        wchar_t elsewhere[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, elsewhere);
        DWORD error = 0;
        if (!m_runningCopy.Start(path, L"", &error, CREATE_SUSPENDED, elsewhere))
            return testing::AssertionFailure()
                   << "cannot start " << e2e::Narrow(path) << " suspended: error " << error;
        return testing::AssertionSuccess();
    }
    m_openFile.Reset(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
    if (!m_openFile)
        return testing::AssertionFailure()
               << "cannot open " << e2e::Narrow(path) << ": error " << GetLastError();
    return testing::AssertionSuccess();
}

testing::AssertionResult ProgramFileLock::Release()
{
    m_openFile.Reset();
    if (!m_runningCopy.IsStarted())
        return testing::AssertionSuccess();
    // Once its process has ended, Wine has let go of its image too.
    TerminateProcess(m_runningCopy.Handle(), 1);
    const bool ended = m_runningCopy.WaitForExit(e2e::kDeadline);
    m_runningCopy.Terminate();
    if (!ended)
        return testing::AssertionFailure() << "the copy holding the program did not end";
    return testing::AssertionSuccess();
}

}  // namespace install
