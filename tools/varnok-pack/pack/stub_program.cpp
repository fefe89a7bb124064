#include "tools/varnok-pack/pack/stub_program.h"

#include <strings.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "archive/pe_file.h"
#include "archive/payload_locate.h"
#include "archive/stdio_file.h"
#include "tools/varnok-pack/host/host_files.h"

namespace {

constexpr char kInstallerAssembly[] = "Pelladrover.exe";
constexpr char kUninstallerAssembly[] = "UnInst.exe";

// What a file is, as far as pack cares.
struct ProgramFile {
    UniqueFile file;
    int64_t length = 0;
    bool program = false;  // PE headers that add up
    PeHeaders pe;
    std::string assembly;  // the manifest's own assembly name
};

bool Open(const std::string& path, ProgramFile& program, std::string& error) {
    program.file.reset(OpenPath(path, "rb"));
    program.length = program.file ? SeekFileEnd(program.file.get()) : -1;
    if (program.length < 0) {
        error = "'" + path + "': " + std::strerror(errno);
        return false;
    }
    program.program = ReadPeHeaders(program.file.get(), program.length, program.pe);
    if (program.program)
        program.assembly = ManifestAssemblyName(ReadPeManifest(program.file.get(), program.length, program.pe));
    return true;
}

bool IsAssembly(const ProgramFile& program, const char* name) { return !strcasecmp(program.assembly.c_str(), name); }

// Why a file that is no Windows program is not one, in words.
std::string NotAProgram(const std::string& path, const ProgramFile& program, const char* role) {
    unsigned char magic[4] = {};
    bool elf = SeekFile(program.file.get(), 0, SEEK_SET) && ReadExact(program.file.get(), magic, 4) &&
               std::memcmp(magic, "\x7F" "ELF", 4) == 0;
    return "'" + path + "' is not " + role + ": " +
           (elf ? "it is a Linux program" : "it is not a Windows program (no PE headers)");
}

}  // namespace

bool CheckInstallerStub(const std::string& path, InstallerStub& stub, std::string& error) {
    ProgramFile program;
    if (!Open(path, program, error))
        return false;
    const char* role = "the installer program Pelladrover.exe";
    if (!program.program) {
        error = NotAProgram(path, program, role);
        return false;
    }
    if (IsAssembly(program, kUninstallerAssembly)) {
        error = "'" + path + "' is the uninstaller UnInst.exe, not " + role;
        return false;
    }
    if (!IsAssembly(program, kInstallerAssembly)) {
        error = "'" + path + "' is not " + role + ": its manifest does not name the assembly " + kInstallerAssembly;
        return false;
    }
    OpenedArchive own = OpenAppendedArchiveFile(OpenPath(path, "rb"));
    UniqueFile ownFile(own.file);
    if (own.carried) {
        error = "'" + path + "' is an installer that already carries a game; pack behind a bare Pelladrover.exe";
        return false;
    }
    if (program.length > INT32_MAX) {
        error = "'" + path + "' is 2 GiB or larger; the installer could not find its archive";
        return false;
    }
    int64_t table = CertificateTableStart(program.file.get(), program.length, program.pe);
    stub = InstallerStub{program.length, 0, -1, -1};
    if (table >= 0)
        stub = InstallerStub{table, program.length - table, program.pe.securityEntryAt, program.pe.checkSumAt};
    return true;
}

bool CopyInstallerStub(const std::string& path, const InstallerStub& stub, FILE* out, std::string& error) {
    UniqueFile in(OpenPath(path, "rb"));
    std::vector<char> buffer(1 << 20);
    int64_t left = stub.length;
    while (in && left > 0) {
        size_t n = std::fread(buffer.data(), 1, static_cast<size_t>(std::min<int64_t>(left, buffer.size())), in.get());
        if (n == 0)
            break;
        if (std::fwrite(buffer.data(), 1, n, out) != n) {
            error = std::string("cannot write the output: ") + std::strerror(errno);
            return false;
        }
        left -= static_cast<int64_t>(n);
    }
    if (!in || left > 0) {
        error = "'" + path + "': cannot be read";
        return false;
    }
    if (stub.removedSignature == 0)
        return true;
    const unsigned char zeros[8] = {};
    bool cleared = SeekFile(out, stub.securityEntryAt, SEEK_SET) && std::fwrite(zeros, 1, 8, out) == 8 &&
                   SeekFile(out, stub.checkSumAt, SEEK_SET) && std::fwrite(zeros, 1, 4, out) == 4 &&
                   SeekFile(out, 0, SEEK_END);
    if (!cleared)
        error = std::string("cannot write the output: ") + std::strerror(errno);
    return cleared;
}

bool CheckUninstallerProgram(const std::string& path, std::string& error) {
    ProgramFile program;
    if (!Open(path, program, error))
        return false;
    const char* role = "an uninstaller";
    if (!program.program)
        error = NotAProgram(path, program, role);
    else if (!(program.pe.characteristics & kPeExecutableImage) || (program.pe.characteristics & kPeDll))
        error = "'" + path + "' is not " + role + ": it is a Windows library, not a program";
    else if (IsAssembly(program, kInstallerAssembly))
        error = "'" + path + "' is the installer Pelladrover.exe, not " + role;
    return error.empty();
}
