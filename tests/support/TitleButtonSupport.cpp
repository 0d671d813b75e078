#include "TitleButtonSupport.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "TitleButtonGeometry.h"

namespace harness {

namespace {

std::wstring ProgramDirectory()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring directory(path);
    return directory.substr(0, directory.find_last_of(L"\\/") + 1);
}

std::string Narrow(const std::wstring& text)
{
    std::string narrow;
    for (wchar_t c : text) narrow += static_cast<char>(c);
    return narrow;
}

std::vector<uint8_t> ReadWholeFile(const std::wstring& path)
{
    std::vector<uint8_t> data;
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return data;
    const DWORD size = GetFileSize(file, nullptr);
    data.resize(size);
    DWORD read = 0;
    if (size > 0) ReadFile(file, data.data(), size, &read, nullptr);
    data.resize(read);
    CloseHandle(file);
    return data;
}

bool WriteWholeFile(const std::wstring& path, const void* data, size_t size)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = size == 0 || WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr);
    CloseHandle(file);
    return ok != FALSE;
}


} // namespace

uint32_t Rgb(COLORREF colour)
{
    return (static_cast<uint32_t>(GetRValue(colour)) << 16) | (static_cast<uint32_t>(GetGValue(colour)) << 8) |
           GetBValue(colour);
}

Image CaptureWindow(TargetProcess& target, HWND window)
{
    wchar_t name[64];
    wsprintfW(name, L"capture-%lu.bin", GetCurrentProcessId());
    const std::wstring path = ProgramDirectory() + name;
    const std::string reply = target.Command("capture " + Hex(window) + " " + Narrow(path));
    if (reply != "ok") throw std::runtime_error("capture failed: " + reply);
    const std::vector<uint8_t> data = ReadWholeFile(path);
    DeleteFileW(path.c_str());
    Image image;
    if (data.size() < 8) return image;
    int32_t size[2];
    std::memcpy(size, data.data(), sizeof size);
    image.width = size[0];
    image.height = size[1];
    const size_t count = static_cast<size_t>(image.width) * image.height;
    if (data.size() < 8 + count * 4) return Image();
    image.pixels.resize(count);
    std::memcpy(image.pixels.data(), data.data() + 8, count * 4);
    for (uint32_t& pixel : image.pixels) pixel &= 0x00FFFFFF;
    return image;
}

std::wstring SaveScreenshot(const Image& image, const std::wstring& name)
{
    const std::wstring folder = ProgramDirectory() + L"screenshots";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring path = folder + L"\\" + name;
    SavePng(image, path);
    return path;
}

bool ReadTitleButtons(DWORD processId, HWND window, TitleButtons& block)
{
    const HANDLE address = GetPropW(window, L"MOX_TITLEBUTTONS");
    if (address == nullptr) return false;
    const HANDLE process = OpenProcess(PROCESS_VM_READ, FALSE, processId);
    if (process == nullptr) return false;
    SIZE_T read = 0;
    const BOOL ok = ReadProcessMemory(process, address, &block, sizeof block, &read);
    CloseHandle(process);
    return ok && read == sizeof block;
}

RECT PinFace(HWND window, bool windowRelative)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    if (windowRelative) OffsetRect(&rect, -rect.left, -rect.top);
    const int spacing[1] = {2};
    return TitleButtonRect(rect, static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)),
                           static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)), spacing, 0, ReadCaptionMetrics());
}

