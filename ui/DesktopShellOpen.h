// Opens an address as the signed-in user. The program runs elevated, and what it starts
// itself runs elevated too; the desktop shell runs as the user who signed in, so the
// address goes to the shell's own ShellExecute, reached through the shell's desktop
// window. Where no desktop shell answers, the program opens the address itself.
#pragma once

#include "framework/Afx.h"

class IDesktopShell
{
public:
    virtual ~IDesktopShell() = default;

    // Hands the address to the desktop shell's ShellExecute ("open"). False when there is
    // no desktop shell to hand it to, or it refused.
    virtual bool OpenThroughDesktopShell(LPCWSTR pszAddress) = 0;
    // ShellExecuteW "open" from this process.
    virtual void OpenFromThisProcess(LPCWSTR pszAddress) = 0;
};

// The real shell, through COM on the calling thread (which must be in an apartment).
class CWin32DesktopShell : public IDesktopShell
{
public:
    bool OpenThroughDesktopShell(LPCWSTR pszAddress) override;
    void OpenFromThisProcess(LPCWSTR pszAddress) override;
};

void OpenAsDesktopUser(IDesktopShell& shell, LPCWSTR pszAddress);
