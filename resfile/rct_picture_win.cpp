#include "resfile/rct_picture.h"

#include "resfile/dib_surface.h"
#include "resfile/file_locator.h"
#include "shell/messages.h"

namespace {

// The locator's own question for a file that cannot be read:
// Ffopen : ファイル[%s]の読み込みで失敗しました
constexpr char kReadFailedFormat[] =
    "Ffopen : \x83\x74\x83\x40\x83\x43\x83\x8b[%s]\x82\xcc\x93\xc7\x82\xdd\x8d\x9e\x82\xdd\x82\xc5\x8e\xb8\x94\x73"
    "\x82\xb5\x82\xdc\x82\xb5\x82\xbd";

// Decodes into a new unlocked 24-bit surface, opening through the locator.
class SurfaceTarget final : public RctLoadCallback {
public:
    FILE* OpenFile(const char* name) override { return OpenResourceFile(name, "rb"); }

    // Returns only on Retry; Cancel ends the process.
    bool RetryShortFile(const char* name) override {
        ShowRetryCancelError(kReadFailedFormat, name);
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