Image StyleMaxButtonImage()
{
    using Open = HANDLE(WINAPI*)(HWND, const wchar_t*);
    using Close = HRESULT(WINAPI*)(HANDLE);
    using ThemeName = HRESULT(WINAPI*)(wchar_t*, int, wchar_t*, int, wchar_t*, int);
    using FileName = HRESULT(WINAPI*)(HANDLE, int, int, int, wchar_t*, int);
    Image image;
    const HMODULE uxtheme = LoadLibraryW(L"uxtheme.dll");
    if (uxtheme == nullptr) return image;
    const auto open = reinterpret_cast<Open>(reinterpret_cast<void*>(GetProcAddress(uxtheme, "OpenThemeData")));
    const auto close = reinterpret_cast<Close>(reinterpret_cast<void*>(GetProcAddress(uxtheme, "CloseThemeData")));
    const auto themeName =
        reinterpret_cast<ThemeName>(reinterpret_cast<void*>(GetProcAddress(uxtheme, "GetCurrentThemeName")));
    const auto fileName =
        reinterpret_cast<FileName>(reinterpret_cast<void*>(GetProcAddress(uxtheme, "GetThemeFilename")));
    if (!open || !close || !themeName || !fileName) return image;
    const HANDLE theme = open(nullptr, L"window");
    if (theme == nullptr) return image;
    wchar_t styleFile[260] = {};
    wchar_t imageFile[100] = {};
    const bool named = SUCCEEDED(themeName(styleFile, 260, nullptr, 0, nullptr, 0)) &&
                       SUCCEEDED(fileName(theme, 17, 1, 3001, imageFile, 100));
    close(theme);
    if (!named) return image;
    for (wchar_t* c = imageFile; *c; ++c) {
        if (*c == L'\\' || *c == L'.') *c = L'_';
    }
    const HMODULE style = LoadLibraryExW(styleFile, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (style == nullptr) return image;
    const HBITMAP bitmap =
        static_cast<HBITMAP>(LoadImageW(style, imageFile, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    FreeLibrary(style);
    if (bitmap == nullptr) return image;
    BITMAP info = {};
    GetObjectW(bitmap, sizeof info, &info);
    BITMAPINFO request = {};
    request.bmiHeader.biSize = sizeof request.bmiHeader;
    request.bmiHeader.biWidth = info.bmWidth;
    request.bmiHeader.biHeight = -info.bmHeight;
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    request.bmiHeader.biCompression = BI_RGB;
    image.width = info.bmWidth;
    image.height = info.bmHeight;
    image.pixels.resize(static_cast<size_t>(info.bmWidth) * info.bmHeight);
    const HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, static_cast<UINT>(info.bmHeight), image.pixels.data(), &request, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    DeleteObject(bitmap);
    for (uint32_t& pixel : image.pixels) pixel &= 0x00FFFFFF;
    return image;
}

unsigned BestMatchingFrames(const Image& capture, const RECT& face, const Image& style, const std::vector<POINT>& skip)
{
    const int frameHeight = style.height / 8;
    const int w = face.right - face.left;
    const int h = face.bottom - face.top;
    if (frameHeight == 0 || w <= 0 || h <= 0) return 0;
    unsigned best = 0;
    double bestScore = -1;
    for (int frame = 0; frame < 8; ++frame) {
        const uint32_t transparent = style.At(0, frameHeight * frame);
        int compared = 0;
        int matched = 0;
        for (int y = face.top; y < face.bottom; ++y) {
            for (int x = face.left; x < face.right; ++x) {
                const bool skipped = std::any_of(skip.begin(), skip.end(),
                                                 [&](const POINT& p) { return p.x == x && p.y == y; });
                if (skipped) continue;
                const uint32_t source =
                    style.At((x - face.left) * style.width / w, frameHeight * frame + (y - face.top) * frameHeight / h);
                if (source == transparent) continue;
                ++compared;
                if (source == capture.At(x, y)) ++matched;
            }
        }
        const double score = compared > 0 ? static_cast<double>(matched) / compared : 0;
        if (score > bestScore) {
            bestScore = score;
            best = 1u << frame;
        } else if (score == bestScore) {
            best |= 1u << frame;
        }
    }
    return best;
}

void RepaintFrameOf(HWND window)
{
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void MakeClassic(TargetProcess& target, HWND window)
{
    target.Command("theme " + Hex(window) + " off");
    RepaintFrameOf(window);
}

bool PinGlyphBlack(int column, int row)
{
    // Black columns of rows 9 to 17 of the pin glyph.
    static const std::vector<std::vector<std::pair<int, int>>> rows = {
        {{10, 11}},
        {{10, 10}, {12, 12}, {17, 18}},
        {{10, 10}, {13, 16}, {18, 18}},
        {{10, 10}, {18, 18}},
        {{7, 10}, {18, 18}},
        {{10, 10}, {13, 13}, {15, 15}, {18, 18}},
        {{10, 10}, {12, 16}, {18, 18}},
        {{10, 12}, {17, 18}},
        {{10, 11}},
    };
    if (row < 9 || row > 17) return false;
    for (const auto& run : rows[static_cast<size_t>(row - 9)]) {
        if (column >= run.first && column <= run.second) return true;
    }
    return false;
}

namespace {

// Window-relative pixels of the glyph rectangle, split into pin and background.
void GlyphPixels(HWND window, bool pressed, std::vector<POINT>* pin, std::vector<POINT>* background)
{
    const RECT glyph = TitleButtonGlyphRect(PinFace(window, true), pressed, false);
    const GlyphPlacement placement = PlaceGlyph(glyph, 28, 28);
    const RECT& target = placement.target;
    for (int y = target.top; y < target.bottom; ++y) {
        for (int x = target.left; x < target.right; ++x) {
            const int column = x - target.left + placement.sourceX;
            const int row = y - target.top + placement.sourceY;
            const bool black = column >= 0 && column < 28 && row >= 0 && row < 28 && PinGlyphBlack(column, row);
            if (black && pin) pin->push_back({x, y});
            if (!black && background) background->push_back({x, y});
        }
    }
}

} // namespace

std::vector<POINT> ExpectedPinPixels(HWND window, bool pressed)
{
    std::vector<POINT> pixels;
    GlyphPixels(window, pressed, &pixels, nullptr);
    return pixels;
}

std::vector<POINT> GlyphBackgroundPixels(HWND window, bool pressed)
{
    std::vector<POINT> pixels;
    GlyphPixels(window, pressed, nullptr, &pixels);
    return pixels;
}

POINT Centre(const RECT& rect)
{
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

void MouseMoveTo(POINT point)
{
    // Only SendInput: a SetCursorPos from this process would also warp the X
    // pointer, and the target would see that motion late, after later input.
    // An absolute position is a fraction of 65536 of the screen, rounded up
    // so that it truncates back to the pixel.
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = static_cast<LONG>((static_cast<long long>(point.x) * 65536 + width - 1) / width);
    input.mi.dy = static_cast<LONG>((static_cast<long long>(point.y) * 65536 + height - 1) / height);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
    const bool arrived = WaitFor([&] {
        POINT cursor = {};
        GetCursorPos(&cursor);
        return cursor.x == point.x && cursor.y == point.y;
    }, 1000);
    if (!arrived) SetCursorPos(point.x, point.y);
}

void MouseLeft(bool down)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    SendInput(1, &input, sizeof input);
}

std::vector<std::pair<UINT, WPARAM>> PostedMouseMessages(TargetProcess& target, HWND window)
{
    std::vector<std::pair<UINT, WPARAM>> messages;
    const std::string reply = target.Command("posted " + Hex(window));
    size_t position = 0;
    while (position < reply.size()) {
        const size_t end = reply.find(' ', position);
        const std::string word = reply.substr(position, end == std::string::npos ? std::string::npos : end - position);
        position = end == std::string::npos ? reply.size() : end + 1;
        const size_t colon = word.find(':');
        if (colon == std::string::npos) continue;
        messages.emplace_back(static_cast<UINT>(std::strtoul(word.substr(0, colon).c_str(), nullptr, 16)),
                              static_cast<WPARAM>(std::strtoull(word.substr(colon + 1).c_str(), nullptr, 16)));
    }
    return messages;
}

const wchar_t ShippedLogFile::Path[] = L"C:\\Lorvek\\Lorvek.log";

ShippedLogFile::ShippedLogFile()
{
    const std::wstring saved = std::wstring(Path) + L".saved-by-test";
    m_saved = MoveFileExW(Path, saved.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
    m_madeFolder = CreateDirectoryW(L"C:\\Lorvek", nullptr) != FALSE;
    Clear();
}

ShippedLogFile::~ShippedLogFile()
{
    DeleteFileW(Path);
    if (m_madeFolder) RemoveDirectoryW(L"C:\\Lorvek");
    if (m_saved) MoveFileExW((std::wstring(Path) + L".saved-by-test").c_str(), Path, MOVEFILE_REPLACE_EXISTING);
}

void ShippedLogFile::Clear()
{
    // A writer may hold the file for a moment: it is opened without sharing.
    for (int attempt = 0; attempt < 100 && !WriteWholeFile(Path, nullptr, 0); ++attempt) Sleep(10);
}

std::vector<std::wstring> ShippedLogFile::Lines() const
{
    std::vector<uint8_t> data;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const HANDLE file = CreateFileW(Path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            Sleep(10);
            continue;
        }
        data.resize(GetFileSize(file, nullptr));
        DWORD read = 0;
        if (!data.empty()) ReadFile(file, data.data(), static_cast<DWORD>(data.size()), &read, nullptr);
        data.resize(read);
        CloseHandle(file);
        break;
    }
    std::vector<std::wstring> lines;
    std::wstring line;
    for (size_t i = 0; i + 1 < data.size(); i += 2) {
        const wchar_t unit = static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
        if (unit == L'\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += unit;
        }
    }
    return lines;
}

} // namespace harness
