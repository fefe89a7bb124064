#include "tools/varnok-pack/host/host_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>


const char kNullDevice[] = "/dev/null";

FILE* OpenPath(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

FILE* OpenMemoryFile(const std::string& bytes) {
    return fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "r");
}

bool IsPathSeparator(char c) { return c == '/'; }

std::string JoinPath(const std::string& folder, const std::string& name) { return folder + "/" + name; }

namespace {

struct DirCloser {
    void operator()(DIR* d) const { closedir(d); }
};

ItemKind KindOfMode(mode_t mode) {
    return S_ISREG(mode) ? ItemKind::File : S_ISDIR(mode) ? ItemKind::Folder : ItemKind::Other;
}

}  // namespace

bool DescribePath(const std::string& path, DiskItem& item, std::string& error) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        error = std::strerror(errno);
        return false;
    }
    item.kind = KindOfMode(st.st_mode);
    item.size = st.st_size;
    item.seconds = st.st_mtim.tv_sec;
    item.nanoseconds = static_cast<int32_t>(st.st_mtim.tv_nsec);
    return true;
}

bool ListFolder(const std::string& path, std::vector<DiskItem>& items, std::string& error) {
    items.clear();
    std::unique_ptr<DIR, DirCloser> dir(opendir(path.c_str()));
    if (!dir) {
        error = std::strerror(errno);
        return false;
    }
    errno = 0;
    while (dirent* d = readdir(dir.get())) {
        DiskItem item;
        item.name = d->d_name;
        if (item.name == "." || item.name == "..")
            continue;
        std::string why;
        struct stat own;
        item.link = lstat(JoinPath(path, item.name).c_str(), &own) == 0 && S_ISLNK(own.st_mode);
        if (!DescribePath(JoinPath(path, item.name), item, why)) {
            error = "'" + item.name + "': " + why;
            return false;
        }
        items.push_back(std::move(item));
        errno = 0;
    }
    if (errno != 0) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}

ItemKind KindOf(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? KindOfMode(st.st_mode) : ItemKind::Missing;
}

bool ResolvedPath(const std::string& path, std::string& resolved, std::string& error) {
    std::unique_ptr<char, decltype(&std::free)> real(realpath(path.c_str(), nullptr), &std::free);
    if (!real) {
        error = std::strerror(errno);
        return false;
    }
    resolved = real.get();
    return true;
}

bool MakeFolder(const std::string& path, std::string& error) {
    if (mkdir(path.c_str(), 0777) == 0)
        return true;
    error = std::strerror(errno);
    return false;
}

FILE* CreateTempFileBeside(const std::string& path, std::string& tempPath) {
    tempPath = path + ".XXXXXX";
    int fd = mkstemp(tempPath.data());
    if (fd < 0) {
        tempPath.clear();
        return nullptr;
    }
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    FILE* file = fdopen(fd, "wb");
    if (!file) {
        close(fd);
        unlink(tempPath.c_str());
        tempPath.clear();
    }
    return file;
}

bool RenameOver(const std::string& from, const std::string& to) { return std::rename(from.c_str(), to.c_str()) == 0; }

void RemoveFile(const std::string& path) {
    if (!path.empty())
        unlink(path.c_str());
}

std::string ProgramFolder() {
    std::string path(4096, '\0');
    ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
    if (n <= 0 || static_cast<size_t>(n) >= path.size())
        return {};
    path.resize(static_cast<size_t>(n));
    return path.substr(0, path.rfind('/') + 1);
}

int AvailableProcessors() {
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0)
        return CPU_COUNT(&set);
    unsigned n = std::thread::hardware_concurrency();
    return n > 0 ? static_cast<int>(n) : 1;
}
