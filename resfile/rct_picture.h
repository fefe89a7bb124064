// Loading an RCT picture file. The steps are shared by the installer, which
// decodes into a DIB surface, and varnok-pack, which decodes into memory.
#pragma once

#include <cstdint>
#include <cstdio>

#include "resfile/rct_format.h"
#include "shell/path_size.h"

// Reads of a file that stays shorter than its header or data size before
// the short file is reported.
constexpr int kRctReadAttempts = 3;
constexpr size_t kRctKeptNameSize = 256;

// What the last load read, kept for inspection; written by every attempt
// whose magic is one of the four.
struct RctPictureRecord {
    unsigned char header[kRctHeaderSize];
    char fileName[kPathSize];  // as passed to the load, cut when longer
    uint16_t nameLength;              // of the embedded name, in the file
    char name[kRctKeptNameSize];      // its first bytes, up to a zero byte, whole characters
};
extern RctPictureRecord LastPictureRecord;

enum class RctLoadStatus {
    Ok = 0,
    CannotOpen,       // the callback could not open the file
    ShortFile,        // shorter than its header or data size, and not retried
    BadMagic,         // none of the four magics
    BadSize,          // width or height 0 or less, too large, or more than the stream can decode to
    NoPixels,         // the callback could not create the picture
    TrailerMismatch,  // "TS" variant without its trailer: blank picture
    BadStream,        // malformed pixel stream: blank picture
};

// True for the results that leave a picture (possibly blank) behind.
inline bool RctLoadGavePicture(RctLoadStatus s) {
    return s == RctLoadStatus::Ok || s == RctLoadStatus::TrailerMismatch || s == RctLoadStatus::BadStream;
}

// A short English description, for the tool and for tests.
const char* DescribeRctLoadStatus(RctLoadStatus status);

// Where a load gets its file and puts its pixels.
class RctLoadCallback {
public:
    virtual ~RctLoadCallback() = default;
    // An open binary stream at the file's start, or nullptr.
    virtual FILE* OpenFile(const char* name) = 0;
    // The file stayed short for kRctReadAttempts reads: true to read it again.
    virtual bool RetryShortFile(const char* name) = 0;
    // Pixel memory for a 24-bit picture with rows stride bytes apart
    // (stride >= 3 x width), or nullptr. Called at most once per load.
    virtual unsigned char* CreatePixels(int32_t width, int32_t height, int32_t& stride) = 0;
};

// Opens, reads and decodes the picture. The pixels are decoded packed in
// place and then spread to the stride; on TrailerMismatch and BadStream they
// are all zero.
RctLoadStatus LoadRct(const char* name, RctLoadCallback& callback);

struct DibSurface;

// Windows: the picture through the file locator into a new unlocked 24-bit
// DibSurface, released with FreeDibSurface. Null for a bad magic or size,
// or when no surface can be created; a blank surface for a damaged stream.
DibSurface* LoadRctPicture(const char* name);
