// varnok-pack rct: encode pictures as RCT files, decode them, describe them.
#include <getopt.h>
#include <strings.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "tools/varnok-pack/commands/cli.h"
#include "tools/varnok-pack/commands/commands.h"
#include "tools/varnok-pack/host/host_files.h"
#include "tools/varnok-pack/rct/rct_codec.h"
#include "tools/varnok-pack/rct/rct_image.h"
#include "tools/varnok-pack/host/sjis.h"

namespace {

constexpr char kCommand[] = "rct";

constexpr char kHelp[] =
    "usage: varnok-pack rct encode IN OUT.rct [--variant TC00|TS00|TC01|TS01] [--name TEXT]\n"
    "       varnok-pack rct decode IN.rct OUT\n"
    "       varnok-pack rct info IN.rct\n"
    "\n"
    "encode  reads a PNG, BMP or binary PPM picture (an alpha channel is dropped)\n"
    "        and writes it as an RCT picture, then reads the result back to check it.\n"
    "        --variant  TC00 (default), TS00, TC01 or TS01; the TS variants carry\n"
    "                   the trailer check, the 01 variants an embedded name\n"
    "        --name     the embedded name (01 variants), stored in Shift-JIS\n"
    "decode  writes the picture as .png, .bmp or .ppm (by OUT's extension). A file\n"
    "        without its \"TS\" trailer gives the blank picture the installer shows,\n"
    "        with a warning.\n"
    "info    prints the variant, size, embedded name and data size, and whether\n"
    "        the pixel stream decodes.\n"
    "The launcher shows insttscr.rct at 256 x 256 pixels; TC00 is what it was\n"
    "made for (the TS variants add only a two-byte check, the 01 variants only\n"
    "a name).\n"
    "\n"
    "Exit status: 0; 1 when a picture cannot be read, decoded or written (info:\n"
    "when the stream does not decode cleanly); 2 for a wrong command line.\n";

int Help() {
    std::fputs(kHelp, stdout);
    return kExitOk;
}

bool EndsInRct(const char* path) {
    size_t n = std::strlen(path);
    return n >= 4 && !strcasecmp(path + n - 4, ".rct");
}

bool WriteWholeFile(const char* path, const std::vector<unsigned char>& bytes) {
    FILE* f = OpenPath(path, "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

// The name option as the file stores it: Shift-JIS, at most 65535 bytes.
int ConvertName(const char* utf8, RctVariant variant, std::string& sjis) {
    if (!RctHasName(variant))
        return UsageError(kCommand, "--name needs a variant that carries a name (TC01 or TS01)");
    auto converted = Utf8ToSjis(utf8);
    if (!converted)
        return UsageError(kCommand, "the name '%s' has no Shift-JIS form", utf8);
    if (converted->size() > kRctCountMax)
        return UsageError(kCommand, "the name is longer than %u bytes", kRctCountMax);
    sjis = *converted;
    return kExitOk;
}

int Encode(const char* in, const char* out, RctVariant variant, const std::string& name) {
    RctImage image;
    bool droppedAlpha = false;
    std::string error;
    if (!ReadPictureFile(in, image, droppedAlpha, error)) {
        PrintError(kCommand, "%s", error.c_str());
        return kExitFailure;
    }
    if (droppedAlpha)
        PrintError(kCommand, "warning: '%s' has an alpha channel; it is dropped", in);
    if (RctPictureBytes(image.width, image.height) == 0) {
        PrintError(kCommand, "'%s' is too large for an RCT picture (%d x %d)", in, image.width, image.height);
        return kExitFailure;
    }
    std::vector<unsigned char> file = EncodeRctFile(image, variant, name);
    if (!WriteWholeFile(out, file)) {
        PrintError(kCommand, "cannot write '%s'", out);
        return kExitFailure;
    }
    RctImage check;
    if (DecodeRctFile(out, check) != RctLoadStatus::Ok || check.bgr != image.bgr) {
        PrintError(kCommand, "'%s' does not read back as the picture it was made from", out);
        return kExitFailure;
    }
    double raw = 3.0 * image.width * image.height;
    PrintText(stdout, "%s: %s %d x %d, %zu bytes (%.1f%% of raw 24-bit)\n", out, RctVariantName(variant), image.width,
                image.height, file.size(), 100.0 * static_cast<double>(file.size()) / raw);
    return kExitOk;
}

int RunEncode(int argc, char** argv) {
    static const option kOptions[] = {
        {"variant", required_argument, nullptr, 'v'},
        {"name", required_argument, nullptr, 'n'},
        {"help", no_argument, nullptr, 'h'},
        {}};
    RctVariant variant = RctVariant::TC00;
    const char* name = nullptr;
    optind = 0;
    opterr = 0;
    for (int opt; (opt = getopt_long(argc, argv, "h", kOptions, nullptr)) != -1;) {
        if (opt == 'h')
            return Help();
        if (opt == 'v' && !ParseRctVariantName(optarg, variant))
            return UsageError(kCommand, "unknown variant '%s' (TC00, TS00, TC01 or TS01)", optarg);
        if (opt == 'n')
            name = optarg;
        if (opt == '?')
            return BadOption(kCommand, argv);
    }
    if (argc - optind != 2)
        return UsageError(kCommand, "encode takes an input picture and an output file");
    if (!EndsInRct(argv[optind + 1]))
        return UsageError(kCommand, "the output '%s' must end in .rct (decode writes the other formats)",
                          argv[optind + 1]);
    std::string sjis;
    if (name) {
        if (int rc = ConvertName(name, variant, sjis); rc != kExitOk)
            return rc;
    }
    return Encode(argv[optind], argv[optind + 1], variant, sjis);
}

int RunDecode(const char* in, const char* out) {
    RctImage image;
    RctLoadStatus status = DecodeRctFile(in, image);
    if (status == RctLoadStatus::BadStream || !RctLoadGavePicture(status)) {
        PrintError(kCommand, "'%s': %s", in, DescribeRctLoadStatus(status));
        return kExitFailure;
    }
    if (status == RctLoadStatus::TrailerMismatch)
        PrintError(kCommand, "warning: '%s': %s; writing the blank picture the installer shows", in,
                   DescribeRctLoadStatus(status));
    std::string error;
    if (!WritePictureFile(out, image, error)) {
        PrintError(kCommand, "%s", error.c_str());
        return kExitFailure;
    }
    return kExitOk;
}

// The header comes from the loader's record of what it read; it is cleared
// first so that a file too short for a header shows nothing stale.
int RunInfo(const char* in) {
    LastPictureRecord = {};
    RctImage image;
    RctLoadStatus status = DecodeRctFile(in, image);
    RctHeader header;
    if (!ParseRctHeader(LastPictureRecord.header, header)) {
        PrintError(kCommand, "'%s': %s", in, DescribeRctLoadStatus(status));
        return kExitFailure;
    }
    PrintText(stdout, "file:      %s\nvariant:   %s\nsize:      %d x %d\n", in, RctVariantName(header.variant),
                header.width, header.height);
    if (RctHasName(header.variant))
        PrintText(stdout, "name:      \"%s\" (%u bytes)\n", ShowName(LastPictureRecord.name).c_str(),
                    LastPictureRecord.nameLength);
    PrintText(stdout, "data size: %u bytes\nstream:    %s\n", header.dataSize, DescribeRctLoadStatus(status));
    return status == RctLoadStatus::Ok ? kExitOk : kExitFailure;
}

}  // namespace

int RunRct(int argc, char** argv) {
    if (argc < 2)
        return UsageError(kCommand, "an action is needed: encode, decode or info");
    const char* action = argv[1];
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h"))
            return Help();
    }
    if (!std::strcmp(action, "encode"))
        return RunEncode(argc - 1, argv + 1);
    if (!std::strcmp(action, "decode") && argc == 4)
        return RunDecode(argv[2], argv[3]);
    if (!std::strcmp(action, "info") && argc == 3)
        return RunInfo(argv[2]);
    if (!std::strcmp(action, "decode") || !std::strcmp(action, "info"))
        return UsageError(kCommand, "%s takes %s", action, *action == 'd' ? "IN.rct and OUT" : "IN.rct");
    return UsageError(kCommand, "unknown action '%s'", action);
}
