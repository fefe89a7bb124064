// The programs pack builds an installer from, recognised by what they are,
// not by their file names: the stub must be our installer (a PE program
// whose manifest names the assembly "Pelladrover.exe") with no game of its
// own; the uninstaller any PE executable but the installer.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

struct InstallerStub {
    int64_t length = 0;            // the bytes of the stub the installer begins with
    int64_t removedSignature = 0;  // bytes of a certificate table left out; 0: the stub was not signed
    int64_t securityEntryAt = -1;  // the header fields to clear when the table is left out
    int64_t checkSumAt = -1;
};

// False with the reason in `error` when `path` cannot serve as the stub.
bool CheckInstallerStub(const std::string& path, InstallerStub& stub, std::string& error);

// Writes the stub at the start of `out`. A signed stub goes without its
// certificate table, its security entry and its check sum, which would
// describe a file that no longer exists once the archive follows.
bool CopyInstallerStub(const std::string& path, const InstallerStub& stub, FILE* out, std::string& error);

// False with the reason in `error` when `path` is not a Windows program
// that may be registered as the uninstaller: our UnInst.exe or any other
// PE executable the publisher chose, but no DLL and not the installer.
bool CheckUninstallerProgram(const std::string& path, std::string& error);
