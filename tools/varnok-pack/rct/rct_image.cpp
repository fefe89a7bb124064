#include "tools/varnok-pack/rct/rct_image.h"

#include <strings.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "archive/stdio_file.h"
#include "tools/varnok-pack/host/host_files.h"

namespace {

// PNG's deflate through zlib at its best level: stb's own compressor is
// weaker than what real PNG writers produce.
unsigned char* ZlibCompress(unsigned char* data, int size, int* outSize, int) {
    uLongf bound = compressBound(static_cast<uLong>(size));
    auto* out = static_cast<unsigned char*>(std::malloc(bound));
    if (out && compress2(out, &bound, data, static_cast<uLong>(size), Z_BEST_COMPRESSION) != Z_OK) {
        std::free(out);
        return nullptr;
    }
    *outSize = static_cast<int>(bound);
    return out;
}

}  // namespace

#define STBIW_ZLIB_COMPRESS ZlibCompress
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_ONLY_BMP
#define STBI_ONLY_PNM
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-function"
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

namespace {

struct StbFreer {
    void operator()(unsigned char* p) const { stbi_image_free(p); }
};

// Red and blue change places: RGB <-> BGR.
std::vector<unsigned char> SwapRedBlue(const unsigned char* from, size_t bytes) {
    std::vector<unsigned char> to(from, from + bytes);
    for (size_t i = 0; i + 2 < bytes; i += 3)
        std::swap(to[i], to[i + 2]);
    return to;
}

const char* Extension(const char* path) {
    const char* dot = std::strrchr(path, '.');
    const char* slash = std::strrchr(path, '/');
    return dot && (!slash || dot > slash) ? dot + 1 : "";
}

void WriteBytes(void* context, void* data, int size) {
    auto* out = static_cast<FILE*>(context);
    if (std::fwrite(data, 1, static_cast<size_t>(size), out) != static_cast<size_t>(size))
        std::fputc(EOF, out);
}

void AppendBytes(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<unsigned char>*>(context);
    auto* bytes = static_cast<unsigned char*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

bool WritePpm(const char* path, const std::vector<unsigned char>& rgb, const RctImage& image) {
    FILE* f = OpenPath(path, "wb");
    if (!f)
        return false;
    bool ok = std::fprintf(f, "P6\n%d %d\n255\n", image.width, image.height) > 0 &&
              std::fwrite(rgb.data(), 1, rgb.size(), f) == rgb.size();
    return std::fclose(f) == 0 && ok;
}

// stb's own writers, into a file opened here (names are UTF-8 on every platform).
bool WriteStb(const char* path, bool png, const std::vector<unsigned char>& rgb, const RctImage& image) {
    UniqueFile f(OpenPath(path, "wb"));
    if (!f)
        return false;
    bool ok = png ? stbi_write_png_to_func(WriteBytes, f.get(), image.width, image.height, 3, rgb.data(),
                                           3 * image.width) != 0
                  : stbi_write_bmp_to_func(WriteBytes, f.get(), image.width, image.height, 3, rgb.data()) != 0;
    ok = ok && !std::ferror(f.get());
    return std::fclose(f.release()) == 0 && ok;
}

}  // namespace

bool ReadPictureFile(const char* path, RctImage& image, bool& droppedAlpha, std::string& error) {
    int width = 0, height = 0, channels = 0;
    UniqueFile file(OpenPath(path, "rb"));
    std::unique_ptr<unsigned char, StbFreer> rgb(file ? stbi_load_from_file(file.get(), &width, &height, &channels, 3)
                                                      : nullptr);

    if (!rgb) {
        error = std::string("cannot read picture '") + path + "': " + (file ? stbi_failure_reason() : "can't fopen");
        return false;
    }
    image.width = width;
    image.height = height;
    image.bgr = SwapRedBlue(rgb.get(), 3 * static_cast<size_t>(width) * static_cast<size_t>(height));
    droppedAlpha = channels == 2 || channels == 4;
    return true;
}

bool WritePictureFile(const char* path, const RctImage& image, std::string& error) {
    const char* ext = Extension(path);
    bool png = !strcasecmp(ext, "png"), bmp = !strcasecmp(ext, "bmp"), ppm = !strcasecmp(ext, "ppm");
    if (!png && !bmp && !ppm) {
        error = std::string("'") + path + "': the output must end in .png, .bmp or .ppm";
        return false;
    }
    std::vector<unsigned char> rgb = SwapRedBlue(image.bgr.data(), image.bgr.size());
    bool ok = ppm ? WritePpm(path, rgb, image) : WriteStb(path, png, rgb, image);
    if (!ok)
        error = std::string("cannot write '") + path + "'";
    return ok;
}

std::vector<unsigned char> EncodePng(const RctImage& image) {
    std::vector<unsigned char> rgb = SwapRedBlue(image.bgr.data(), image.bgr.size());
    std::vector<unsigned char> png;
    stbi_write_png_to_func(AppendBytes, &png, image.width, image.height, 3, rgb.data(), 3 * image.width);
    return png;
}
