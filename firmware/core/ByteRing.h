#pragma once

#include <stdint.h>

namespace quillon {
namespace firmware {

// A byte queue between exactly one producer and one consumer, one of which may be an
// interrupt handler. On the AVR a one-byte load or store cannot be torn, and the volatile
// storage keeps the compiler from publishing an index before the byte it covers, so no
// interrupt locking is needed.
template <uint16_t N> class ByteRing {
    static_assert(N >= 2 && N <= 256 && (N & (N - 1)) == 0,
                  "the indices are bytes that wrap with a mask");

public:
    // One slot stays free to tell a full ring from an empty one.
    static constexpr uint8_t kCapacity = static_cast<uint8_t>(N - 1);

    uint8_t Size() const { return static_cast<uint8_t>((head_ - tail_) & kMask); }
    uint8_t Room() const { return static_cast<uint8_t>(kCapacity - Size()); }
    bool Empty() const { return head_ == tail_; }

    // Producer side; false when the ring is full.
    bool Put(uint8_t byte) {
        const uint8_t head = head_;
        const uint8_t next = static_cast<uint8_t>((head + 1) & kMask);
        if (next == tail_) {
            return false;
        }
        bytes_[head] = byte;
        head_ = next;
        return true;
    }

    // Producer side, for a run of bytes whose room was checked first: Stage() fills from a
    // local head, and one Publish() hands the whole run over. A volatile head store per
    // byte costs more flash and time than the run itself.
    uint8_t Head() const { return head_; }
    void Stage(uint8_t& head, uint8_t byte) {
        bytes_[head] = byte;
        head = static_cast<uint8_t>((head + 1) & kMask);
    }
    void Publish(uint8_t head) { head_ = head; }

    // Consumer side; false when the ring is empty.
    bool Take(uint8_t& byte) {
        const uint8_t tail = tail_;
        if (tail == head_) {
            return false;
        }
        byte = bytes_[tail];
        tail_ = static_cast<uint8_t>((tail + 1) & kMask);
        return true;
    }

private:
    static constexpr uint8_t kMask = static_cast<uint8_t>(N - 1);

    volatile uint8_t bytes_[N] = {};
    volatile uint8_t head_ = 0;
    volatile uint8_t tail_ = 0;
};

} // namespace firmware
} // namespace quillon
