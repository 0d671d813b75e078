// The application manifest of Hovelle.exe, read back from the built program's
// resources, and its effect: the activation context it describes gives the
// process common controls 6.
#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PackageHarness.h"

namespace {

std::wstring ProgramPath()
{
    return package::ExecutableDirectory() + L"Hovelle.exe";
}

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR data)
{
    auto& names = *reinterpret_cast<std::vector<ULONG_PTR>*>(data);
    names.push_back(IS_INTRESOURCE(name) ? reinterpret_cast<ULONG_PTR>(name) : ~ULONG_PTR(0));
    return TRUE;
}

struct ManifestResource {
    std::vector<ULONG_PTR> ids;
    std::string text;
};

ManifestResource ReadManifest(const std::wstring& program)
{
    ManifestResource manifest;
    const HMODULE module = LoadLibraryExW(program.c_str(), nullptr,
                                          LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (module == nullptr) return manifest;
    EnumResourceNamesW(module, RT_MANIFEST, CollectName, reinterpret_cast<LONG_PTR>(&manifest.ids));
    const HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
    if (resource != nullptr) {
        const HGLOBAL loaded = LoadResource(module, resource);
        const auto* bytes = static_cast<const char*>(LockResource(loaded));
        if (bytes != nullptr) manifest.text.assign(bytes, SizeofResource(module, resource));
    }
    FreeLibrary(module);
    return manifest;
}

// The start tags named `element` (with or without a namespace prefix) in the
// text, each as the text between "<" and ">".
std::vector<std::string> StartTags(const std::string& xml, const std::string& element)
{
    std::vector<std::string> tags;
    for (size_t at = xml.find('<'); at != std::string::npos; at = xml.find('<', at + 1)) {
        const size_t end = xml.find('>', at);
        if (end == std::string::npos) break;
        const std::string tag = xml.substr(at + 1, end - at - 1);
        const size_t nameEnd = tag.find_first_of(" \t\r\n/");
        const std::string name = tag.substr(0, nameEnd);
        if (name == element) tags.push_back(tag);
    }
    return tags;
}

std::string Attribute(const std::string& tag, const std::string& name)
{
    const std::string key = " " + name + "=\"";
    size_t at = tag.find(key);
    if (at == std::string::npos) {
        at = tag.find("\n" + name + "=\"");
        if (at == std::string::npos) return "<absent>";
    }
    at += key.size();
    return tag.substr(at, tag.find('"', at) - at);
}

// The text content of the first element with the name.
std::string Content(const std::string& xml, const std::string& element)
{
    const size_t open = xml.find("<" + element);
    if (open == std::string::npos) return "<absent>";
    const size_t start = xml.find('>', open) + 1;
    return xml.substr(start, xml.find("</" + element, start) - start);
}

} // namespace

TEST(Manifest, EmbeddedInTheProgramAsResourceOne)
{
    const ManifestResource manifest = ReadManifest(ProgramPath());
    ASSERT_EQ(manifest.ids, std::vector<ULONG_PTR>{1}) << "exactly one RT_MANIFEST resource, id 1";
    ASSERT_FALSE(manifest.text.empty());
    const std::string& xml = manifest.text;

    // Common controls 6.
    const auto identities = StartTags(xml, "assemblyIdentity");
    bool commonControls6 = false;
    for (const std::string& identity : identities) {
        if (Attribute(identity, "name") == "Microsoft.Windows.Common-Controls") {
            EXPECT_EQ(Attribute(identity, "version"), "6.0.0.0");
            EXPECT_EQ(Attribute(identity, "publicKeyToken"), "6595b64144ccf1df");
            EXPECT_EQ(Attribute(identity, "processorArchitecture"), "*");
            commonControls6 = true;
        }
    }
    EXPECT_TRUE(commonControls6) << xml;
    EXPECT_EQ(StartTags(xml, "dependentAssembly").size(), 1u);

    // Runs with the rights of whoever starts it.
    const auto levels = StartTags(xml, "requestedExecutionLevel");
    ASSERT_EQ(levels.size(), 1u);
    EXPECT_EQ(Attribute(levels[0], "level"), "asInvoker");
    EXPECT_EQ(Attribute(levels[0], "uiAccess"), "false");

    // Windows 7, 8, 8.1 and 10/11.
    std::vector<std::string> systems;
    for (const std::string& tag : StartTags(xml, "supportedOS")) systems.push_back(Attribute(tag, "Id"));
    EXPECT_EQ(systems, (std::vector<std::string>{"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                                                 "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                                                 "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
                                                 "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}));

    // DPI awareness: per monitor (v2) where offered, else system aware.
    EXPECT_EQ(Content(xml, "dpiAware"), "true");
    EXPECT_EQ(Content(xml, "dpiAwareness"), "PerMonitorV2, System");
}

namespace {

struct ButtonSeen {
    std::wstring procedureModule;  // file name of the module holding its window procedure
    bool answersIdealSize = false;
};

// A push button made on this thread: where its window procedure lives and
// whether it answers BCM_GETIDEALSIZE, which only common controls 6 buttons do.
ButtonSeen MakeButton()
{
    ButtonSeen seen;
    const HWND button = CreateWindowExW(0, L"Button", L"Close", WS_POPUP | BS_PUSHBUTTON, 0, 0, 50, 14, nullptr,
                                        nullptr, nullptr, nullptr);
    if (button == nullptr) return seen;
    const auto procedure = reinterpret_cast<LPCWSTR>(GetWindowLongPtrW(button, GWLP_WNDPROC));
    HMODULE module = nullptr;
    if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           procedure, &module)) {
        wchar_t path[MAX_PATH * 2] = {};
        GetModuleFileNameW(module, path, MAX_PATH * 2);
        seen.procedureModule = PathFindFileNameW(path);
        CharLowerW(&seen.procedureModule[0]);
    }
    SIZE ideal = {};
    seen.answersIdealSize = SendMessageW(button, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)) != 0 &&
                            ideal.cx > 0;
    DestroyWindow(button);
    return seen;
}

} // namespace

