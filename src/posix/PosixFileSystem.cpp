#include "posix/PosixFileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "posix/PosixPaths.h"

namespace quillmar::posix {
namespace {

SystemResult FailureFromErrno(int code) {
    return SystemResult::Failure(code, std::strerror(code));
}

bool WriteAll(int fd, const char* bytes, std::size_t size) {
    while (size > 0) {
        const ssize_t written = write(fd, bytes, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace

std::vector<DirectoryEntry> PosixFileSystem::ListDirectory(const std::string& folder) {
    std::vector<DirectoryEntry> entries;
    std::string base = NativePath(folder);
    if (base.empty()) return entries;
    if (base.back() != '/') base += '/';
    DIR* dir = opendir(base.c_str());
    if (dir == nullptr) return entries;
    while (const dirent* found = readdir(dir)) {
        const std::string name = found->d_name;
        if (name == "." || name == "..") continue;
        struct stat info {};
        const bool known = stat((base + name).c_str(), &info) == 0;
        entries.push_back({name, known && S_ISDIR(info.st_mode), name.front() == '.', false});
    }
    closedir(dir);
    return entries;
}

bool PosixFileSystem::FileExists(const std::string& path) {
    struct stat info {};
    return !path.empty() && stat(NativePath(path).c_str(), &info) == 0;
}

SystemResult PosixFileSystem::Copy(const std::string& from, const std::string& to) {
    const std::string source = NativePath(from);
    const std::string target = NativePath(to);
    const int in = open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return FailureFromErrno(errno);
    struct stat info {};
    if (fstat(in, &info) != 0 || S_ISDIR(info.st_mode)) {
        const int code = S_ISDIR(info.st_mode) ? EISDIR : errno;
        close(in);
        return FailureFromErrno(code);
    }
    const std::string temporary = target + ".quillmar-" + std::to_string(getpid()) + ".tmp";
    const int out = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, info.st_mode & 0777);
    if (out < 0) {
        const int code = errno;
        close(in);
        return FailureFromErrno(code);
    }
    char buffer[64 * 1024];
    int code = 0;
    for (;;) {
        const ssize_t got = read(in, buffer, sizeof buffer);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR) continue;
            code = errno;
            break;
        }
        if (!WriteAll(out, buffer, static_cast<std::size_t>(got))) {
            code = errno;
            break;
        }
    }
    close(in);
    if (close(out) != 0 && code == 0) code = errno;
    if (code == 0 && std::rename(temporary.c_str(), target.c_str()) != 0) code = errno;
    if (code != 0) {
        unlink(temporary.c_str());
        return FailureFromErrno(code);
    }
    return SystemResult::Success();
}

SystemResult PosixFileSystem::Remove(const std::string& path) {
    if (unlink(NativePath(path).c_str()) != 0) return FailureFromErrno(errno);
    return SystemResult::Success();
}

}  // namespace quillmar::posix
