// A kernel object handle (process, token, file) closed at the end of its
// owner's scope. Null and INVALID_HANDLE_VALUE both mean "none", since the
// functions that open such objects answer one or the other on failure.
#pragma once

#include <windows.h>

class CKernelHandle {
public:
    explicit CKernelHandle(HANDLE handle) : m_handle(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    CKernelHandle(const CKernelHandle&) = delete;
    CKernelHandle& operator=(const CKernelHandle&) = delete;
    ~CKernelHandle()
    {
        if (m_handle != nullptr) CloseHandle(m_handle);
    }
    HANDLE Handle() const { return m_handle; }
    bool IsOpen() const { return m_handle != nullptr; }

private:
    HANDLE m_handle;
};
