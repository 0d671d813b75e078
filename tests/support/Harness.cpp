#include "Harness.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

namespace harness {

namespace {

std::wstring ExecutableDirectory()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring directory(path);
    return directory.substr(0, directory.find_last_of(L"\\/") + 1);
}

std::wstring Widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

} // namespace

std::string Hex(unsigned long long value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%llx", value);
    return text;
}

std::string Hex(const void* pointer)
{
    return Hex(static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(pointer)));
}

void ResetSharedSettings()
{
    WindowManagerSetIgnoreTitle({});
    WindowManagerSetIgnoreClass({});
    for (int button = 0; button < 3; ++button) {
        for (int modifier = 0; modifier < 3; ++modifier) {
            for (int hit = 0; hit < 22; ++hit) {
                SetMouseAction(static_cast<MoxButton>(button), modifier, hit, MoxActionNone);
                SetMouseActionDblClk(static_cast<MoxButton>(button), modifier, hit, MoxActionNone);
            }
        }
    }
}

HookSession::HookSession()
{
    WindowManagerStop();
    ResetSharedSettings();
    WindowManagerStart();
}

HookSession::~HookSession()
{
    WindowManagerStop();
}

TargetProcess::TargetProcess(const std::string& hookLibrary)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE childInput = nullptr;
    HANDLE childOutput = nullptr;
    CreatePipe(&childInput, &m_input, &inherit, 0);
    CreatePipe(&m_output, &childOutput, &inherit, 0);
    SetHandleInformation(m_input, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(m_output, HANDLE_FLAG_INHERIT, 0);

    m_job = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(m_job, JobObjectExtendedLimitInformation, &limits, sizeof limits);

    const std::wstring program = ExecutableDirectory() + L"target.exe";
    std::wstring commandLine = L"\"" + program + L"\" " + Widen(hookLibrary);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = childInput;
    startup.hStdOutput = childOutput;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    BOOL started = FALSE;
    for (int attempt = 0; attempt < 5 && !started; ++attempt) {
        // Starting a process occasionally fails with an internal error under load.
        started = CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                 &startup, &m_process);
        if (!started) Sleep(200);
    }
    CloseHandle(childInput);
    CloseHandle(childOutput);
    if (!started) throw std::runtime_error("cannot start target.exe");
    AssignProcessToJobObject(m_job, m_process.hProcess);
    Command("pid");  // the reply says the program is ready
}

TargetProcess::~TargetProcess()
{
    CloseHandle(m_input);
    if (WaitForSingleObject(m_process.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(m_process.hProcess, 1);
    CloseHandle(m_output);
    CloseHandle(m_process.hThread);
    CloseHandle(m_process.hProcess);
    CloseHandle(m_job);
}

std::string TargetProcess::Command(const std::string& line)
{
    const std::string request = line + "\n";
    DWORD written = 0;
    if (!WriteFile(m_input, request.data(), static_cast<DWORD>(request.size()), &written, nullptr)) {
        throw std::runtime_error("target.exe is gone");
    }
    const ULONGLONG deadline = GetTickCount64() + 20000;
    for (;;) {
        const size_t end = m_pending.find('\n');
        if (end != std::string::npos) {
            std::string reply = m_pending.substr(0, end);
            m_pending.erase(0, end + 1);
            return reply;
        }
        DWORD available = 0;
        if (!PeekNamedPipe(m_output, nullptr, 0, nullptr, &available, nullptr)) {
            throw std::runtime_error("target.exe closed its output");
        }
        if (available == 0) {
            if (GetTickCount64() > deadline) throw std::runtime_error("target.exe did not answer: " + line);
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
            Sleep(1);
            continue;
        }
        char buffer[4096];
        DWORD read = 0;
        ReadFile(m_output, buffer, available < sizeof buffer ? available : sizeof buffer, &read, nullptr);
        m_pending.append(buffer, read);
    }
}

HWND TargetProcess::Create(DWORD style, const std::string& title, DWORD exStyle, const std::string& className,
                           HWND parent, const std::string& options)
{
    const std::string reply = Command("create " + Hex(style) + " " + Hex(exStyle) + " " + Hex(parent) + " " +
                                      className + " " + options + " " + title);
    if (reply.rfind("error", 0) == 0) throw std::runtime_error("create failed: " + reply);
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(reply.c_str(), nullptr, 16)));
}

std::vector<MenuItem> TargetProcess::Menu(HWND window)
{
    std::vector<MenuItem> items;
    const std::string reply = Command("menu " + Hex(window));
    if (reply == "nomenu" || reply.empty()) return items;
    std::istringstream in(reply);
    std::string entry;
    while (std::getline(in, entry, '|')) {
        MenuItem item;
        const size_t first = entry.find(':');
        const size_t second = entry.find(':', first + 1);
        item.id = static_cast<unsigned>(std::strtoul(entry.substr(0, first).c_str(), nullptr, 16));
        const std::string flags = entry.substr(first + 1, second - first - 1);
        item.checked = flags.find('C') != std::string::npos;
        item.separator = flags.find('S') != std::string::npos;
        item.text = entry.substr(second + 1);
        items.push_back(item);
    }
    return items;
}

std::vector<UINT> TargetProcess::Messages(HWND window)
{
    std::vector<UINT> messages;
    std::istringstream in(Command("messages " + Hex(window)));
    std::string word;
    while (in >> word) {
        if (word != "none") messages.push_back(static_cast<UINT>(std::strtoul(word.c_str(), nullptr, 16)));
    }
    return messages;
}

void TargetProcess::ClearMessages(HWND window)
{
    Command("clear " + Hex(window));
}

std::vector<MenuItem> FeatureItems(const std::vector<MenuItem>& menu)
{
    std::vector<MenuItem> items;
    for (const MenuItem& item : menu) {
        if (!item.separator && item.id >= 0xE010 && item.id <= 0xE040) items.push_back(item);
    }
    return items;
}

int IndexOf(const std::vector<MenuItem>& menu, unsigned id)
{
    for (size_t i = 0; i < menu.size(); ++i) {
        if (!menu[i].separator && menu[i].id == id) return static_cast<int>(i);
    }
    return -1;
}

std::vector<MenuItem> WithoutFeatureBlock(const std::vector<MenuItem>& menu)
{
    std::vector<MenuItem> rest = menu;
    const int first = IndexOf(rest, 0xE010);
    if (first >= 0) rest.erase(rest.begin() + first, rest.begin() + first + 5);
    return rest;
}

bool SameItems(const std::vector<MenuItem>& a, const std::vector<MenuItem>& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].id != b[i].id || a[i].separator != b[i].separator || a[i].text != b[i].text) return false;
    }
    return true;
}

LRESULT SendFeature(HWND window, const wchar_t* message, WPARAM command)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, RegisterWindowMessageW(message), command, 0, SMTO_ABORTIFHUNG, 10000, &result);
    return static_cast<LRESULT>(result);
}

bool IsTopmost(HWND window)
{
    return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

SectionInfo FindSharedSection(const wchar_t* moduleName)
{
    SectionInfo info;
    const auto base = reinterpret_cast<BYTE*>(GetModuleHandleW(moduleName));
    if (base == nullptr) return info;
    const auto dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    const auto nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
        if (std::string(reinterpret_cast<const char*>(section->Name), strnlen(reinterpret_cast<const char*>(section->Name), 8)) ==
            "HOVELLE") {
            info.data = reinterpret_cast<SharedSectionView*>(base + section->VirtualAddress);
            info.virtualSize = section->Misc.VirtualSize;
            info.characteristics = section->Characteristics;
        }
    }
    return info;
}

} // namespace harness
