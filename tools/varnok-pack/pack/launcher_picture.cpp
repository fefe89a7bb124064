#include "tools/varnok-pack/pack/launcher_picture.h"

#include <cstdio>

#include "archive/stdio_file.h"
#include "tools/varnok-pack/host/host_files.h"
#include "tools/varnok-pack/rct/rct_codec.h"

namespace {

// The formats a picture is most often saved in by mistake, by their first bytes.
const char* OtherFormat(const std::string& path) {
    UniqueFile file(OpenPath(path, "rb"));
    unsigned char magic[4] = {};
    if (!file || std::fread(magic, 1, sizeof magic, file.get()) != sizeof magic)
        return nullptr;
    if (magic[0] == 0x89 && magic[1] == 'P' && magic[2] == 'N' && magic[3] == 'G')
        return "PNG";
    if (magic[0] == 'B' && magic[1] == 'M')
        return "BMP";
    if (magic[0] == 0xFF && magic[1] == 0xD8)
        return "JPEG";
    return nullptr;
}

}  // namespace

PictureVerdict CheckLauncherPicture(const std::string& path, std::string& message) {
    if (const char* format = OtherFormat(path)) {
        message = std::string("a ") + format + " picture, not an RCT one; make one with 'varnok-pack rct encode " +
                  "PICTURE insttscr.rct'";
        return PictureVerdict::Broken;
    }
    RctImage image;
    RctLoadStatus status = DecodeRctFile(path.c_str(), image);
    if (status == RctLoadStatus::ShortFile) {
        message = "cut short: shorter than its header or data size";
        return PictureVerdict::Broken;
    }
    if (status != RctLoadStatus::Ok) {
        message = std::string(DescribeRctLoadStatus(status)) + "; the launcher would show no picture or a blank one";
        return PictureVerdict::Broken;
    }
    std::string size = std::to_string(image.width) + " x " + std::to_string(image.height);
    const std::string shown = std::to_string(kLauncherPictureSize) + " x " + std::to_string(kLauncherPictureSize);
    if (image.width > kLauncherPictureSize || image.height > kLauncherPictureSize) {
        message = size + " pixels: the launcher shows " + shown + ", the rest is cut off";
        return PictureVerdict::Broken;
    }
    if (image.width < kLauncherPictureSize || image.height < kLauncherPictureSize) {
        message = size + " pixels: the launcher shows " + shown + ", so it stands in a wider blank margin";
        return PictureVerdict::Smaller;
    }
    return PictureVerdict::Shown;
}
