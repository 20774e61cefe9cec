#include "endofrun/RestoreHandshake.h"

CRestoreHandshake::CRestoreHandshake(const CString& instanceMutexName,
                                     const CString& restoringMutexName)
    : m_strInstanceMutexName(instanceMutexName), m_strRestoringMutexName(restoringMutexName)
{
}

bool CRestoreHandshake::BeginRestore()
{
    m_restoring.Reset(::CreateMutexW(nullptr, FALSE, m_strRestoringMutexName.GetString()));
    if (!m_restoring)
        return false;
    // Two guards of two crashed runs restore one after the other.
    const DWORD result = ::WaitForSingleObject(m_restoring.Get(), INFINITE);
    return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

void CRestoreHandshake::EndRestore()
{
    if (!m_restoring)
        return;
    ::ReleaseMutex(m_restoring.Get());
    m_restoring.Reset();
}

bool CRestoreHandshake::HasNewRunBegun() const
{
    CKernelHandle instance(::OpenMutexW(SYNCHRONIZE, FALSE, m_strInstanceMutexName.GetString()));
    // A mutex we may not open exists all the same.
    return instance || ::GetLastError() == ERROR_ACCESS_DENIED;
}

void CRestoreHandshake::WaitForEarlierRestore(DWORD waitMs) const
{
    CKernelHandle restoring(::OpenMutexW(SYNCHRONIZE, FALSE, m_strRestoringMutexName.GetString()));
    if (!restoring)
        return;   // nobody restores
    const DWORD result = ::WaitForSingleObject(restoring.Get(), waitMs);
    if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED)
        ::ReleaseMutex(restoring.Get());
}

bool CGuardRestoreGate::IsPriorityChangeAllowed(DWORD pid, DWORD /*priorityClass*/) const
{
    return pid != m_dwGuardPid && !m_handshake.HasNewRunBegun();
}
