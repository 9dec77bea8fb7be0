#include "FrameReceiver.h"

namespace quillon {
namespace firmware {

using protocol::FrameFormat;

bool FrameReceiver::Push(uint8_t byte, uint16_t nowMs) {
    // Scan() leaves either no frame start, an incomplete frame (shorter than a whole
    // frame) or a ready frame, so with no frame ready there is always room for one more.
    if (ready_) {
        return false;
    }
    lastByteMs_ = nowMs;
    if (size_ == 0 && byte != FrameFormat::kStx) {
        return true;
    }
    buffer_[size_++] = byte;
    Scan();
    return true;
}

bool FrameReceiver::IdleExpired(uint16_t nowMs) const {
    return HasPartial() && LineIdle(nowMs);
}

void FrameReceiver::CheckIdle(uint16_t nowMs) {
    if (!IdleExpired(nowMs)) {
        return;
    }
    DropFront(1);
    Scan();
}

void FrameReceiver::Consume() {
    if (!ready_) {
        return;
    }
    ready_ = false;
    DropFront(static_cast<uint8_t>(FrameFormat::kHeaderSize + Length() + FrameFormat::kCrcSize));
    Scan();
}

void FrameReceiver::DropFront(uint8_t count) {
    if (count > size_) {
        count = size_;
    }
    uint8_t start = count;
    // Whatever precedes the next start byte is garbage.
    while (start < size_ && buffer_[start] != FrameFormat::kStx) {
        ++start;
    }
    size_ = static_cast<uint8_t>(size_ - start);
    // Forwards, byte by byte: the bytes only ever move towards the front, and the loop
    // is smaller on the microcontroller than the library's memmove.
    for (uint8_t i = 0; i < size_; ++i) {
        buffer_[i] = buffer_[start + i];
    }
}

void FrameReceiver::Scan() {
    while (size_ >= FrameFormat::kHeaderSize) {
        const uint8_t length = Length();
        if (length > FrameFormat::kMaxPayload) {
            DropFront(1);
            continue;
        }
        const uint8_t total =
            static_cast<uint8_t>(FrameFormat::kHeaderSize + length + FrameFormat::kCrcSize);
        if (size_ < total) {
            return;
        }
        const uint8_t crcAt = static_cast<uint8_t>(total - FrameFormat::kCrcSize);
        uint8_t crc = FrameFormat::kCrcInitial;
        for (uint8_t i = FrameFormat::kLengthOffset; i < crcAt; ++i) {
            crc = FrameFormat::Crc8Step(crc, buffer_[i]);
        }
        if (crc != buffer_[crcAt]) {
            DropFront(1);
            continue;
        }
        ready_ = true;
        return;
    }
}

} // namespace firmware
} // namespace quillon
