#pragma once

#include "protocol/CommandTable.h"
#include "protocol/ProtocolCodec.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quillon::sim {

// What the adapter is: the expander's port byte, its slave address and its version text,
// and how it answers a frame. No I/O and no clocks, so every answer can be checked without
// a pseudo-terminal.
class AdapterModel {
public:
    static constexpr uint8_t kPowerOnPort = 0xFF;
    static constexpr uint8_t kDefaultAddress = quillon::protocol::SlaveAddress::kDefault;

    struct Outcome {
        // Encoded frame to send (a reply, or an unsolicited 'i' frame); empty = nothing.
        std::vector<uint8_t> frame;
        // Event lines, without their timestamp, in the order they happened.
        std::vector<std::string> events;
        // Set when a write command put a value on the port (even the value it had).
        std::optional<uint8_t> portWritten;
    };

    // Makes the address permanent; returns why it could not, if it could not.
    using SaveAddress = std::function<std::optional<std::string>(uint8_t address)>;

    AdapterModel(std::string version, uint8_t address, SaveAddress save = {});

    Outcome Handle(const quillon::protocol::ProtocolCodec::Frame& frame);

    // The bus master's side of the expander.
    Outcome MasterRead();
    Outcome MasterWrite(const std::vector<uint8_t>& bytes);
    // START, the adapter's address, STOP: how a bus scan asks whether anyone is there.
    Outcome MasterProbe();

    // A faulty adapter (see SimOptions): what its address and pacing replies then carry.
    void ConfirmAddress(std::optional<uint8_t> address) { confirmAddress_ = address; }
    void ConfirmPacing(std::optional<quillon::protocol::Pacing> pacing) { confirmPacing_ = pacing; }

    uint8_t Port() const { return port_; }
    uint8_t Address() const { return address_; }
    quillon::protocol::Pacing PacingSetting() const { return pacing_; }

    // 1..64 printable ASCII characters: what the reply frame may carry.
    static bool IsValidVersion(const std::string& text);

private:
    Outcome Reply(uint8_t seq, uint8_t code, std::vector<uint8_t> payload,
                  std::vector<std::string> events) const;
    Outcome Write(const quillon::protocol::ProtocolCodec::Frame& frame);
    Outcome ChangeAddress(const quillon::protocol::ProtocolCodec::Frame& frame);
    Outcome SaveAddressNow(const quillon::protocol::ProtocolCodec::Frame& frame);
    Outcome SetPacing(const quillon::protocol::ProtocolCodec::Frame& frame);
    Outcome SendCounters(const quillon::protocol::ProtocolCodec::Frame& frame) const;

    std::string version_;
    uint8_t port_ = kPowerOnPort;
    uint8_t address_;
    SaveAddress save_;
    // The model's line never falls behind (it answers at once), so it never holds the bus
    // and forwards every write: the pacing is only kept and reported, and of the counters
    // only the three that count the bus master's transactions ever grow.
    quillon::protocol::Pacing pacing_ = quillon::protocol::Pacing::Release;
    std::optional<uint8_t> confirmAddress_;
    std::optional<quillon::protocol::Pacing> confirmPacing_;
    uint32_t masterWrites_ = 0;
    uint32_t masterReads_ = 0;
    uint32_t addressOnly_ = 0;
};

} // namespace quillon::sim
