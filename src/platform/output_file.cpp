// Writing a file whole or not at all.
#include "platform/output_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace mirokel {

namespace {

namespace fs = std::filesystem;

std::string quoted(const std::string& path) { return "\"" + path + "\""; }

std::string systemFault(const char* what, const std::string& path, int error)
{
    return std::string(what) + " " + quoted(path) + ": " + std::strerror(error);
}

// Writes all of `contents` to an open descriptor; the errno of a failure, or 0.
int writeAll(int fd, std::string_view contents)
{
    while (!contents.empty()) {
        const ssize_t written = ::write(fd, contents.data(), contents.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        contents.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

// The standard output or error when `path` is the same file (/dev/stdout, /proc/self/fd/1,
// or the file either is redirected to), else -1. Written through that descriptor, the
// contents follow what the process has printed instead of overwriting it.
int standardDescriptorOf(const std::string& path)
{
    struct stat file {};
    if (::stat(path.c_str(), &file) != 0) return -1;
    for (const int fd : {STDOUT_FILENO, STDERR_FILENO}) {
        struct stat standard {};
        if (::fstat(fd, &standard) == 0 && standard.st_dev == file.st_dev && standard.st_ino == file.st_ino) return fd;
    }
    return -1;
}

std::string writeDirect(const OutputTarget& target, std::string_view contents)
{
    const std::string& path = target.path;
    if (target.descriptor >= 0) {
        std::fflush(nullptr); // what was printed comes first
        const int error = writeAll(target.descriptor, contents);
        return error == 0 ? std::string{} : systemFault("writing failed on", path, error);
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) return systemFault("cannot open", path, errno);
    const int error = writeAll(fd, contents);
    ::close(fd);
    return error == 0 ? std::string{} : systemFault("writing failed on", path, error);
}

// The permissions a new file gets: those of the file it replaces, or 0666 less the umask.
mode_t newFileMode(const std::string& path)
{
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0) return existing.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

std::string writeReplacing(const std::string& path, std::string_view contents)
{
    std::string pattern = path + ".tmp-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) return systemFault("cannot create a temporary file beside", path, errno);
    const std::string temporary(name.data());
    int error = writeAll(fd, contents);
    if (error == 0 && ::fchmod(fd, newFileMode(path)) != 0) error = errno;
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) error = errno;
    if (error == 0) return {};
    ::unlink(temporary.c_str());
    return systemFault("writing failed on", path, error);
}

} // namespace

std::string checkOutputPath(const std::string& path, OutputTarget& target)
{
    if (path.empty()) return "the output file name is empty";
    std::error_code ignored; // a path that does not exist yet has no status
    const fs::file_status status = fs::status(path, ignored); // follows links
    if (fs::is_directory(status)) return quoted(path) + " is a directory";
    if (const int standard = standardDescriptorOf(path); standard >= 0) {
        target = {path, true, standard};
        return {};
    }
    if (fs::exists(status) && !fs::is_regular_file(status)) {
        if (::access(path.c_str(), W_OK) != 0) return systemFault("cannot write", path, errno);
        target = {path, true, -1};
        return {};
    }
    // A regular file is replaced where it lies, also when a link leads to it.
    std::error_code error;
    const fs::path file = fs::exists(status) ? fs::canonical(path, error) : fs::path(path);
    if (error) return systemFault("cannot resolve", path, error.value());
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    if (!fs::is_directory(folder, error)) return "the folder of " + quoted(path) + " does not exist";
    if (::access(folder.c_str(), W_OK) != 0) return systemFault("cannot write in the folder of", path, errno);
    if (fs::exists(status) && ::access(file.c_str(), W_OK) != 0) return systemFault("cannot write", path, errno);
    target = {file.string(), false, -1};
    return {};
}

std::string writeOutputFile(const OutputTarget& target, std::string_view contents)
{
    return target.direct ? writeDirect(target, contents) : writeReplacing(target.path, contents);
}

} // namespace mirokel