TEST(Manifest, ItsActivationContextGivesCommonControls6)
{
    // This test program has no manifest, so its buttons are user32's classic
    // ones. Inside the activation context built from Hovelle.exe's resource 1,
    // as Windows builds it when it starts the program, "Button" must be the
    // themed button of common controls 6.
    const ButtonSeen without = MakeButton();
    EXPECT_EQ(without.procedureModule, L"user32.dll");
    EXPECT_FALSE(without.answersIdealSize);

    ACTCTXW description = {};
    description.cbSize = sizeof description;
    description.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    const std::wstring program = ProgramPath();
    description.lpSource = program.c_str();
    description.lpResourceName = MAKEINTRESOURCEW(1);
    const HANDLE context = CreateActCtxW(&description);
    ASSERT_NE(context, INVALID_HANDLE_VALUE) << GetLastError();
    ULONG_PTR cookie = 0;
    ASSERT_TRUE(ActivateActCtx(context, &cookie));
    const ButtonSeen with = MakeButton();
    DeactivateActCtx(0, cookie);
    ReleaseActCtx(context);

    EXPECT_EQ(with.procedureModule, L"comctl32.dll");
    EXPECT_TRUE(with.answersIdealSize);
}

namespace {

BOOL CALLBACK CollectChild(HWND child, LPARAM data)
{
    reinterpret_cast<std::vector<HWND>*>(data)->push_back(child);
    return TRUE;
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

std::wstring ProcedureModule(HWND window)
{
    const auto procedure = reinterpret_cast<LPCWSTR>(GetWindowLongPtrW(window, GWLP_WNDPROC));
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            procedure, &module)) {
        return L"?";
    }
    wchar_t path[MAX_PATH * 2] = {};
    GetModuleFileNameW(module, path, MAX_PATH * 2);
    std::wstring name = PathFindFileNameW(path);
    CharLowerW(&name[0]);
    return name;
}

} // namespace

TEST(Manifest, AboutDialogControlsAreCommonControls6)
{
    // The About dialog (dialog 104 of Hovelle.exe) made from the program's own
    // template inside the activation context of its manifest, the context
    // Windows gives the running program: every control is a comctl32 control.
    const std::wstring program = ProgramPath();
    const HMODULE resources = LoadLibraryExW(program.c_str(), nullptr,
                                             LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(resources, nullptr);
    if (FindResourceW(resources, MAKEINTRESOURCEW(104), RT_DIALOG) == nullptr) {
        FreeLibrary(resources);
        GTEST_SKIP() << "this build of Hovelle.exe has no About dialog (dialog 104)";
    }
    ACTCTXW description = {};
    description.cbSize = sizeof description;
    description.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    description.lpSource = program.c_str();
    description.lpResourceName = MAKEINTRESOURCEW(1);
    const HANDLE context = CreateActCtxW(&description);
    ASSERT_NE(context, INVALID_HANDLE_VALUE) << GetLastError();
    ULONG_PTR cookie = 0;
    ASSERT_TRUE(ActivateActCtx(context, &cookie));
    const HWND dialog = CreateDialogParamW(resources, MAKEINTRESOURCEW(104), nullptr, PlainDialogProc, 0);
    DeactivateActCtx(0, cookie);
    ReleaseActCtx(context);
    ASSERT_NE(dialog, nullptr) << GetLastError();

    std::vector<HWND> controls;
    EnumChildWindows(dialog, CollectChild, reinterpret_cast<LPARAM>(&controls));
    EXPECT_EQ(controls.size(), 7u);
    for (const HWND control : controls) {
        wchar_t className[64] = {};
        GetClassNameW(control, className, 64);
        EXPECT_EQ(ProcedureModule(control), L"comctl32.dll")
            << "control " << GetDlgCtrlID(control) << " of class " << std::string(className, className + wcslen(className));
    }
    DestroyWindow(dialog);
    FreeLibrary(resources);
}
