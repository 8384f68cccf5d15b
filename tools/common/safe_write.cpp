#include "safe_write.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <system_error>

namespace fs = std::filesystem;

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

std::string systemReason(int error) {
    return std::strerror(error);
}

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return {};
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string fileNameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

namespace {

// The file a path names: a symbolic link is followed to its end, also to a file that does not
// exist yet, so that saving writes the file the link points to and keeps the link.
std::string fileBehindLinks(const std::string& requested) {
    std::string path = requested;
    std::error_code ec;
    for (int hop = 0; hop < 40 && fs::is_symlink(fs::symlink_status(path, ec)); ++hop) {
        const fs::path target = fs::read_symlink(path, ec);
        if (ec) break;
        if (target.is_absolute()) {
            path = target.string();
            continue;
        }
        // A relative target counts from the link's real folder, which may itself be a link
        // ("work/s.epd -> ../c/s.epd" with "work -> /data/x" means /data/c/s.epd).
        fs::path folder = fs::path(path).parent_path();
        if (folder.empty()) folder = ".";
        const fs::path real = fs::canonical(folder, ec);
        // Not normalised: a ".." after a folder that is a link is the kernel's to resolve.
        path = ((ec ? folder : real) / target).string();
    }
    return path;
}

// Whether the user may replace an existing file. A file without any write permission is
// read-only also for the super-user, who may write anything: it was made so on purpose.
bool writableFile(const std::string& path, const struct stat& info) {
    if (::access(path.c_str(), W_OK) != 0) return false;
    return ::geteuid() != 0 || (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

}  // namespace

WriteResult writeFileSafely(const std::string& requestedPath,
                            const std::function<bool(std::FILE*)>& writeBody) {
    WriteResult result;
    std::error_code ec;
    const std::string path = fileBehindLinks(requestedPath);
    struct stat old {};
    const bool replacing = ::stat(path.c_str(), &old) == 0;
    if (replacing && S_ISDIR(old.st_mode)) {
        result.error = systemReason(EISDIR);
        return result;
    }
    // A file the user may not write is refused, not replaced.
    if (replacing && !writableFile(path, old)) {
        result.error = "the file is read-only";
        return result;
    }
    const std::string folder = folderOf(path);
    const std::string prefix = folder.empty() ? "" : (folder == "/" ? "/" : folder + "/");
    std::random_device random;
    std::string tempPath;
    FilePtr file;
    for (int attempt = 0; attempt < 100 && !file; ++attempt) {
        char suffix[24];
        std::snprintf(suffix, sizeof suffix, ".~%08x.tmp", static_cast<unsigned>(random()));
        tempPath = prefix + "." + fileNameOf(path) + suffix;
        errno = 0;
        file.reset(std::fopen(tempPath.c_str(), "wbx"));
        if (!file && errno != EEXIST) break;
    }
    if (!file) {
        result.error = systemReason(errno ? errno : EIO);
        return result;
    }
    errno = 0;
    bool ok = writeBody(file.get());
    int error = ok ? 0 : errno;
    if (ok && replacing) {
        // The new file is the old one's: its permissions and, where allowed, its owner.
        const int fd = fileno(file.get());
        // Another user's file in a folder this user may write becomes the user's own, but keeps
        // its group where the user is a member of it.
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
            [[maybe_unused]] const int grouped = ::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
        }
        if (::fchmod(fd, old.st_mode & 07777) != 0) {
            ok = false;
            error = errno;
        }
    }
    if (ok && (std::fflush(file.get()) != 0 || ::fsync(fileno(file.get())) != 0)) {
        ok = false;
        error = errno;
    }
    if (std::fclose(file.release()) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok) {
        fs::rename(tempPath, path, ec);
        if (ec) {
            ok = false;
            error = ec.value();
        }
    }
    if (!ok) {
        fs::remove(tempPath, ec);
        result.error = systemReason(error ? error : EIO);
        return result;
    }
    result.ok = true;
    return result;
}

WriteResult writeBytesSafely(const std::string& path, std::string_view bytes) {
    return writeFileSafely(path, [bytes](std::FILE* file) {
        return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    });
}
