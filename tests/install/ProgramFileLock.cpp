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
    Release();
    if (kind == FileLockKind::RunningCopy)
    {
        // Suspended, it maps its image and never runs a line: no window, no tray icon, no
        // end guard, nothing for the uninstaller to ask to exit.
        DWORD error = 0;
        if (!m_runningCopy.Start(path, L"", &error, CREATE_SUSPENDED))
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

void ProgramFileLock::Release()
{
    // Terminate waits for the process's end, after which Wine has unmapped its image.
    m_runningCopy.Terminate();
    m_openFile.Reset();
}

}  // namespace install
