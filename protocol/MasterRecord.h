#pragma once

// The record one 'i' frame becomes (docs/protocol.md, TI2CData): the library writes it and
// its users read it back, both by these offsets.

#include "CommandTable.h"
#include "FrameFormat.h"

#include <stddef.h>
#include <stdint.h>

namespace quillon {
namespace protocol {

struct MasterRecord {
    // The transaction's last byte: the value the port now has.
    static constexpr size_t kPortOffset = 0;
    // How many bytes the transaction had.
    static constexpr size_t kCountOffset = 1;
    // The transaction's bytes in bus order, then zeros to the end.
    static constexpr size_t kBytesOffset = 2;
    static constexpr size_t kSize = kBytesOffset + FrameFormat::kMaxPayload;

    // Fills a zeroed record of kSize bytes from one 'i' frame's payload (1..kMaxPayload
    // bytes).
    static void Fill(const uint8_t* bytes, uint8_t count, uint8_t* record) {
        record[kPortOffset] = bytes[count - 1];
        record[kCountOffset] = count;
        for (uint8_t i = 0; i < count; ++i) {
            record[kBytesOffset + i] = bytes[i];
        }
    }

    // The number of transaction bytes a record holds; 0 when its count cannot be right.
    static size_t Count(const uint8_t* record) {
        const size_t count = record[kCountOffset];
        return count >= kMinMasterData && count <= FrameFormat::kMaxPayload ? count : 0;
    }
};

} // namespace protocol
} // namespace quillon
