#include "engine/PriorityControl.h"

#include "engine/FocusPids.h"
#include "engine/PriorityGate.h"
#include "engine/ProcessNameText.h"
#include "engine/Utf16Bridge.h"

BOOL CPriorityControl::SetProcessPriorityMode(DWORD pid, int mode)
{
    // The one check every change passes, so that a cycle already running on the window
    // thread while another thread's crash restore runs cannot raise anything afterwards.
    const DWORD priorityClass = PriorityClassOfMode(mode);
    if (!IsPriorityChangeAllowed(pid, priorityClass))
        return FALSE;
    return m_system.SetProcessPriority(pid, priorityClass);
}

std::u16string CPriorityControl::ReadImageStem(DWORD pid, bool* opened)
{
    wchar_t imageName[IMAGE_NAME_CAPACITY] = {};
    *opened = m_system.GetProcessImageName(pid, imageName, IMAGE_NAME_CAPACITY) != FALSE;
    imageName[IMAGE_NAME_CAPACITY - 1] = L'\0';
    return GetImageStem(ToU16(imageName));
}

int CPriorityControl::ApplyPriorityToNamesakes(DWORD pid, int mode)
{
    const bool boosting = PriorityClassOfMode(mode) == REALTIME_PRIORITY_CLASS;
    if (boosting)
        AppendFocusPid(pid);

    bool opened = false;
    const std::u16string targetStem = ReadImageStem(pid, &opened);
    if (!opened)
        return 1;
    if (targetStem.empty())
        return 0;

    DWORD pids[PROCESS_ID_BUFFER_LENGTH / sizeof(DWORD)] = {};
    DWORD bytesReturned = 0;
    if (!m_system.EnumProcessIds(pids, sizeof(pids), &bytesReturned))
        return 1;

    const DWORD count = bytesReturned / sizeof(DWORD);
    for (DWORD i = 0; i < count && i < _countof(pids); ++i)
    {
        const DWORD candidate = pids[i];
        if (candidate == 0)
            continue;
        bool candidateOpened = false;
        const std::u16string candidateStem = ReadImageStem(candidate, &candidateOpened);
        if (!candidateOpened || !IsNamesakeStem(candidateStem, targetStem))
            continue;
        SetProcessPriorityMode(candidate, mode);
        if (boosting)
            AppendFocusPid(candidate);
    }
    return 0;
}

void CPriorityControl::RestoreAllPriorities()
{
    DWORD pids[PROCESS_ID_BUFFER_LENGTH / sizeof(DWORD)] = {};
    RestoreAllPriorities(pids, sizeof(pids));
}

void CPriorityControl::RestoreAllPriorities(DWORD* pidBuffer, DWORD bufferLength)
{
    MarkPriorityRestoreBegun();
    for (int pass = 0; pass < RESTORE_PASS_LIMIT; ++pass)
    {
        if (RestorePass(pidBuffer, bufferLength) == 0)
            return;
    }
}

int CPriorityControl::RestorePass(DWORD* pidBuffer, DWORD bufferLength)
{
    DWORD bytesReturned = 0;
    if (!m_system.EnumProcessIds(pidBuffer, bufferLength, &bytesReturned))
        return 0;

    const DWORD capacity = bufferLength / sizeof(DWORD);
    const DWORD count = bytesReturned / sizeof(DWORD);
    int restored = 0;
    for (DWORD i = 0; i < count && i < capacity; ++i)
    {
        const DWORD pid = pidBuffer[i];
        const DWORD before = m_system.GetProcessPriority(pid);
        if (before == NORMAL_PRIORITY_CLASS)
            continue;
        // A class that cannot be read is set all the same, but does not call for another
        // pass: the next one could not read it either.
        if (SetProcessPriorityMode(pid, PRIORITY_NORMAL) && before != 0)
            ++restored;
    }
    return restored;
}
