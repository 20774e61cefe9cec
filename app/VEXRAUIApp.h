// The application object: lets only one instance per user run, makes sure it runs as an
// administrator, then runs the main dialog for the whole life of the process.
#pragma once

#include "framework/Afx.h"
#include "framework/Handle.h"

// Prefix of the per-user instance mutex; the user name follows it directly.
extern CString g_strInstanceMutexName;
// GDI+ stays started for the life of the process; this is its start-up token.
extern ULONG_PTR g_gdiplusToken;

class CVEXRAUIApp : public CWinApp
{
public:
    CVEXRAUIApp();

    BOOL InitInstance() override;

    // Creates the instance mutex (kept in m_instanceMutex) and tells whether another
    // instance of this user already holds it.
    bool IsAnotherInstanceRunning();
    // Brings the top-level window with exactly this caption back to the front, also when
    // it is hidden in the notification area.
    void ShowRunningInstance(LPCWSTR pszTitle);
    BOOL IsUserAdministrator();

    // Owned by the main thread from start-up until the process ends, or given up for the
    // elevated copy.
    CKernelHandle m_instanceMutex;
};
