// A program file's headers and the archive it may carry: what the tool
// reads from a stub or an installer it is given, and the installer from
// itself. Every offset handed out lies inside the file.
#include "archive/payload_locate.h"
#include "archive/pe_file.h"
#include "archive/stdio_file.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int64_t length = static_cast<int64_t>(size);
    {
        UniqueFile file = OpenFuzzInput(data, size);
        PeHeaders pe;
        if (ReadPeHeaders(file.get(), length, pe)) {
            FUZZ_CHECK(pe.imageEnd >= 0 && pe.imageEnd <= length);
            int64_t table = CertificateTableStart(file.get(), length, pe);
            FUZZ_CHECK(table == -1 || (table >= pe.imageEnd && table < length));
            std::string manifest = ReadPeManifest(file.get(), length, pe);
            FUZZ_CHECK(manifest.size() <= size);
            FUZZ_CHECK(ManifestAssemblyName(manifest).size() <= manifest.size());
        }
    }
    OpenedArchive archive = OpenAppendedArchiveFile(OpenFuzzInput(data, size).release());
    UniqueFile owned(archive.file);
    FUZZ_CHECK((archive.status == ArchiveStatus::Ok) == (archive.file != nullptr));
    if (archive.file) {
        int64_t start = TellFile(archive.file);
        FUZZ_CHECK(start >= 0 && archive.payloadLength >= 0 && start + archive.payloadLength + 4 <= length);
    }
    return 0;
}
