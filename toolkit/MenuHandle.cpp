#include "MenuHandle.h"

#include "WindowsError.h"

CMenuHandle::~CMenuHandle()
{
    if (!m_owned) return;
    try {
        Destroy();
    } catch (const CWindowsError&) {
        // A destructor cannot report; the handle is lost with the holder.
    }
}

void CMenuHandle::Destroy()
{
    if (m_menu == nullptr) return;
    if (!DestroyMenu(m_menu)) throw CWindowsError(GetLastError(), L"Windows Error : ");
    m_menu = nullptr;
    m_owned = false;
}

CMenuHandle CMenuHandle::GetSubMenu(int position) const
{
    return CMenuHandle(::GetSubMenu(m_menu, position), false);
}
