#include "tools/varnok-pack/rct/rct_codec.h"

#include <algorithm>
#include <cstring>

#include "tools/varnok-pack/host/host_files.h"

namespace {

constexpr uint32_t kMaxCopy = kRctCountMax + kRctCopyLongMin;
constexpr uint32_t kMaxLiteral = kRctCountMax + kRctLiteralLongMin;
constexpr unsigned char kCopyFlag = 0x80;
constexpr unsigned char kLongForm = 3;

std::vector<uint32_t> PackPixels(const RctImage& image) {
    std::vector<uint32_t> pixels(image.bgr.size() / 3);
    const unsigned char* p = image.bgr.data();
    for (uint32_t& px : pixels) {
        px = p[0] | p[1] << 8 | uint32_t{p[2]} << 16;
        p += 3;
    }
    return pixels;
}

// The copy sources as distances in pixels back; 0 for a source at or after
// the current pixel (narrow pictures), which can never be used.
void CopyDistances(int32_t width, int64_t (&distance)[kRctOffsetCount]) {
    int64_t offsets[kRctOffsetCount];
    BuildBackRefOffsets(width, offsets);
    for (int k = 0; k < kRctOffsetCount; ++k)
        distance[k] = offsets[k] < 0 ? -offsets[k] / 3 : 0;
}

unsigned char CopyControl(int k, unsigned form) { return static_cast<unsigned char>(kCopyFlag | k << 2 | form); }

// The cheapest encoding of the pixels after the first, found backwards.
// cost[p]: bytes for pixels p.. when p starts a literal run or a copy;
// choice[p]: that copy's control byte, or 0 for a literal run;
// extendsRun[p]: a literal run holding p goes on with p + 1.
struct Parse {
    std::vector<uint32_t> cost;
    std::vector<unsigned char> choice;
    std::vector<unsigned char> extendsRun;
};

Parse ParsePicture(const std::vector<uint32_t>& px, int32_t width) {
    const size_t n = px.size();
    int64_t distance[kRctOffsetCount];
    CopyDistances(width, distance);
    Parse parse{std::vector<uint32_t>(n + 1, 0), std::vector<unsigned char>(n, 0), std::vector<unsigned char>(n, 0)};
    uint32_t match[kRctOffsetCount] = {};  // match lengths at p + 1, capped at kMaxCopy
    uint32_t inRun = 0;                    // cost of pixels p + 1.. inside a literal run
    for (size_t p = n - 1; p >= 1; --p) {
        const uint32_t* cost = parse.cost.data();
        bool extend = p + 1 < n && inRun < cost[p + 1];
        parse.extendsRun[p] = extend;
        inRun = 3 + (extend ? inRun : cost[p + 1]);
        uint32_t best = 1 + inRun;
        unsigned char choice = 0;
        uint32_t longest = 0;
        int longestK = 0;
        for (int k = 0; k < kRctOffsetCount; ++k) {
            const int64_t d = distance[k];
            if (d == 0 || d > static_cast<int64_t>(p) || px[p] != px[p - d]) {
                match[k] = 0;
                continue;
            }
            match[k] = std::min(match[k] + 1, kMaxCopy);
            if (match[k] > longest) {
                longest = match[k];
                longestK = k;
            }
            if (match[k] >= kRctCopyLongMin && 3 + cost[p + match[k]] < best) {
                best = 3 + cost[p + match[k]];
                choice = CopyControl(k, kLongForm);
            }
        }
        // A short copy costs one byte whichever source it uses.
        for (uint32_t len = 1; len <= std::min<uint32_t>(longest, kRctCopyShortMax); ++len) {
            if (1 + cost[p + len] < best) {
                best = 1 + cost[p + len];
                choice = CopyControl(longestK, len - 1);
            }
        }
        parse.cost[p] = best;
        parse.choice[p] = choice;
    }
    return parse;
}

void PutCount(std::vector<unsigned char>& out, uint32_t count) {
    out.push_back(static_cast<unsigned char>(count));
    out.push_back(static_cast<unsigned char>(count >> 8));
}

void PutLiterals(std::vector<unsigned char>& out, const unsigned char* bgr, size_t pixels) {
    while (pixels > 0) {
        size_t take = std::min<size_t>(pixels, kMaxLiteral);
        if (take <= kRctLiteralShortMax) {
            out.push_back(static_cast<unsigned char>(take - 1));
        } else {
            out.push_back(0x7F);
            PutCount(out, static_cast<uint32_t>(take - kRctLiteralLongMin));
        }
        out.insert(out.end(), bgr, bgr + 3 * take);
        bgr += 3 * take;
        pixels -= take;
    }
}

uint32_t MatchLength(const std::vector<uint32_t>& px, size_t p, int64_t d) {
    uint32_t len = 0;
    while (p + len < px.size() && len < kMaxCopy && px[p + len] == px[p + len - d])
        ++len;
    return len;
}

// Decodes into the image's own vector, rows packed.
class MemoryTarget final : public RctLoadCallback {
public:
    explicit MemoryTarget(RctImage& image) : image_(image) {}
    FILE* OpenFile(const char* name) override { return OpenPath(name, "rb"); }
    bool RetryShortFile(const char*) override { return false; }
    unsigned char* CreatePixels(int32_t width, int32_t height, int32_t& stride) override {
        image_.width = width;
        image_.height = height;
        image_.bgr.assign(3 * static_cast<size_t>(width) * static_cast<size_t>(height), 0);
        stride = 3 * width;
        return image_.bgr.data();
    }

private:
    RctImage& image_;
};

}  // namespace

std::vector<unsigned char> EncodeRctStream(const RctImage& image) {
    const std::vector<uint32_t> px = PackPixels(image);
    const Parse parse = ParsePicture(px, image.width);
    int64_t distance[kRctOffsetCount];
    CopyDistances(image.width, distance);
    std::vector<unsigned char> out(image.bgr.begin(), image.bgr.begin() + 3);
    out.reserve(image.bgr.size() / 2);
    size_t p = 1;
    while (p < px.size()) {
        const unsigned char c = parse.choice[p];
        if (c == 0) {
            size_t run = 1;
            while (parse.extendsRun[p + run - 1])
                ++run;
            PutLiterals(out, image.bgr.data() + 3 * p, run);
            p += run;
        } else if ((c & 3) == kLongForm) {
            uint32_t len = MatchLength(px, p, distance[(c >> 2) & 0x1F]);
            out.push_back(c);
            PutCount(out, len - kRctCopyLongMin);
            p += len;
        } else {
            out.push_back(c);
            p += (c & 3) + 1;
        }
    }
    return out;
}

std::vector<unsigned char> EncodeRctFile(const RctImage& image, RctVariant variant, std::string_view name) {
    std::vector<unsigned char> stream = EncodeRctStream(image);
    if (RctIsKeyed(variant)) {
        stream.push_back('T');
        stream.push_back('S');
        ApplyRctKey(stream.data(), stream.size());
    }
    RctHeader header{variant, image.width, image.height, static_cast<uint32_t>(stream.size())};
    unsigned char bytes[kRctHeaderSize];
    FormatRctHeader(header, bytes);
    std::vector<unsigned char> file(bytes, bytes + sizeof bytes);
    if (RctHasName(variant)) {
        PutCount(file, static_cast<uint32_t>(name.size()));
        file.insert(file.end(), name.begin(), name.end());
    }
    file.insert(file.end(), stream.begin(), stream.end());
    return file;
}

RctLoadStatus DecodeRctFile(const char* path, RctImage& image) {
    MemoryTarget target(image);
    return LoadRct(path, target);
}
