// CReg: one open registry key whose failing calls throw CWindowsError with
// the registry's status as the code. Values travel in a CRegValue holder.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct CRegValue {
    DWORD type;
    BYTE data[2048];
    DWORD size;
};

class CReg {
public:
    // Bytes the registry is offered on a read, less than the holder's data area.
    static constexpr DWORD QueryCapacity = 1024;

    CReg() : m_key(nullptr) {}
    ~CReg();
    CReg(const CReg&) = delete;
    CReg& operator=(const CReg&) = delete;

    HKEY Handle() const { return m_key; }

    void Open(HKEY parent, const wchar_t* subKey);
    // Creates or opens the sub-key; `target`, when given, takes the new key.
    void CreateKey(const wchar_t* subKey, CReg* target);
    // False when the value does not exist.
    bool QueryValue(const wchar_t* name, CRegValue& value) const;
    void SetValue(const wchar_t* name, const CRegValue& value) const;
    // A REG_DWORD value, and a REG_SZ value (one too long for the holder is
    // refused as SetStringList refuses a list).
    void SetNumber(const wchar_t* name, DWORD number) const;
    void SetString(const wchar_t* name, const std::wstring& text) const;
    void Close();

    // Writes the list as REG_MULTI_SZ. A list that does not fit the holder is
    // refused with "CReg::SetValue: " and ERROR_INSUFFICIENT_BUFFER; nothing
    // is written then.
    void SetStringList(const wchar_t* name, const std::vector<std::wstring>& strings) const;
    // The stored strings, or `defaults` when the value does not exist.
    std::vector<std::wstring> QueryStringList(const wchar_t* name, const std::vector<std::wstring>& defaults) const;

private:
    HKEY m_key;
};

// Reads the REG_SZ value named by a full path ("HKCU\Software\Example\Target")
// into `output`, at most `capacity` characters with the last always zero and
// the rest of the buffer cleared. Any failure, a missing value or another
// type gives the empty string. Never throws.
void ReadRegistryString(const wchar_t* path, wchar_t* output, size_t capacity);
