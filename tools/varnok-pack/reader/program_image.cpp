#include "tools/varnok-pack/reader/program_image.h"

#include <algorithm>
#include <limits>

#include "archive/pe_file.h"
#include "archive/stdio_file.h"
#include "shell/little_endian.h"

int64_t ProgramImageEnd(FILE* file) {
    // No bound from the file's length: a file cut inside its program still
    // tells where the program would end.
    constexpr int64_t kNoBound = std::numeric_limits<int64_t>::max() / 2;
    PeHeaders headers;
    if (!ReadPeHeaders(file, kNoBound, headers))
        return -1;
    int64_t end = headers.imageEnd;
    // What a linker may put behind the sections: the COFF symbols with
    // their string table. A signer's certificate table is not counted: the
    // archive of a signed installer lies in front of it.
    if (headers.symbolsAt != 0) {
        constexpr int kSymbolSize = 18;
        int64_t strings = headers.symbolsAt + int64_t{headers.symbolCount} * kSymbolSize;
        unsigned char size[4];
        bool read = SeekFile(file, strings, SEEK_SET) && ReadExact(file, size, sizeof size);
        end = std::max(end, strings + (read ? LoadU32(size) : 0));
    }
    return end;
}
