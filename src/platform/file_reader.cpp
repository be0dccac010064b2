#include "platform/file_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <cerrno>

namespace orvik {

namespace {

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

std::optional<std::string> ReadSmallFile(const QString& path, std::size_t limit) {
    // Non-blocking, so that opening a FIFO returns at once instead of waiting
    // for a writer; the type check below then turns it away.
    const Descriptor fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    if (st.st_size < 0 || static_cast<unsigned long long>(st.st_size) > limit) return std::nullopt;

    // The size is only a hint: the file may grow while it is read, so the
    // read itself stops one byte past the limit.
    std::string bytes(static_cast<std::size_t>(st.st_size) + 1, '\0');
    std::size_t done = 0;
    for (;;) {
        if (done == bytes.size()) {
            if (bytes.size() > limit) return std::nullopt;
            bytes.resize(std::min(limit + 1, bytes.size() * 2));
        }
        const ssize_t n = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    if (done > limit) return std::nullopt;
    bytes.resize(done);
    return bytes;
}

}  // namespace orvik
