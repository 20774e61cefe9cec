// Keeps an installed program's file from being deleted, as a copy running for another
// user of the computer does: the uninstaller ends this user's copy through its window, but
// that one has no window here and goes on holding its file.
//
// Measured under Wine 8.0 (64-bit prefix), as Windows behaves: DeleteFileW fails with
// ERROR_ACCESS_DENIED while a process runs from the file (also one created suspended, which
// never shows a window), and with ERROR_SHARING_VIOLATION while a handle opened without
// FILE_SHARE_DELETE is open. A handle opened with FILE_SHARE_DELETE lets DeleteFileW
// succeed, but the file stays listed until that handle is closed.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "ChildProcess.h"
#include "framework/Handle.h"

namespace install {

enum class FileLockKind
{
    RunningCopy,               // a process started from the file, suspended
    OpenWithoutDeleteSharing,  // a handle of this process, FILE_SHARE_READ only
};

const char* FileLockKindName(FileLockKind kind);
// How GoogleTest names a test's lock in its messages.
inline void PrintTo(FileLockKind kind, std::ostream* out)
{
    *out << FileLockKindName(kind);
}

class ProgramFileLock
{
public:
    ProgramFileLock() = default;
    ProgramFileLock(const ProgramFileLock&) = delete;
    ProgramFileLock& operator=(const ProgramFileLock&) = delete;

    // Locks `path`; fails when it cannot. Released when the object goes, if not before.
    testing::AssertionResult Lock(const std::wstring& path, FileLockKind kind);
    // Lets the file go: closes the handle, or ends the running copy and waits for its end
    // (a busy machine can take longer than ChildProcess's own wait). Fails when it did not
    // end.
    testing::AssertionResult Release();

private:
    e2e::ChildProcess m_runningCopy;
    CFileHandle m_openFile;
};

}  // namespace install
