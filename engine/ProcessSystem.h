// The boost engine's one door to the system. The engine decides whom to boost; this
// interface does it. CWin32ProcessSystem is the real one; the unit tests drive the
// engine through a fake.
#pragma once

#include "framework/Afx.h"

// Sizes of the fixed buffers the engine reads into.
const DWORD PROCESS_ID_BUFFER_LENGTH = 20000;   // bytes: at most 5000 ids
const DWORD IMAGE_NAME_CAPACITY = 3000;         // characters

// What a class change made on a process the engine knew by its creation time came to.
enum class PriorityChange
{
    Made,
    Failed,         // the process cannot be opened (ended, protected) or changed
    OtherProcess,   // the id now names a newer process than the one the engine knew
};

// A process kept open between readings of its processor time; 0 is none.
typedef DWORD TIMES_READER;

class IProcessSystem
{
public:
    virtual ~IProcessSystem() = default;

    // The ids of the running processes, as EnumProcesses gives them: bufferLength and
    // *bytesReturned are in bytes. FALSE when the list cannot be read.
    virtual BOOL EnumProcessIds(DWORD* pids, DWORD bufferLength, DWORD* bytesReturned) = 0;

    // Gives the process the priority class and leaves dynamic priority boosting on.
    // Returns SetPriorityClass's result: 0 when the process cannot be opened or changed.
    virtual BOOL SetProcessPriority(DWORD pid, DWORD priorityClass) = 0;

    // The process's priority class as GetPriorityClass reads it; 0 when the process cannot
    // be opened or asked.
    virtual DWORD GetProcessPriority(DWORD pid) = 0;

    // What the engine learns of a process when it first sees it, from one open: its image
    // file name in device-path form, into a buffer of `capacity` characters that the caller
    // has zeroed, and its creation time (FILETIME units), which tells it from a later
    // process given the same id. FALSE when the process cannot be opened.
    virtual BOOL ReadProcessFacts(DWORD pid, wchar_t* imageName, DWORD capacity,
                                  ULONGLONG* creationTime) = 0;

    // SetProcessPriority for the process created at `creationTime` only: when the id has
    // been given to a newer process meanwhile, nothing is changed.
    virtual PriorityChange SetProcessPriorityIfSame(DWORD pid, ULONGLONG creationTime,
                                                    DWORD priorityClass) = 0;

    virtual HWND GetForegroundWindow() = 0;
    virtual DWORD GetWindowProcessId(HWND hWnd) = 0;
    virtual void EnumChildWindows(HWND hParent, WNDENUMPROC enumProc, LPARAM context) = 0;
    virtual DWORD GetCurrentProcessId() = 0;

    // Fills g_strProcessName, g_strProcessUser and g_strProcessDomain for the process;
    // what cannot be found is left as it was (callers clear the strings first).
    virtual void LookupProcessIdentity(DWORD pid) = 0;

    // The product name from the version record of the process's executable: read from
    // its full image path, and only when that cannot be had from imageName as looked up
    // (a base name or a device path); empty when there is none.
    virtual CString GetProductName(DWORD pid, const CString& imageName) = 0;

    // Opens the process to read its processor time from now on, until CloseTimesReader.
    // With *creationTime not 0 only the process created then is opened; with 0, whichever
    // process has the id now, and *creationTime receives its creation time. 0 when it
    // cannot be opened or the id names another process. Window thread only.
    virtual TIMES_READER OpenTimesReader(DWORD pid, ULONGLONG* creationTime) = 0;

    // The processor time (kernel and user, FILETIME units) the process has used so far.
    // FALSE once it has ended or can no longer be read.
    virtual BOOL ReadProcessorTime(TIMES_READER reader, ULONGLONG* processorTime) = 0;

    virtual void CloseTimesReader(TIMES_READER reader) = 0;

    // The machine's logical processors.
    virtual DWORD GetProcessorCount() = 0;

    // Milliseconds since the system started, as GetTickCount counts them: it wraps after
    // 49.7 days, so only differences mean anything.
    virtual DWORD GetTickCount() = 0;
};
