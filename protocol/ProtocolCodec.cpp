#include "ProtocolCodec.h"

#include <algorithm>

namespace quillon::protocol {

uint8_t ProtocolCodec::Crc8(const uint8_t* data, std::size_t size) {
    uint8_t crc = kCrcInitial;
    for (std::size_t i = 0; i < size; ++i) {
        crc = Crc8Step(crc, data[i]);
    }
    return crc;
}

bool ProtocolCodec::Encode(uint8_t seq, uint8_t code, const uint8_t* payload, std::size_t size,
                           std::vector<uint8_t>& out) {
    if (size > kMaxPayload || (size > 0 && payload == nullptr)) {
        return false;
    }
    const std::size_t start = out.size();
    out.push_back(kStx);
    out.push_back(static_cast<uint8_t>(size));
    out.push_back(seq);
    out.push_back(code);
    out.insert(out.end(), payload, payload + size);
    // The CRC covers everything between the start byte and itself.
    out.push_back(Crc8(out.data() + start + kLengthOffset, kHeaderSize - kLengthOffset + size));
    return true;
}

std::vector<uint8_t> ProtocolCodec::Encode(uint8_t seq, uint8_t code,
                                           std::initializer_list<uint8_t> payload) {
    std::vector<uint8_t> out;
    Encode(seq, code, payload.begin(), payload.size(), out);
    return out;
}

void ProtocolCodec::Feed(const uint8_t* data, std::size_t size) {
    if (data == nullptr || size == 0) {
        return;
    }
    buffer_.insert(buffer_.end(), data, data + size);
    DropGarbage();
}

bool ProtocolCodec::Next(Frame& frame) {
    while (buffer_.size() >= kHeaderSize) {
        const std::size_t length = buffer_[kLengthOffset];
        if (length > kMaxPayload) {
            DropFront(1);
            continue;
        }
        const std::size_t total = kHeaderSize + length + kCrcSize;
        if (buffer_.size() < total) {
            return false;
        }
        if (Crc8(buffer_.data() + kLengthOffset, total - kCrcSize - kLengthOffset) !=
            buffer_[total - kCrcSize]) {
            DropFront(1);
            continue;
        }
        frame.seq = buffer_[kSeqOffset];
        frame.code = buffer_[kCodeOffset];
        frame.length = static_cast<uint8_t>(length);
        std::copy_n(buffer_.begin() + kHeaderSize, length, frame.payload.begin());
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(total));
        DropGarbage();
        return true;
    }
    return false;
}

void ProtocolCodec::LineIdle() {
    if (!buffer_.empty()) {
        DropFront(1);
    }
}

void ProtocolCodec::DropFront(std::size_t count) {
    count = std::min(count, buffer_.size());
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(count));
    discarded_ += count;
    DropGarbage();
}

void ProtocolCodec::DropGarbage() {
    const auto stx = std::find(buffer_.begin(), buffer_.end(), kStx);
    const auto count = static_cast<std::size_t>(stx - buffer_.begin());
    if (count > 0) {
        buffer_.erase(buffer_.begin(), stx);
        discarded_ += count;
    }
}

} // namespace quillon::protocol
