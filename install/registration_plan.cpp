#include "install/registration_plan.h"

#include <cstdio>
#include <cstring>

#include "shell/mbtext.h"

const char kProbeFileName[] = "UserAccountCheck.id";
const char kAccessBatchName[] = "Pelladrover_fullaccess.bat";
const char kUninstallKeyFormat[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\RuRid%s";

namespace {

// snprintf that refuses a cut text instead of handing it on.
template <typename... Args>
bool FormatWhole(char* out, size_t capacity, const char* format, Args... args) {
    int length = std::snprintf(out, capacity, format, args...);
    if (length < 0 || static_cast<size_t>(length) >= capacity) {
        if (capacity > 0)
            out[0] = '\0';
        return false;
    }
    return true;
}

// The byte after the last path separator (or drive colon) of path.
const char* NamePart(const char* path) {
    const char* name = path;
    for (const char* p = path; *p; p = MbsInc(p)) {
        if (*p == '\\' || *p == '/' || *p == ':')
            name = p + 1;
    }
    return name;
}

}  // namespace

bool JoinFolderFile(char* out, size_t capacity, const char* folder, const char* name) {
    char joined[1024];
    if (!CopyText(joined, sizeof joined - 1, folder))
        return false;
    AppendTrailingBackslash(joined);
    return FormatWhole(out, capacity, "%s%s", joined, name);
}

bool ReplaceExtension(char* out, size_t capacity, const char* path, const char* extension) {
    const char* name = NamePart(path);
    const char* dot = nullptr;
    for (const char* p = name; *p; p = MbsInc(p)) {
        if (*p == '.')
            dot = p;
    }
    size_t stem = dot ? static_cast<size_t>(dot - path) : std::strlen(path);
    // A name that ended in "." keeps no empty extension before the new one.
    if (stem > static_cast<size_t>(name - path) && path[stem - 1] == '.')
        --stem;
    return FormatWhole(out, capacity, "%.*s.%s", static_cast<int>(stem), path, extension);
}

bool FormatUninstallKey(char* out, size_t capacity, const char* title) {
    return FormatWhole(out, capacity, kUninstallKeyFormat, title);
}

bool FormatUninstallCommand(char* out, size_t capacity, const char* installFolder) {
    return FormatWhole(out, capacity, "\"%s\\UnInst.exe\"", installFolder);
}

bool FormatAccessBatch(char* out, size_t capacity, const char* installFolder, const char* batchPath) {
    char pif[1024];
    if (!ReplaceExtension(pif, sizeof pif, batchPath, "pif"))
        return false;
    return FormatWhole(out, capacity, "echo y| cacls \"%s\" /p everyone:F\ndel \"%s\"\ndel \"%s\"\n", installFolder,
                       pif, batchPath);
}
