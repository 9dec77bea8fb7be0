#include "PtyPort.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace quillon::simkit {

namespace {
std::string SystemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}
} // namespace

PtyPort::~PtyPort() {
    Close();
}

std::optional<std::string> PtyPort::Open() {
    // The reason is taken before closing, which may change errno.
    const auto abandon = [this](const std::string& what) {
        std::string problem = SystemError(what);
        Close();
        return problem;
    };
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0) {
        return SystemError("posix_openpt");
    }
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        return abandon("grantpt/unlockpt");
    }
    char name[128];
    if (::ptsname_r(master_, name, sizeof name) != 0) {
        return abandon("ptsname");
    }
    device_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) {
        return abandon("open " + device_);
    }
    termios tio{};
    if (::tcgetattr(slave_, &tio) != 0) {
        return abandon("tcgetattr");
    }
    // A serial line carries bytes, not text: no echo, no line editing, no CR/LF mangling.
    ::cfmakeraw(&tio);
    // A USB serial device comes up with HUPCL set, so its DTR drops at every last close
    // until a client clears the flag; a pseudo-terminal starts without it.
    tio.c_cflag |= HUPCL;
    ::cfsetispeed(&tio, B9600);
    ::cfsetospeed(&tio, B9600);
    if (::tcsetattr(slave_, TCSANOW, &tio) != 0) {
        return abandon("tcsetattr");
    }
    return std::nullopt;
}

std::optional<std::string> PtyPort::MakeLink(const std::string& linkPath) {
    struct stat existing {};
    if (::lstat(linkPath.c_str(), &existing) == 0 && !S_ISLNK(existing.st_mode)) {
        return linkPath + " exists and is not a symlink; not replacing it";
    }
    // Replace a stale link from an earlier run in one step.
    const std::string temp = linkPath + ".tmp." + std::to_string(::getpid());
    ::unlink(temp.c_str());
    if (::symlink(device_.c_str(), temp.c_str()) != 0) {
        return SystemError("symlink " + temp);
    }
    if (::rename(temp.c_str(), linkPath.c_str()) != 0) {
        std::string problem = SystemError("rename to " + linkPath);
        ::unlink(temp.c_str());
        return problem;
    }
    link_ = linkPath;
    return std::nullopt;
}

bool PtyPort::HangsUpOnClose() const {
    termios tio{};
    return ::tcgetattr(master_, &tio) == 0 && (tio.c_cflag & HUPCL) != 0;
}

ssize_t PtyPort::Read(uint8_t* data, std::size_t size) {
    return ::read(master_, data, size);
}

void PtyPort::WritePending(std::vector<uint8_t>& pending) {
    while (!pending.empty()) {
        const ssize_t sent = ::write(master_, pending.data(), pending.size());
        if (sent <= 0) {
            return;
        }
        pending.erase(pending.begin(), pending.begin() + sent);
    }
}

void PtyPort::Close() {
    if (!link_.empty()) {
        // Only our own link: another simulator may have taken the name over meanwhile.
        char target[256];
        const ssize_t n = ::readlink(link_.c_str(), target, sizeof target - 1);
        if (n >= 0 && std::string(target, static_cast<std::size_t>(n)) == device_) {
            ::unlink(link_.c_str());
        }
        link_.clear();
    }
    if (master_ >= 0) {
        ::close(master_);
        master_ = -1;
    }
    if (slave_ >= 0) {
        ::close(slave_);
        slave_ = -1;
    }
}

} // namespace quillon::simkit
