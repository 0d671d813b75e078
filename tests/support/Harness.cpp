#include "Harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <stdexcept>

namespace harness {

void ResetSharedSettings()
{
    WindowManagerSetIgnoreTitle({});
    WindowManagerSetIgnoreClass({});
    for (int cell = 0; cell < 3 * 3 * 22; ++cell) {
        SetMouseAction(static_cast<MoxButton>(cell / 66), cell / 22 % 3, cell % 22, MoxActionNone);
        SetMouseActionDblClk(static_cast<MoxButton>(cell / 66), cell / 22 % 3, cell % 22, MoxActionNone);
    }
}

HookSession::HookSession()
{
    WindowManagerStop();
    ResetSharedSettings();
    WindowManagerStart();
}

HookSession::~HookSession() { WindowManagerStop(); }

std::vector<MenuItem> FeatureItems(const std::vector<MenuItem>& menu)
{
    std::vector<MenuItem> items;
    for (const MenuItem& item : menu) {
        if (!item.separator && item.id >= 0xE010 && item.id <= 0xE040) items.push_back(item);
    }
    return items;
}

std::string Hex(unsigned long long value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%llx", value);
    return text;
}

std::string Hex(const void* pointer) { return Hex(reinterpret_cast<uintptr_t>(pointer)); }

LRESULT SendFeature(HWND window, const wchar_t* message, WPARAM command)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, RegisterWindowMessageW(message), command, 0, SMTO_ABORTIFHUNG, 10000, &result);
    return static_cast<LRESULT>(result);
}

TargetProcess::TargetProcess(const std::string& hookLibrary)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE childInput = nullptr, childOutput = nullptr;
    CreatePipe(&childInput, &m_input, &inherit, 0);
    CreatePipe(&m_output, &childOutput, &inherit, 0);
    SetHandleInformation(m_input, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(m_output, HANDLE_FLAG_INHERIT, 0);
    const std::wstring program = ExecutableDirectory() + L"target.exe";
    try {
        m_process = new ChildProcess(L"\"" + program + L"\" " + Widen(hookLibrary), childInput, childOutput);
    } catch (...) {
        CloseHandle(childInput);
        CloseHandle(childOutput);
        throw;
    }
    CloseHandle(childInput);
    CloseHandle(childOutput);
    Command("pid");  // the reply says the program is ready
}

TargetProcess::~TargetProcess()
{
    CloseHandle(m_input);  // the program ends when its input does
    m_process->WaitForExit(5000);
    delete m_process;
    CloseHandle(m_output);
}

std::string TargetProcess::Command(const std::string& line)
{
    const std::string request = line + "\n";
    DWORD count = 0;
    if (!WriteFile(m_input, request.data(), static_cast<DWORD>(request.size()), &count, nullptr)) {
        throw std::runtime_error("target.exe is gone");
    }
    const ULONGLONG deadline = GetTickCount64() + 20000;
    for (size_t end; (end = m_pending.find('\n')) == std::string::npos;) {
        if (!PeekNamedPipe(m_output, nullptr, 0, nullptr, &count, nullptr)) throw std::runtime_error("target.exe died");
        if (GetTickCount64() > deadline) throw std::runtime_error("target.exe did not answer " + line);
        char buffer[4096];
        if (count == 0) PumpFor(1);
        if (count > 0 && ReadFile(m_output, buffer, sizeof buffer < count ? sizeof buffer : count, &count, nullptr)) {
            m_pending.append(buffer, count);
        }
    }
    const size_t end = m_pending.find('\n');
    const std::string reply = m_pending.substr(0, end);
    m_pending.erase(0, end + 1);
    return reply;
}

HWND TargetProcess::Create(DWORD style, const std::string& title, DWORD exStyle, const std::string& className,
                           HWND parent)
{
    const std::string reply = Command("create " + Hex(style) + " " + Hex(exStyle) + " " + Hex(parent) + " " +
                                      className + " " + title);
    if (reply.rfind("error", 0) == 0) throw std::runtime_error("create failed: " + reply);
    return reinterpret_cast<HWND>(std::strtoull(reply.c_str(), nullptr, 16));
}

std::vector<MenuItem> TargetProcess::Menu(HWND window)
{
    std::vector<MenuItem> items;
    std::istringstream in(Command("menu " + Hex(window)));
    for (std::string entry; std::getline(in, entry, '|');) {  // ID:FLAGS:TEXT
        const size_t first = entry.find(':'), second = entry.find(':', first + 1);
        const std::string flags = entry.substr(first + 1, second - first - 1);
        items.push_back({static_cast<unsigned>(std::strtoul(entry.c_str(), nullptr, 16)),
                         flags.find('C') != std::string::npos, flags.find('S') != std::string::npos,
                         entry.substr(second + 1)});
    }
    return items;
}

std::vector<UINT> TargetProcess::Messages(HWND window)
{
    std::vector<UINT> messages;
    std::istringstream in(Command("messages " + Hex(window)));
    for (std::string word; in >> word;) messages.push_back(static_cast<UINT>(std::strtoul(word.c_str(), nullptr, 16)));
    return messages;
}

void MouseTo(POINT point)
{
    SetCursorPos(point.x, point.y);
    PumpFor(60);
}

void Mouse(DWORD flags)
{
    std::vector<INPUT> events;
    for (DWORD bit = 1; bit != 0 && bit <= flags; bit <<= 1) {
        if (flags & bit) events.push_back(INPUT{INPUT_MOUSE, {}});
        if (flags & bit) events.back().mi.dwFlags = bit;
    }
    SendInput(static_cast<UINT>(events.size()), events.data(), sizeof(INPUT));
    PumpFor(100);
}

void Keys(const std::vector<WORD>& keys, bool down, TargetProcess* reader)
{
    // Wine reads the keyboard from X again when the focus or the pointer moves
    // into a window, letting go of keys pressed through SendInput: press again
    // until the target reads them all held.
    for (int attempt = 0; attempt < 5; ++attempt) {
        bool held = true;
        for (WORD key : keys) {
            if (reader != nullptr && down && reader->Command("keystate " + Hex(key)) == "1") continue;
            INPUT input = {INPUT_KEYBOARD, {}};
            input.ki.wVk = key;
            input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
            SendInput(1, &input, sizeof input);
            held = false;
        }
        PumpFor(60);
        if (held || reader == nullptr) return;
    }
}

POINT HitPoint(HWND window, LRESULT code, POINT start, int dx, int dy, int steps)
{
    for (POINT p = start; steps-- > 0; p.x += dx, p.y += dy) {
        DWORD_PTR hit = HTNOWHERE;
        SendMessageTimeoutW(window, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y), SMTO_ABORTIFHUNG, 5000, &hit);
        if (static_cast<LRESULT>(hit) == code) return p;
    }
    return POINT{-1, -1};
}

RECT WindowRect(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

void ExpectSequence(const std::vector<UINT>& actual, const std::vector<UINT>& expected, const char* what)
{
    std::vector<UINT> seen;
    for (UINT message : actual) {
        const bool named = std::find(expected.begin(), expected.end(), message) != expected.end();
        if (named && (seen.empty() || seen.back() != message)) seen.push_back(message);
    }
    EXPECT_EQ(seen, expected) << what;
}

} // namespace harness
