// The handler chain every message of a managed window passes before the
// window's own procedure. A handler returns true when it claims the message,
// and then it has set the result.
#pragma once

#include <windows.h>

using MessageHandler = bool (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

// The properties that a rolled-up window and a window in the notification
// area carry, and only they: the state itself, readable from any process.
extern const wchar_t RollupProperty[];  // "MOX_ROLLUP"
extern const wchar_t TrayProperty[];    // "MOX_TRAY"

// The nine members in chain order, ended by a null entry.
extern const MessageHandler MessageHandlers[];

bool TitleButtonsWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
bool RollupWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
bool TrayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
bool OnTopWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
bool SystemMenuWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
bool MoveSizeNotifyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
bool MouseActionWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
// "Transparent" on at an alpha of its own (a rule's opacity).
void MakeTransparent(HWND window, BYTE alpha);
bool TransparentWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
bool SnapWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
