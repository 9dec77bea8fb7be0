#include "StateFile.h"

#include "HexText.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace quillon::simkit {

namespace {
constexpr std::size_t kMaxFileSize = 256;
constexpr std::string_view kKey = "address ";

std::string SystemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}
} // namespace

StateFile::StateFile(std::string path) : path_(std::move(path)) {}

std::string StateFile::Format(uint8_t address) {
    return std::string(kKey) + HexText::Byte(address) + "\n";
}

std::optional<uint8_t> StateFile::Parse(const std::string& text) {
    std::string_view rest(text);
    if (rest.substr(0, kKey.size()) != kKey) {
        return std::nullopt;
    }
    rest.remove_prefix(kKey.size());
    if (!rest.empty() && rest.back() == '\n') {
        rest.remove_suffix(1);
    }
    if (rest.size() != 2) {
        return std::nullopt;
    }
    const auto value = HexText::ParseByte(rest);
    // The adapter only ever stores addresses with the read/write bit clear.
    if (!value || (*value & 0x01)) {
        return std::nullopt;
    }
    return value;
}

StateFile::LoadResult StateFile::Load() const {
    LoadResult result;
    const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) {
            return result;
        }
        result.status = LoadStatus::Malformed;
        result.error = SystemError("cannot open " + path_);
        return result;
    }
    std::string text;
    char buffer[kMaxFileSize + 1];
    ssize_t got = 0;
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0 && text.size() <= kMaxFileSize) {
        text.append(buffer, static_cast<std::size_t>(got));
    }
    const bool readFailed = got < 0;
    ::close(fd);
    result.status = LoadStatus::Malformed;
    if (readFailed) {
        result.error = SystemError("cannot read " + path_);
        return result;
    }
    const auto address = text.size() <= kMaxFileSize ? Parse(text) : std::nullopt;
    if (!address) {
        result.error = "malformed state file " + path_ + " (expected \"address XX\")";
        return result;
    }
    result.status = LoadStatus::Loaded;
    result.address = *address;
    return result;
}

std::optional<std::string> StateFile::Save(uint8_t address) const {
    const std::string temp = path_ + ".tmp." + std::to_string(::getpid());
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return SystemError("cannot create " + temp);
    }
    const std::string text = Format(address);
    std::optional<std::string> failure;
    if (::write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
        failure = SystemError("cannot write " + temp);
    } else if (::fsync(fd) != 0) {
        failure = SystemError("cannot sync " + temp);
    }
    if (::close(fd) != 0 && !failure) {
        failure = SystemError("cannot close " + temp);
    }
    if (failure) {
        ::unlink(temp.c_str());
        return failure;
    }
    if (::rename(temp.c_str(), path_.c_str()) != 0) {
        failure = SystemError("cannot replace " + path_);
        ::unlink(temp.c_str());
        return failure;
    }
    return std::nullopt;
}

} // namespace quillon::simkit
