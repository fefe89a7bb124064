#include "resfile/dib_surface.h"

#include <cstdlib>
#include <cstring>

#include "shell/alloc.h"

namespace {

constexpr int kPaletteEntries = 256;
constexpr int32_t kMaxPixelBytes = 0x7FFFFFFF;
constexpr int32_t kMaxWidth = (kMaxPixelBytes - 3) / 3;  // keeps the stride in 32 bits

DibSurface* gSurfaceList = nullptr;

// A memory device context compatible with the screen, for CreateDIBSection.
class MemoryDc {
public:
    MemoryDc() : dc_(CreateCompatibleDC(nullptr)) {}
    ~MemoryDc() {
        if (dc_)
            DeleteDC(dc_);
    }
    MemoryDc(const MemoryDc&) = delete;
    MemoryDc& operator=(const MemoryDc&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// The BITMAPINFO of a top-down surface: the header alone for 24-bit, the
// header and a black palette for 8-bit.
BITMAPINFO* NewBitmapInfo(int32_t width, int32_t height, int32_t eightBit) {
    size_t size = sizeof(BITMAPINFOHEADER) + (eightBit ? kPaletteEntries * sizeof(RGBQUAD) : 0);
    auto* info = static_cast<BITMAPINFO*>(AllocOrReport(size));
    std::memset(info, 0, size);
    BITMAPINFOHEADER& h = info->bmiHeader;
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = width;
    h.biHeight = -height;
    h.biPlanes = 1;
    h.biBitCount = eightBit ? 8 : 24;
    h.biCompression = BI_RGB;
    h.biClrUsed = eightBit ? kPaletteEntries : 0;
    return info;
}

void LinkAtHead(DibSurface* s) {
    s->older = gSurfaceList;
    if (gSurfaceList)
        gSurfaceList->newer = s;
    gSurfaceList = s;
}

void Unlink(DibSurface* s) {
    if (s->newer)
        s->newer->older = s->older;
    else
        gSurfaceList = s->older;
    if (s->older)
        s->older->newer = s->newer;
}

}  // namespace

int32_t DibStride(int32_t width, int32_t eightBit) {
    int32_t rowBytes = eightBit ? width : 3 * width;
    return (rowBytes + 3) / 4 * 4;
}

DibSurface* CreateDibSurface(int32_t width, int32_t height, int32_t eightBit, int32_t locked) {
    if (width <= 0 || height <= 0 || width > kMaxWidth || DibStride(width, eightBit) > kMaxPixelBytes / height)
        return nullptr;
    FreeOwner<DibSurface> s(static_cast<DibSurface*>(AllocOrReport(sizeof(DibSurface))));
    std::memset(s.get(), 0, sizeof(DibSurface));
    s->height = height;
    s->eightBit = eightBit;
    s->width = width;
    s->locked = locked;
    s->stride = DibStride(width, eightBit);
    FreeOwner<BITMAPINFO> info(NewBitmapInfo(width, height, eightBit));
    s->palette = eightBit ? info->bmiColors : nullptr;

    void* bits = nullptr;
    MemoryDc dc;
    s->bitmap = CreateDIBSection(dc.get(), info.get(), DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!s->bitmap || !bits) {
        if (s->bitmap)
            DeleteObject(s->bitmap);
        return nullptr;
    }
    s->bits = static_cast<unsigned char*>(bits);
    s->bitmapInfo = info.release();
    LinkAtHead(s.get());
    return s.release();
}

DibSurface* CreateDibSurface24(int32_t width, int32_t height, int32_t locked) {
    return CreateDibSurface(width, height, 0, locked);
}

int FreeDibSurface(DibSurface* surface, int32_t force) {
    if (!surface)
        return 0;
    if (!force && surface->locked)
        return 1;
    Unlink(surface);
    DeleteObject(surface->bitmap);
    std::free(surface->bitmapInfo);
    std::free(surface);
    return 0;
}

DibSurface* SurfaceListHead() { return gSurfaceList; }
