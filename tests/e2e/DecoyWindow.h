// A plain visible top-level window of the driver: "another application" that a test puts
// in front, so it can see the program's window come to the front again.
#pragma once

#include <windows.h>

namespace e2e {

class DecoyWindow
{
public:
    DecoyWindow();
    ~DecoyWindow();
    DecoyWindow(const DecoyWindow&) = delete;
    DecoyWindow& operator=(const DecoyWindow&) = delete;

    HWND Handle() const { return m_window; }
    // Activates the decoy and waits until the system reports it as the foreground window.
    bool BringToFront();

private:
    HWND m_window = nullptr;
};

}  // namespace e2e
