#include "Harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <stdexcept>

#include "LorvekRules.h"

namespace harness {

void ResetSharedSettings() {
    WindowManagerSetIgnoreTitle({}), WindowManagerSetIgnoreClass({}), WindowManagerSetRules({});
    WindowManagerSetTransparentOpacity(75);
    for (int cell = 0; cell < 3 * 3 * 22; ++cell) {
        SetMouseAction(static_cast<MoxButton>(cell / 66), cell / 22 % 3, cell % 22, MoxActionNone);
        SetMouseActionDblClk(static_cast<MoxButton>(cell / 66), cell / 22 % 3, cell % 22, MoxActionNone);
    }
}

std::vector<MenuItem> FeatureItems(const std::vector<MenuItem>& menu) {
    std::vector<MenuItem> items;
    for (const MenuItem& i : menu) if (!i.separator && i.id >= 0xE010 && i.id <= 0xE040) items.push_back(i);
    return items;
}

std::string Hex(unsigned long long v) { char s[20]; return std::string(s, std::snprintf(s, sizeof s, "%llx", v)); }

LRESULT SendFeature(HWND window, const wchar_t* message, WPARAM command) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, RegisterWindowMessageW(message), command, 0, SMTO_ABORTIFHUNG, 10000, &result);
    return static_cast<LRESULT>(result);
}

TargetProcess::TargetProcess(const std::string& hookLibrary, const std::wstring& folder) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE input = nullptr, output = nullptr;
    CreatePipe(&input, &m_input, &inherit, 0), CreatePipe(&m_output, &output, &inherit, 0);
    SetHandleInformation(m_input, HANDLE_FLAG_INHERIT, 0), SetHandleInformation(m_output, HANDLE_FLAG_INHERIT, 0);
    struct Ends { HANDLE a, b; ~Ends() { CloseHandle(a), CloseHandle(b); } } childEnds = {input, output};
    const std::wstring program = L"\"" + ExecutableDirectory() + folder + L"target.exe\" ";
    m_process.reset(new ChildProcess(program + Widen(hookLibrary), input, output));
    Command("pid");  // the answer says the program is ready
}

TargetProcess::~TargetProcess() {
    CloseHandle(m_input), m_process->WaitForExit(5000), CloseHandle(m_output);  // the program ends with its input
}

std::string TargetProcess::Command(const std::string& line) {
    std::string reply;
    DWORD count = static_cast<DWORD>(line.size() + 1);
    if (!WriteFile(m_input, (line + "\n").c_str(), count, &count, nullptr)) throw std::runtime_error("target.exe gone");
    for (const ULONGLONG end = GetTickCount64() + 20000;;) {
        char c = 0;
        if (!PeekNamedPipe(m_output, nullptr, 0, nullptr, &count, nullptr) || GetTickCount64() > end) {
            throw std::runtime_error("target.exe did not answer " + line);
        }
        if (count == 0) PumpFor(1);
        else if (ReadFile(m_output, &c, 1, &count, nullptr) && c == '\n') return reply;
        else reply += c;
    }
}

HWND TargetProcess::Create(DWORD style, const std::string& title, DWORD exStyle, const std::string& className,
                           HWND parent) {
    const std::string reply =
        Command("create " + Hex(style) + " " + Hex(exStyle) + " " + Hex(parent) + " " + className + " " + title);
    if (reply.rfind("error", 0) == 0) throw std::runtime_error("create failed: " + reply);
    return reinterpret_cast<HWND>(std::strtoull(reply.c_str(), nullptr, 16));
}

std::vector<MenuItem> TargetProcess::Menu(HWND window) {
    std::vector<MenuItem> items;
    std::istringstream in(Command("menu " + Hex(window)));
    for (std::string entry; std::getline(in, entry, '|');) {  // ID:FLAGS:TEXT
        const size_t first = entry.find(':'), second = entry.find(':', first + 1);
        const std::string flags = entry.substr(first + 1, second - first - 1);
        items.push_back({static_cast<unsigned>(std::strtoul(entry.c_str(), nullptr, 16)), flags.find('C') != flags.npos,
                         flags.find('S') != flags.npos, entry.substr(second + 1)});
    }
    return items;
}

std::vector<UINT> TargetProcess::Messages(HWND window) {
    std::vector<UINT> messages;
    std::istringstream in(Command("messages " + Hex(window)));
    for (std::string word; in >> word;) messages.push_back(static_cast<UINT>(std::strtoul(word.c_str(), nullptr, 16)));
    return messages;
}

void Mouse(POINT at, DWORD flags) {
    INPUT input = {INPUT_MOUSE, {}};
    input.mi.dwFlags = flags;
    SetCursorPos(at.x, at.y);
    if (flags != 0) SendInput(1, &input, sizeof input);
    PumpFor(80);
}

void Keys(const std::vector<WORD>& keys, bool down) {
    for (WORD key : keys) {
        INPUT input = {INPUT_KEYBOARD, {}};
        input.ki.wVk = key, input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
        SendInput(1, &input, sizeof input);
    }
    PumpFor(100);
}

POINT HitPoint(HWND window, LRESULT code, POINT start, int dx, int dy, int steps) {
    for (POINT p = start; steps-- > 0; p.x += dx, p.y += dy) {
        DWORD_PTR hit = HTNOWHERE;
        SendMessageTimeoutW(window, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y), SMTO_ABORTIFHUNG, 5000, &hit);
        if (static_cast<LRESULT>(hit) == code) return p;
    }
    return POINT{-1, -1};
}

void ExpectSequence(const std::vector<UINT>& actual, const std::vector<UINT>& expected, const char* what) {
    std::vector<UINT> seen;
    for (UINT message : actual) {
        const bool named = std::find(expected.begin(), expected.end(), message) != expected.end();
        if (named && (seen.empty() || seen.back() != message)) seen.push_back(message);
    }
    EXPECT_EQ(seen, expected) << what;
}

} // namespace harness
