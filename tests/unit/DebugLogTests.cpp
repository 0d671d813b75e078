// The debug log: line formatting and the cut, the destination forms, the
// shipped file destination, the debugger output (captured by running a copy
// of this program under a small debugger loop), and concurrent writers.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdarg>
#include <cstdlib>
#include <string>
#include <vector>

#include "DebugLog.h"

namespace {

// Child mode: "unit_tests.exe --log-child COUNT TAG DESTINATION" writes COUNT
// lines "TAG-i-" plus 200 copies of TAG's first letter, then ends.
void Write(const wchar_t* destination, const wchar_t* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    WriteLogLine(destination, format, arguments);
    va_end(arguments);
}

bool RunLogChildIfAsked()
{
    if (__argc != 5 || std::string(__argv[1]) != "--log-child") return false;
    const int count = std::atoi(__argv[2]);
    const std::string tagText = __argv[3];
    const std::string destinationText = __argv[4];
    const std::wstring tag(tagText.begin(), tagText.end());
    const std::wstring destination(destinationText.begin(), destinationText.end());
    const std::wstring filler(200, tag[0]);
    for (int i = 0; i < count; ++i) Write(destination.c_str(), L"%s-%d-%s", tag.c_str(), i, filler.c_str());
    ExitProcess(0);
}
const bool childRan = RunLogChildIfAsked();

std::wstring ProgramPath()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

std::wstring TempPath(const wchar_t* name)
{
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

void CreateEmpty(const std::wstring& path, const std::vector<wchar_t>& content = {})
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    if (!content.empty()) WriteFile(file, content.data(), static_cast<DWORD>(content.size() * 2), &written, nullptr);
    CloseHandle(file);
}

std::vector<wchar_t> ReadUnits(const std::wstring& path)
{
    std::vector<wchar_t> units;
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return units;
    const DWORD size = GetFileSize(file, nullptr);
    std::vector<char> bytes(size);
    DWORD read = 0;
    if (size > 0) ReadFile(file, bytes.data(), size, &read, nullptr);
    CloseHandle(file);
    for (DWORD i = 0; i + 1 < read; i += 2) {
        units.push_back(static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                             (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    }
    return units;
}

std::vector<std::wstring> SplitLines(const std::vector<wchar_t>& units)
{
    std::vector<std::wstring> lines;
    std::wstring line;
    for (wchar_t unit : units) {
        if (unit == L'\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += unit;
        }
    }
    if (!line.empty()) lines.push_back(line + L"<no line feed>");
    return lines;
}

std::wstring Format(const wchar_t* format, ...)
{
    wchar_t line[LogLineCapacity];
    va_list arguments;
    va_start(arguments, format);
    const size_t length = FormatLogLine(line, LogLineCapacity, format, arguments);
    va_end(arguments);
    EXPECT_EQ(length, wcslen(line));
    return line;
}

TEST(DebugLogFormat, WideRulesAndTheCutAt1023)
{
    EXPECT_EQ(Format(L"%s 0x%X 0x%X", L"TitleButtonsWindowProc", 0x1A2Bu, 0u), L"TitleButtonsWindowProc 0x1A2B 0x0");
    EXPECT_EQ(Format(L"%s 0x%X Button Rect top:%d bottom:%d left:%d right%d", L"Caption_NCPaint", 0x30u, 8, -3, 250,
                     261),
              L"Caption_NCPaint 0x30 Button Rect top:8 bottom:-3 left:250 right261");
    const std::wstring exact(1023, L'x');
    EXPECT_EQ(Format(L"%s", exact.c_str()), exact);
    const std::wstring longer(1500, L'y');
    EXPECT_EQ(Format(L"%s!", longer.c_str()), std::wstring(1023, L'y'));
    EXPECT_EQ(Format(L"%s%s", std::wstring(1022, L'a').c_str(), L"bc"), std::wstring(1022, L'a') + L"b");
    wchar_t tiny[4];
    va_list none{};
    EXPECT_EQ(FormatLogLine(tiny, 1, L"abc", none), 0u);
    EXPECT_EQ(tiny[0], 0);
}

TEST(DebugLogDestination, PrefixesAreExactAndCaseSensitive)
{
    const wchar_t* rest = nullptr;
    EXPECT_EQ(ParseLogDestination(L"OutputDebug:anything", &rest), LogTarget::Debugger);
    EXPECT_STREQ(rest, L"anything");
    EXPECT_EQ(ParseLogDestination(L"File:C:\\x.log", &rest), LogTarget::File);
    EXPECT_STREQ(rest, L"C:\\x.log");
    EXPECT_EQ(ParseLogDestination(L"Reg:HKCU\\Software\\V", &rest), LogTarget::Registry);
    EXPECT_STREQ(rest, L"HKCU\\Software\\V");
    EXPECT_EQ(ParseLogDestination(L"file:C:\\x.log", &rest), LogTarget::None);
    EXPECT_EQ(ParseLogDestination(L"OutputDebug", &rest), LogTarget::None);
    EXPECT_EQ(ParseLogDestination(L"Re", &rest), LogTarget::None);
    EXPECT_EQ(ParseLogDestination(L"", &rest), LogTarget::None);
    EXPECT_EQ(ParseLogDestination(nullptr, &rest), LogTarget::None);
}

TEST(DebugLogFile, ShippedDestinationIsSilentUntilTheFileIsCreated)
{
    const wchar_t* path = nullptr;
    ASSERT_EQ(ParseLogDestination(LogDestination, &path), LogTarget::File);
    EXPECT_STREQ(path, L"C:\\Lorvek\\Lorvek.log");
    const std::wstring saved = std::wstring(path) + L".saved-by-test";
    const bool hadFile = MoveFileExW(path, saved.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;

    LogMessage(L"%s 0x%X 0x%X", L"TitleButtonsWindowProc", 1u, 2u);
    LogMessage(L"WindowManagerStart");
    EXPECT_EQ(GetFileAttributesW(path), INVALID_FILE_ATTRIBUTES) << "the log never creates its file";

    // The cost of a silent call: one failed open, nothing formatted.
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    const int calls = 100000;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < calls; ++i) LogMessage(L"%s 0x%X 0x%X", L"TitleButtonsWindowProc", 0x10086u, 0u);
    QueryPerformanceCounter(&end);
    const double silent = (end.QuadPart - start.QuadPart) * 1e9 / frequency.QuadPart / calls;
    wchar_t line[LogLineCapacity];
    QueryPerformanceCounter(&start);
    for (int i = 0; i < calls; ++i) {
        va_list none{};
        FormatLogLine(line, LogLineCapacity, L"TitleButtonsWindowProc 0x10086 0x0", none);
    }
    QueryPerformanceCounter(&end);
    const double format = (end.QuadPart - start.QuadPart) * 1e9 / frequency.QuadPart / calls;
    std::printf("silent LogMessage: %.0f ns per call over %d calls (formatting a line alone: %.0f ns)\n", silent, calls,
                format);
    RecordProperty("SilentLogMessageNanoseconds", static_cast<int>(silent));
    EXPECT_EQ(GetFileAttributesW(path), INVALID_FILE_ATTRIBUTES);

    const bool madeFolder = CreateDirectoryW(L"C:\\Lorvek", nullptr) != FALSE;
    CreateEmpty(path);
    LogMessage(L"%s 0x%X 0x%X", L"TitleButtonsWindowProc", 0xABCu, 0u);
    LogMessage(L"WindowManagerStop");
    const std::vector<wchar_t> expected = [] {
        const std::wstring text = L"TitleButtonsWindowProc 0xABC 0x0\nWindowManagerStop\n";
        return std::vector<wchar_t>(text.begin(), text.end());
    }();
    EXPECT_EQ(ReadUnits(path), expected) << "UTF-16LE, one line per call, each ended by U+000A";
    DeleteFileW(path);
    if (madeFolder) RemoveDirectoryW(L"C:\\Lorvek");
    if (hadFile) MoveFileExW(saved.c_str(), path, MOVEFILE_REPLACE_EXISTING);
}

TEST(DebugLogFile, AppendsAfterWhatTheCreatorWroteAndCutsLongLines)
{
    const std::wstring path = TempPath(L"LorvekFileTest.log");
    CreateEmpty(path, {0xFEFF});  // whoever creates the file decides its first bytes
    const std::wstring destination = L"File:" + path;
    Write(destination.c_str(), L"first %d", 1);
    const std::wstring longLine(2000, L'z');
    Write(destination.c_str(), L"%s", longLine.c_str());
    Write(destination.c_str(), L"");
    const std::vector<wchar_t> units = ReadUnits(path);
    ASSERT_FALSE(units.empty());
    EXPECT_EQ(units[0], 0xFEFF);
    const std::vector<std::wstring> lines = SplitLines(std::vector<wchar_t>(units.begin() + 1, units.end()));
    const std::vector<std::wstring> expected = {L"first 1", std::wstring(1023, L'z'), L""};
    EXPECT_EQ(lines, expected);

    // While somebody holds the file open, the line is lost and nothing waits.
    const HANDLE holder = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    Write(destination.c_str(), L"lost");
    CloseHandle(holder);
    EXPECT_EQ(ReadUnits(path).size(), units.size());
    DeleteFileW(path.c_str());
    Write(destination.c_str(), L"nobody");
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
}

// Runs this program in child mode under a debugger loop and returns every
// debug string it sent, in order.
std::vector<std::wstring> DebugStringsOfChild(const std::wstring& destination, int count, const std::wstring& tag)
{
    std::vector<std::wstring> strings;
    std::wstring commandLine =
        L"\"" + ProgramPath() + L"\" --log-child " + std::to_wstring(count) + L" " + tag + L" " + destination;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS, nullptr, nullptr,
                        &startup, &process)) {
        ADD_FAILURE() << "cannot start the child: " << GetLastError();
        return strings;
    }
    for (bool running = true; running;) {
        DEBUG_EVENT event = {};
        if (!WaitForDebugEvent(&event, 60000)) {
            ADD_FAILURE() << "the child did not finish";
            TerminateProcess(process.hProcess, 1);
            break;
        }
        DWORD status = DBG_CONTINUE;
        switch (event.dwDebugEventCode) {
        case CREATE_PROCESS_DEBUG_EVENT:
            if (event.u.CreateProcessInfo.hFile) CloseHandle(event.u.CreateProcessInfo.hFile);
            break;
        case LOAD_DLL_DEBUG_EVENT:
            if (event.u.LoadDll.hFile) CloseHandle(event.u.LoadDll.hFile);
            break;
        case EXCEPTION_DEBUG_EVENT:
            if (event.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT) {
                status = DBG_EXCEPTION_NOT_HANDLED;
            }
            break;
        case OUTPUT_DEBUG_STRING_EVENT: {
            const OUTPUT_DEBUG_STRING_INFO& info = event.u.DebugString;
            const size_t unit = info.fUnicode ? 2 : 1;
            std::vector<char> bytes(info.nDebugStringLength * unit);
            SIZE_T read = 0;
            ReadProcessMemory(process.hProcess, info.lpDebugStringData, bytes.data(), bytes.size(), &read);
            std::wstring text;
            for (size_t i = 0; i + unit <= read; i += unit) {
                const wchar_t c = info.fUnicode ? static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                                                       (static_cast<unsigned char>(bytes[i + 1]) << 8))
                                                : static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]));
                if (c == 0) break;
                text += c;
            }
            strings.push_back(text);
            break;
        }
        case EXIT_PROCESS_DEBUG_EVENT:
            running = false;
            break;
        default:
            break;
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, status);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return strings;
}

