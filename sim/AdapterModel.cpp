#include "AdapterModel.h"

#include "protocol/CommandTable.h"
#include "protocol/CounterBytes.h"
#include "simkit/CommandRules.h"
#include "simkit/HexText.h"

#include <utility>

namespace quillon::sim {

using quillon::protocol::ProtocolCodec;
using simkit::CommandRules;
using simkit::HexText;

namespace {

AdapterModel::Outcome Refuse(const ProtocolCodec::Frame& frame, const std::string& why) {
    AdapterModel::Outcome outcome;
    outcome.events.push_back(CommandRules::Refusal(frame, why));
    return outcome;
}

} // namespace

AdapterModel::AdapterModel(std::string version, uint8_t address, SaveAddress save)
    : version_(std::move(version)),
      address_(quillon::protocol::SlaveAddress::WithoutReadWriteBit(address)),
      save_(std::move(save)) {}

bool AdapterModel::IsValidVersion(const std::string& text) {
    return quillon::protocol::IsVersionText(reinterpret_cast<const uint8_t*>(text.data()),
                                            text.size());
}

AdapterModel::Outcome AdapterModel::Handle(const ProtocolCodec::Frame& frame) {
    if (auto why = CommandRules::Problem(frame)) {
        return Refuse(frame, *why);
    }
    switch (frame.code) {
    case ProtocolCodec::CmdVersion:
        return Reply(frame.seq, ProtocolCodec::RepVersion,
                     std::vector<uint8_t>(version_.begin(), version_.end()), {"version sent"});
    case ProtocolCodec::CmdWrite:
        return Write(frame);
    case ProtocolCodec::CmdReadAddress:
        return Reply(frame.seq, ProtocolCodec::RepAddress, {address_},
                     {"address read " + HexText::Byte(address_)});
    case ProtocolCodec::CmdChangeAddress:
        return ChangeAddress(frame);
    case ProtocolCodec::CmdSaveAddress:
        return SaveAddressNow(frame);
    case ProtocolCodec::CmdPacing:
        return SetPacing(frame);
    case ProtocolCodec::CmdCounters:
        return SendCounters(frame);
    default:
        // CommandRules has refused every other code already.
        return Refuse(frame, "unknown code");
    }
}

AdapterModel::Outcome AdapterModel::Write(const ProtocolCodec::Frame& frame) {
    const uint8_t interrupt = frame.payload[0];
    const uint8_t before = port_;
    port_ = frame.payload[frame.length - 1];
    std::vector<std::string> events{"port " + HexText::Byte(before) + " -> " +
                                    HexText::Byte(port_)};
    if (interrupt != 0) {
        events.push_back("INT" + std::to_string(interrupt) + " pulse");
    }
    Outcome outcome = Reply(frame.seq, static_cast<uint8_t>(ProtocolCodec::RepWrite + interrupt),
                            {}, std::move(events));
    outcome.portWritten = port_;
    return outcome;
}

AdapterModel::Outcome AdapterModel::ChangeAddress(const ProtocolCodec::Frame& frame) {
    using quillon::protocol::SlaveAddress;
    const uint8_t before = address_;
    const uint8_t asked = frame.payload[0];
    // A reserved address is refused: the reply names the address still in use.
    if (confirmAddress_) {
        address_ = *confirmAddress_;
    } else if (!SlaveAddress::IsReserved(SlaveAddress::WithoutReadWriteBit(asked))) {
        address_ = SlaveAddress::WithoutReadWriteBit(asked);
    }
    return Reply(frame.seq, ProtocolCodec::RepChanged, {address_},
                 {CommandRules::AddressChange(before, asked, address_)});
}

AdapterModel::Outcome AdapterModel::SaveAddressNow(const ProtocolCodec::Frame& frame) {
    if (confirmAddress_) {
        address_ = *confirmAddress_;
    }
    if (const auto why = save_ ? save_(address_) : std::nullopt) {
        // Confirming a save that did not happen would make the panel report a stored
        // address that is lost at the next power-up; staying silent shows up as a time-out.
        return Refuse(frame, "address " + HexText::Byte(address_) + " not saved: " + *why);
    }
    return Reply(frame.seq, ProtocolCodec::RepSaved, {address_},
                 {"address saved " + HexText::Byte(address_)});
}

AdapterModel::Outcome AdapterModel::SetPacing(const ProtocolCodec::Frame& frame) {
    using quillon::protocol::Pacing;
    if (frame.payload[0] != quillon::protocol::kPacingAsk) {
        pacing_ = confirmPacing_.value_or(static_cast<Pacing>(frame.payload[0]));
    }
    return Reply(frame.seq, ProtocolCodec::RepPacing, {static_cast<uint8_t>(pacing_)},
                 {pacing_ == Pacing::Hold ? "pacing hold" : "pacing release"});
}

AdapterModel::Outcome AdapterModel::SendCounters(const ProtocolCodec::Frame& frame) const {
    using quillon::protocol::Counter;
    using quillon::protocol::CounterBytes;
    using quillon::protocol::kCounterSize;
    std::vector<uint8_t> payload(quillon::protocol::kCountersSize, 0);
    const auto put = [&payload](Counter counter, uint32_t value) {
        CounterBytes::Write(value, payload.data() + static_cast<uint8_t>(counter) * kCounterSize);
    };
    put(Counter::MasterWrites, masterWrites_);
    put(Counter::MasterReads, masterReads_);
    put(Counter::AddressOnly, addressOnly_);
    return Reply(frame.seq, ProtocolCodec::RepCounters, std::move(payload), {"counters sent"});
}

AdapterModel::Outcome AdapterModel::MasterProbe() {
    ++addressOnly_;
    Outcome outcome;
    outcome.events.push_back("master probe");
    return outcome;
}

AdapterModel::Outcome AdapterModel::MasterRead() {
    ++masterReads_;
    Outcome outcome;
    outcome.events.push_back("master read " + HexText::Byte(port_));
    return outcome;
}

AdapterModel::Outcome AdapterModel::MasterWrite(const std::vector<uint8_t>& bytes) {
    Outcome outcome;
    if (bytes.empty() || bytes.size() > ProtocolCodec::kMaxPayload) {
        outcome.events.push_back("error master write of " + std::to_string(bytes.size()) +
                                 " bytes, expected 1.." +
                                 std::to_string(ProtocolCodec::kMaxPayload));
        return outcome;
    }
    port_ = bytes.back();
    ++masterWrites_;
    ProtocolCodec::Encode(0, ProtocolCodec::MasterData, bytes.data(), bytes.size(), outcome.frame);
    outcome.events.push_back("master wrote " + HexText::Bytes(bytes));
    return outcome;
}

AdapterModel::Outcome AdapterModel::Reply(uint8_t seq, uint8_t code, std::vector<uint8_t> payload,
                                          std::vector<std::string> events) const {
    Outcome outcome;
    ProtocolCodec::Encode(seq, code, payload.data(), payload.size(), outcome.frame);
    outcome.events = std::move(events);
    return outcome;
}

} // namespace quillon::sim
