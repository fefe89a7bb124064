#include "resfile/rct_picture.h"

#include "resfile/dib_surface.h"
#include "resfile/file_locator.h"

namespace {

// Decodes into a new unlocked 24-bit surface, opening through the locator.
class SurfaceTarget final : public RctLoadCallback {
public:
    FILE* OpenFile(const char* name) override { return OpenResourceFile(name, "rb"); }

    // Returns only on Retry; Cancel ends the process.
    bool RetryShortFile(const char* name) override {
        AskToRetryResourceFile(name);
        return true;
    }

    unsigned char* CreatePixels(int32_t width, int32_t height, int32_t& stride) override {
        surface = CreateDibSurface24(width, height, 0);
        if (!surface)
            return nullptr;
        stride = surface->stride;
        return surface->bits;
    }

    DibSurface* surface = nullptr;
};

}  // namespace

DibSurface* LoadRctPicture(const char* name) {
    SurfaceTarget target;
    LoadRct(name, target);
    return target.surface;
}
