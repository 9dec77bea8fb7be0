// libFuzzer target for the frame codec the library and the simulator share.
//
// Input format: a sequence of chunks, each a control byte and the bytes it announces.
// Control 0xFF means "the line went idle" (LineIdle); otherwise the low six bits give the
// chunk length minus one, and bit 6 multiplies it by 8, so one chunk can exceed a maximal
// frame. The fuzzer thereby controls how the line splits the bytes as well as the bytes.
#include "protocol/ProtocolCodec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using quillon::protocol::ProtocolCodec;

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// A frame the receiver hands out must survive the round trip: encoding it gives bytes that
// a fresh receiver decodes to the same frame, with nothing left over or discarded.
void CheckRoundTrip(const ProtocolCodec::Frame& frame) {
    Require(frame.length <= ProtocolCodec::kMaxPayload);
    std::vector<uint8_t> bytes;
    Require(
        ProtocolCodec::Encode(frame.seq, frame.code, frame.payload.data(), frame.length, bytes));
    Require(bytes.size() == ProtocolCodec::kHeaderSize + frame.length + ProtocolCodec::kCrcSize);
    ProtocolCodec again;
    again.Feed(bytes.data(), bytes.size());
    ProtocolCodec::Frame decoded;
    Require(again.Next(decoded));
    Require(decoded.seq == frame.seq && decoded.code == frame.code &&
            decoded.length == frame.length &&
            std::memcmp(decoded.payload.data(), frame.payload.data(), frame.length) == 0);
    Require(again.Buffered() == 0 && again.Discarded() == 0);
    Require(!again.Next(decoded));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    ProtocolCodec codec;
    ProtocolCodec::Frame frame;
    std::size_t fed = 0;
    std::size_t framed = 0;
    std::size_t pos = 0;
    while (pos < size) {
        const uint8_t control = data[pos++];
        if (control == 0xFF) {
            codec.LineIdle();
        } else {
            std::size_t length = (control & 0x3Fu) + 1;
            if (control & 0x40u) {
                length *= 8;
            }
            if (length > size - pos) {
                length = size - pos;
            }
            const std::size_t before = codec.Buffered();
            codec.Feed(data + pos, length);
            pos += length;
            fed += length;
            // Only what this chunk brought can be added to a partial frame.
            Require(codec.Buffered() <= before + length);
        }
        while (codec.Next(frame)) {
            CheckRoundTrip(frame);
            framed += ProtocolCodec::kHeaderSize + frame.length + ProtocolCodec::kCrcSize;
        }
        // Drained: what is left is one partial frame at most, starting with its STX.
        Require(codec.Buffered() < ProtocolCodec::kMaxFrame);
        Require(codec.HasPartial() == (codec.Buffered() > 0));
        // Every byte is accounted for: in a frame, discarded, or still buffered.
        Require(fed == framed + codec.Discarded() + codec.Buffered());
    }
    // Enough idle periods always empty the buffer.
    for (std::size_t i = 0; i < ProtocolCodec::kMaxFrame && codec.HasPartial(); ++i) {
        codec.LineIdle();
        while (codec.Next(frame)) {
            CheckRoundTrip(frame);
        }
    }
    Require(!codec.HasPartial());
    return 0;
}
