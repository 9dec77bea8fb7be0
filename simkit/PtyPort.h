#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace quillon::simkit {

// The adapter's end of the serial line: a pseudo-terminal whose slave device a client opens
// as its serial port. A slave descriptor of our own stays open so that the master does not
// see a hang-up between clients, and the line stays raw whoever opens it.
class PtyPort {
public:
    PtyPort() = default;
    ~PtyPort();
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    // Each returns its problem, if it had one.
    std::optional<std::string> Open();
    // A symlink to the device, replaced if one is there already; removed by Close().
    std::optional<std::string> MakeLink(const std::string& linkPath);

    bool IsOpen() const { return master_ >= 0; }
    int MasterFd() const { return master_; }
    const std::string& DevicePath() const { return device_; }
    // Whether the client's last close would drop DTR on a real port: the slave's HUPCL
    // flag, which the master reads.
    bool HangsUpOnClose() const;

    // Non-blocking; -1 with errno as read(2) set it.
    ssize_t Read(uint8_t* data, std::size_t size);
    // Writes as much of pending as the device takes now and removes that from its front;
    // the rest waits until poll() says the device is writable again (no client reading,
    // or its buffer full).
    void WritePending(std::vector<uint8_t>& pending);

    // Hangs up: the client's reads then fail with EIO and poll() reports POLLHUP.
    void Close();

private:
    int master_ = -1;
    int slave_ = -1;
    std::string device_;
    std::string link_;
};

} // namespace quillon::simkit
