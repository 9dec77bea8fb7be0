#pragma once

// Frames and streams of line bytes as the codec suites build them.
#include "protocol/ProtocolCodec.h"

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace framebytes {

using Bytes = std::vector<uint8_t>;

inline Bytes Frame(uint8_t seq, uint8_t code, const Bytes& payload = {}) {
    Bytes out;
    quillon::protocol::ProtocolCodec::Encode(seq, code, payload.data(), payload.size(), out);
    return out;
}

// What a line brings when the parts follow each other on it.
inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

} // namespace framebytes
