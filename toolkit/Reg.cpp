#include "Reg.h"

#include <cstring>

#include "RegistryFormat.h"
#include "WindowsError.h"

namespace {

void Check(LONG status, const wchar_t* operation)
{
    if (status != ERROR_SUCCESS) throw CWindowsError(static_cast<DWORD>(status), operation);
}

struct RootKey {
    const wchar_t* name;
    HKEY key;
};

const RootKey RootKeys[] = {
    {L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},     {L"HKCR", HKEY_CLASSES_ROOT},
    {L"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG}, {L"HKCC", HKEY_CURRENT_CONFIG},
    {L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},     {L"HKCU", HKEY_CURRENT_USER},
    {L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},   {L"HKLM", HKEY_LOCAL_MACHINE},
    {L"HKEY_USERS", HKEY_USERS},                   {L"HKU", HKEY_USERS},
};

HKEY RootKeyNamed(const wchar_t* name)
{
    for (const RootKey& root : RootKeys) {
        if (std::wcscmp(root.name, name) == 0) return root.key;
    }
    return nullptr;
}

} // namespace

CReg::~CReg()
{
    try {
        Close();
    } catch (...) {
        // Nothing can be reported from here.
    }
}

void CReg::Open(HKEY parent, const wchar_t* subKey)
{
    Close();
    HKEY key = nullptr;
    Check(RegOpenKeyW(parent, subKey, &key), L"CReg::Open: ");
    m_key = key;
}

void CReg::CreateKey(const wchar_t* subKey, CReg* target)
{
    HKEY key = nullptr;
    Check(RegCreateKeyW(m_key, subKey, &key), L"CReg::CreateKey: ");
    if (target == nullptr) {
        RegCloseKey(key);
        return;
    }
    try {
        target->Close();
    } catch (...) {
        RegCloseKey(key);
        throw;
    }
    target->m_key = key;
}

bool CReg::QueryValue(const wchar_t* name, CRegValue& value) const
{
    value.size = QueryCapacity;
    const LONG status = RegQueryValueExW(m_key, name, nullptr, &value.type, value.data, &value.size);
    if (status == ERROR_FILE_NOT_FOUND) return false;
    Check(status, L"CReg::QueryValue: ");
    return true;
}

void CReg::SetValue(const wchar_t* name, const CRegValue& value) const
{
    Check(RegSetValueExW(m_key, name, 0, value.type, value.data, value.size), L"CReg::SetValue: ");
}

void CReg::SetNumber(const wchar_t* name, DWORD number) const
{
    Check(RegSetValueExW(m_key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number),
          L"CReg::SetValue: ");
}

void CReg::SetString(const wchar_t* name, const std::wstring& text) const
{
    const DWORD size = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    if (size > sizeof(CRegValue::data)) throw CWindowsError(ERROR_INSUFFICIENT_BUFFER, L"CReg::SetValue: ");
    Check(RegSetValueExW(m_key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), size),
          L"CReg::SetValue: ");
}

void CReg::Close()
{
    if (m_key == nullptr) return;
    Check(RegCloseKey(m_key), L"CReg::Close: ");
    m_key = nullptr;
}

void CReg::SetStringList(const wchar_t* name, const std::vector<std::wstring>& strings) const
{
    CRegValue value;
    wchar_t units[sizeof value.data / sizeof(wchar_t)];
    const size_t count = EncodeMultiString(strings, units, sizeof value.data / sizeof(wchar_t));
    if (count == 0) throw CWindowsError(ERROR_INSUFFICIENT_BUFFER, L"CReg::SetValue: ");
    value.type = REG_MULTI_SZ;
    value.size = static_cast<DWORD>(count * sizeof(wchar_t));
    std::memcpy(value.data, units, value.size);
    SetValue(name, value);
}

std::vector<std::wstring> CReg::QueryStringList(const wchar_t* name, const std::vector<std::wstring>& defaults) const
{
    CRegValue value;
    if (!QueryValue(name, value)) return defaults;
    wchar_t units[QueryCapacity / sizeof(wchar_t)];
    const size_t count = value.size / sizeof(wchar_t);
    std::memcpy(units, value.data, count * sizeof(wchar_t));
    return SplitMultiString(units, count);
}

void ReadRegistryString(const wchar_t* path, wchar_t* output, size_t capacity)
{
    if (output == nullptr || capacity == 0) return;
    for (size_t i = 0; i < capacity; ++i) output[i] = 0;
    wchar_t working[1024];
    size_t length = 0;
    while (path != nullptr && length < 1023 && path[length] != 0) {
        working[length] = path[length];
        ++length;
    }
    working[length] = 0;
    const RegistryPathParts<wchar_t> parts = SplitRegistryPath(working);
    try {
        CReg key;
        key.Open(RootKeyNamed(parts.root), parts.subKey);
        CRegValue value;
        if (!key.QueryValue(parts.valueName, value) || value.type != REG_SZ) return;
        const size_t units = value.size / sizeof(wchar_t);
        for (size_t copied = 0; copied + 1 < capacity && copied < units; ++copied) {
            wchar_t unit;
            std::memcpy(&unit, value.data + copied * sizeof(wchar_t), sizeof unit);
            if (unit == 0) break;
            output[copied] = unit;
        }
    } catch (...) {
        output[0] = 0;
    }
}
