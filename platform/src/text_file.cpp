// Reading and replacing small text files (comrt/text_file.h), with POSIX calls.
#include <comrt/text_file.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

namespace comrt {
namespace {

class file_descriptor {
public:
    explicit file_descriptor(int fd) noexcept : fd_(fd) {}
    ~file_descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    file_descriptor(const file_descriptor&) = delete;
    file_descriptor& operator=(const file_descriptor&) = delete;
    int get() const noexcept { return fd_; }
    // Closes now, reporting the outcome (a delayed write error shows here).
    bool close() noexcept {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

bool write_all(int fd, std::string_view data) noexcept {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::string parent_folder(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

}  // namespace

file_read read_text_file(const std::string& path, std::size_t max_bytes, std::string& out) {
    out.clear();
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer. It changes
    // nothing for a regular file.
    int raw;
    do {
        raw = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    } while (raw < 0 && errno == EINTR);
    if (raw < 0) return errno == ENOENT || errno == ENOTDIR ? file_read::missing : file_read::failed;
    file_descriptor fd(raw);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return file_read::failed;
    if (!S_ISREG(st.st_mode)) return file_read::not_regular;
    if (st.st_size < 0 || static_cast<unsigned long long>(st.st_size) > max_bytes) return file_read::too_large;
    out.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[8192];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            out.clear();
            return file_read::failed;
        }
        // The file may grow while it is read.
        if (out.size() + static_cast<std::size_t>(n) > max_bytes) {
            out.clear();
            return file_read::too_large;
        }
        out.append(buffer, static_cast<std::size_t>(n));
    }
    return file_read::done;
}

bool replace_text_file(const std::string& path, std::string_view text) {
    // The file to replace: the one a symbolic link leads to, so the link stays a link.
    std::string target = path;
    struct stat link {};
    if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        const std::unique_ptr<char, decltype(&::free)> resolved(::realpath(path.c_str(), nullptr), &::free);
        if (!resolved) return false;  // a dangling link or a loop
        target = resolved.get();
    }
    mode_t mode = 0644;
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0) {
        if (!S_ISREG(existing.st_mode)) return false;
        mode = existing.st_mode & 07777;
    }

    // Everything that allocates comes before the rename: once the new file is in place,
    // the call must not fail.
    const std::string folder_path = parent_folder(target);
    std::string temp = target + ".XXXXXX";
    file_descriptor fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (fd.get() < 0) return false;
    const bool written = ::fchmod(fd.get(), mode) == 0 && write_all(fd.get(), text) && ::fsync(fd.get()) == 0;
    if (!fd.close() || !written || ::rename(temp.c_str(), target.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    // The rename is durable once the folder is flushed; failing that does not undo it.
    file_descriptor folder(::open(folder_path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0) ::fsync(folder.get());
    return true;
}

}  // namespace comrt
