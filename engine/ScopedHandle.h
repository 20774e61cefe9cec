// Owner of a kernel handle whose "no handle" value is NULL (OpenProcess, OpenProcessToken,
// CreateThread, CreateEvent). Handles from CreateFile, whose failure value is
// INVALID_HANDLE_VALUE, do not belong here.
#pragma once

#include <windows.h>

class CScopedHandle
{
public:
    CScopedHandle() = default;
    explicit CScopedHandle(HANDLE handle) : m_handle(handle) {}
    ~CScopedHandle() { Close(); }
    CScopedHandle(const CScopedHandle&) = delete;
    CScopedHandle& operator=(const CScopedHandle&) = delete;

    HANDLE Get() const { return m_handle; }
    HANDLE* Receive() { Close(); return &m_handle; }
    explicit operator bool() const { return m_handle != NULL; }

    void Close()
    {
        if (m_handle != NULL)
            ::CloseHandle(m_handle);
        m_handle = NULL;
    }

private:
    HANDLE m_handle = NULL;
};