const wchar_t TestKey[] = L"Software\\Tenvale\\LorvekLogTest";

class RegistryDestination : public ::testing::Test {
protected:
    void SetUp() override { RegCreateKeyW(HKEY_CURRENT_USER, TestKey, &m_key); }
    void TearDown() override
    {
        RegCloseKey(m_key);
        RegDeleteTreeW(HKEY_CURRENT_USER, TestKey);
    }
    void SetString(const wchar_t* name, const std::wstring& value)
    {
        RegSetValueExW(m_key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    HKEY m_key = nullptr;
};

std::vector<std::wstring> Lines(const std::wstring& tag, int count)
{
    std::vector<std::wstring> lines;
    for (int i = 0; i < count; ++i) {
        lines.push_back(tag + L"-" + std::to_wstring(i) + L"-" + std::wstring(200, tag[0]));
        lines.push_back(L"\n");
    }
    return lines;
}

TEST_F(RegistryDestination, DebuggerOutputDirectlyAndThroughTheRegistry)
{
    EXPECT_EQ(DebugStringsOfChild(L"OutputDebug:", 2, L"Direct"), Lines(L"Direct", 2))
        << "each line, then a separate line feed";
    SetString(L"Destination", L"OutputDebug:");
    EXPECT_EQ(DebugStringsOfChild(L"Reg:HKCU\\Software\\Tenvale\\LorvekLogTest\\Destination", 2, L"Registry"),
              Lines(L"Registry", 2));
    EXPECT_EQ(DebugStringsOfChild(L"Reg:HKEY_CURRENT_USER\\Software\\Tenvale\\LorvekLogTest\\Destination", 1, L"Long"),
              Lines(L"Long", 1));
}

TEST_F(RegistryDestination, NothingIsWrittenForAnUnusableRegistryValue)
{
    const DWORD number = 1;
    RegSetValueExW(m_key, L"Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    SetString(L"Destination", L"OutputDebug:");
    SetString(L"Loop", L"Reg:HKCU\\Software\\Tenvale\\LorvekLogTest\\Destination");
    SetString(L"Nonsense", L"Debugger please");
    const std::vector<std::wstring> none;
    EXPECT_EQ(DebugStringsOfChild(L"Reg:HKCU\\Software\\Tenvale\\LorvekLogTest\\Number", 1, L"Dword"), none);
    EXPECT_EQ(DebugStringsOfChild(L"Reg:HKCU\\Software\\Tenvale\\NoSuchKey\\Destination", 1, L"Missing"), none);
    EXPECT_EQ(DebugStringsOfChild(L"Reg:hkcu\\Software\\Tenvale\\LorvekLogTest\\Destination", 1, L"Lower"), none);
    EXPECT_EQ(DebugStringsOfChild(L"Reg:HKCU\\Software\\Tenvale\\LorvekLogTest\\Loop", 1, L"Loop"), none)
        << "a registry value naming another registry value";
    EXPECT_EQ(DebugStringsOfChild(L"Reg:HKCU\\Software\\Tenvale\\LorvekLogTest\\Nonsense", 1, L"Nonsense"), none);
    EXPECT_EQ(DebugStringsOfChild(L"Nowhere", 1, L"Nowhere"), none);
}

TEST_F(RegistryDestination, RegistryValueNamingAFile)
{
    const std::wstring path = TempPath(L"LorvekRegistryFile.log");
    CreateEmpty(path);
    SetString(L"Destination", L"File:" + path);
    Write(L"Reg:HKCU\\Software\\Tenvale\\LorvekLogTest\\Destination", L"via %s", L"the registry");
    EXPECT_EQ(SplitLines(ReadUnits(path)), std::vector<std::wstring>{L"via the registry"});
    DeleteFileW(path.c_str());
}

TEST(DebugLogFile, TwoProcessesWritingAtOnceLoseLinesButNeverMixThem)
{
    const std::wstring path = TempPath(L"LorvekTwoWriters.log");
    CreateEmpty(path);
    const int count = 300;
    std::vector<PROCESS_INFORMATION> children;
    for (const wchar_t* tag : {L"A", L"B"}) {
        std::wstring commandLine =
            L"\"" + ProgramPath() + L"\" --log-child " + std::to_wstring(count) + L" " + tag + L" File:" + path;
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        ASSERT_TRUE(CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                   &process));
        children.push_back(process);
    }
    for (PROCESS_INFORMATION& process : children) {
        EXPECT_EQ(WaitForSingleObject(process.hProcess, 120000), WAIT_OBJECT_0);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    const std::vector<wchar_t> units = ReadUnits(path);
    ASSERT_FALSE(units.empty());
    EXPECT_EQ(units.back(), L'\n');
    int a = 0, b = 0;
    for (const std::wstring& line : SplitLines(units)) {
        const wchar_t tag = line.empty() ? L'?' : line[0];
        const size_t dash = line.find(L'-', 2);
        const bool whole = (tag == L'A' || tag == L'B') && line.size() > 2 && line[1] == L'-' &&
                           dash != std::wstring::npos && line.substr(dash + 1) == std::wstring(200, tag);
        EXPECT_TRUE(whole) << "mixed or broken line: " << std::string(line.begin(), line.end());
        (tag == L'A' ? a : b) += 1;
    }
    EXPECT_LE(a, count);
    EXPECT_LE(b, count);
    EXPECT_GT(a + b, 0);
    std::printf("two writers of %d lines each: %d and %d lines arrived\n", count, a, b);
    DeleteFileW(path.c_str());
}

} // namespace
