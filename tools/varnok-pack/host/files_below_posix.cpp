#include "tools/varnok-pack/host/files_below.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

#include "archive/filetime.h"

namespace {

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    Fd(Fd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    Fd& operator=(Fd&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    ~Fd() {
        if (fd_ >= 0)
            close(fd_);
    }
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

std::vector<std::string> Levels(const std::string& relative) {
    std::vector<std::string> levels;
    for (size_t start = 0; start <= relative.size();) {
        size_t end = relative.find('/', start);
        end = end == std::string::npos ? relative.size() : end;
        if (end > start)
            levels.push_back(relative.substr(start, end - start));
        start = end + 1;
    }
    return levels;
}

std::string Refusal(const std::string& at, int code, bool folder) {
    if (code == ELOOP || (folder && code == ENOTDIR))
        return "'" + at + (folder ? "' is a link or no folder" : "' is a link") +
               "; links in the destination are not followed";
    return "'" + at + "': " + std::strerror(code);
}

// The folder reached through the first `count` levels, made when `make`.
Fd OpenLevels(const std::string& root, const std::vector<std::string>& levels, size_t count, bool make,
              std::string& error) {
    Fd dir(open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0) {
        error = "'" + root + "': " + std::strerror(errno);
        return dir;
    }
    std::string at = root;
    for (size_t i = 0; i < count; ++i) {
        at += "/" + levels[i];
        const int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
        Fd next(openat(dir.get(), levels[i].c_str(), flags));
        if (next.get() < 0 && errno == ENOENT && make && (mkdirat(dir.get(), levels[i].c_str(), 0777) == 0 || errno == EEXIST))
            next = Fd(openat(dir.get(), levels[i].c_str(), flags));
        if (next.get() < 0) {
            error = Refusal(at, errno, true);
            return next;
        }
        dir = std::move(next);
    }
    return dir;
}

}  // namespace

bool MakeFoldersBelow(const std::string& root, const std::string& relative, std::string& error) {
    std::vector<std::string> levels = Levels(relative);
    return OpenLevels(root, levels, levels.size(), true, error).get() >= 0;
}

FILE* CreateFileBelow(const std::string& root, const std::string& relative, std::string& error) {
    std::vector<std::string> levels = Levels(relative);
    if (levels.empty()) {
        error = "'" + root + "': no file name";
        return nullptr;
    }
    Fd dir = OpenLevels(root, levels, levels.size() - 1, false, error);
    if (dir.get() < 0)
        return nullptr;
    Fd file(openat(dir.get(), levels.back().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (file.get() < 0) {
        error = Refusal(root + "/" + relative, errno, false);
        return nullptr;
    }
    FILE* stream = fdopen(file.get(), "wb");
    if (!stream)
        error = std::strerror(errno);
    else
        file.release();
    return stream;
}

bool SetLastWriteTimeBelow(const std::string& root, const std::string& relative, uint64_t fileTime) {
    std::vector<std::string> levels = Levels(relative);
    if (levels.empty())
        return false;
    std::string error;
    Fd dir = OpenLevels(root, levels, levels.size() - 1, false, error);
    UnixTime t = FileTimeToUnix(fileTime);
    struct timespec times[2] = {};
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(t.seconds);
    times[1].tv_nsec = t.nanoseconds;
    return dir.get() >= 0 && utimensat(dir.get(), levels.back().c_str(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

void RemoveFileBelow(const std::string& root, const std::string& relative) {
    std::vector<std::string> levels = Levels(relative);
    if (levels.empty())
        return;
    std::string error;
    Fd dir = OpenLevels(root, levels, levels.size() - 1, false, error);
    if (dir.get() >= 0)
        unlinkat(dir.get(), levels.back().c_str(), 0);
}
