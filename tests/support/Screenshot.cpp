#include "Screenshot.h"

#include <initguid.h>
#include <wincodec.h>

namespace harness {

Image CaptureScreen(const RECT& rect) {
    Image image;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    BITMAPINFO info = {{sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    const HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    if (bits != nullptr && BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY) && GdiFlush()) {
        image.width = width, image.height = height;
        image.pixels.assign(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + width * height);
        for (uint32_t& pixel : image.pixels) pixel &= 0x00FFFFFF;
    }
    SelectObject(memory, previous), DeleteObject(bitmap), DeleteDC(memory), ReleaseDC(nullptr, screen);
    return image;
}

bool SavePng(const Image& image, const std::wstring& path) {
    // The factory straight from the imaging component: no COM set-up, no import library.
    const auto create = reinterpret_cast<HRESULT(WINAPI*)(UINT, IWICImagingFactory**)>(reinterpret_cast<void*>(
        GetProcAddress(LoadLibraryW(L"windowscodecs.dll"), "WICCreateImagingFactory_Proxy")));
    IWICImagingFactory* factory = nullptr;
    IWICStream* stream = nullptr;
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGR;
    const UINT width = static_cast<UINT>(image.width), height = static_cast<UINT>(image.height);
    std::vector<uint32_t> pixels = image.pixels;
    const bool saved =
        create != nullptr && SUCCEEDED(create(WINCODEC_SDK_VERSION, &factory)) &&
        SUCCEEDED(factory->CreateStream(&stream)) &&
        SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
        SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
        SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
        SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
        SUCCEEDED(frame->SetSize(width, height)) && SUCCEEDED(frame->SetPixelFormat(&format)) &&
        SUCCEEDED(frame->WritePixels(height, width * 4, width * 4 * height, reinterpret_cast<BYTE*>(pixels.data()))) &&
        SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
    for (IUnknown* o : std::initializer_list<IUnknown*>{frame, encoder, stream, factory}) if (o) o->Release();
    return saved;
}

} // namespace harness
