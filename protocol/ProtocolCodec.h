#pragma once

#include "FrameFormat.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace quillon::protocol {

// The adapter's frame format (docs/protocol.md; its numbers and codes come from
// FrameFormat). Pure: no I/O, no clocks, so it can be tested and fuzzed on its own.
class ProtocolCodec : public FrameFormat {
public:
    struct Frame {
        uint8_t seq = 0;
        uint8_t code = 0;
        uint8_t length = 0;
        std::array<uint8_t, kMaxPayload> payload{};

        const uint8_t* begin() const { return payload.data(); }
        const uint8_t* end() const { return payload.data() + length; }
    };

    static uint8_t Crc8(const uint8_t* data, std::size_t size);

    // Appends the encoded frame to out. A payload longer than kMaxPayload cannot be sent
    // and yields false with out untouched.
    static bool Encode(uint8_t seq, uint8_t code, const uint8_t* payload, std::size_t size,
                       std::vector<uint8_t>& out);
    static std::vector<uint8_t> Encode(uint8_t seq, uint8_t code,
                                       std::initializer_list<uint8_t> payload = {});

    // Receiving side: feed whatever the line brought, then take frames while Next() says so.
    void Feed(const uint8_t* data, std::size_t size);
    bool Next(Frame& frame);

    // The line went quiet with a partial frame buffered: give up on its start byte.
    void LineIdle();

    bool HasPartial() const { return !buffer_.empty(); }
    std::size_t Buffered() const { return buffer_.size(); }
    // Bytes thrown away as garbage since construction.
    std::size_t Discarded() const { return discarded_; }

private:
    void DropGarbage();
    void DropFront(std::size_t count);

    std::vector<uint8_t> buffer_;
    std::size_t discarded_ = 0;
};

} // namespace quillon::protocol
