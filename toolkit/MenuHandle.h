// CMenuHandle: a menu handle, destroyed with the holder when owned.
#pragma once

#include <windows.h>

class CMenuHandle {
public:
    CMenuHandle() : m_menu(nullptr), m_owned(false) {}
    CMenuHandle(HMENU menu, bool owned) : m_menu(menu), m_owned(owned) {}
    CMenuHandle(const CMenuHandle&) = delete;
    CMenuHandle& operator=(const CMenuHandle&) = delete;
    CMenuHandle(CMenuHandle&& other) noexcept : m_menu(other.m_menu), m_owned(other.m_owned)
    {
        other.m_menu = nullptr;
        other.m_owned = false;
    }
    ~CMenuHandle();

    HMENU Handle() const { return m_menu; }
    bool Owned() const { return m_owned; }

    // DestroyMenu; throws "Windows Error : " and keeps the handle on failure.
    void Destroy();
    // The popup at `position`, not owned; a null result is not tested.
    CMenuHandle GetSubMenu(int position) const;

private:
    HMENU m_menu;
    bool m_owned;
};
