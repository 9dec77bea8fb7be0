#include "CoreRig.h"

#include <cstring>

using quillon::firmware::InterruptLine;

namespace {

// More turns of the main loop than one millisecond can need: the receiver gives up at
// most one start byte per turn and holds one frame at most.
constexpr int kTurnsPerMs = 400;

} // namespace

CoreRig::CoreRig(uint8_t address)
    : loop(*this, tx, master, kVersion, static_cast<uint8_t>(std::strlen(kVersion)), address) {}

void CoreRig::Feed(const std::vector<uint8_t>& bytes) {
    for (const uint8_t byte : bytes) {
        // A byte that arrives while a command waits for queue room waits in the UART's
        // ring; the loop keeps turning (and the line keeps sending) until it is taken.
        while (!loop.WantsByte()) {
            Advance(1);
        }
        loop.Receive(byte, now_);
        Spin(0);
    }
    Spin(0);
}

void CoreRig::Advance(unsigned ms) {
    for (unsigned i = 0; i < ms; ++i) {
        ++now_;
        Spin(lineBytesPerMs);
    }
}

void CoreRig::MasterWrite(const std::vector<uint8_t>& bytes) {
    for (const uint8_t byte : bytes) {
        while (!master.Accept(byte)) {
            ++heldMs;
            Advance(1);
        }
        // A byte on the bus takes longer than a turn of the main loop.
        loop.Step(now_);
    }
    master.EndTransaction();
    if (!bytes.empty()) {
        ++masterWrites;
    }
    Spin(0);
}

std::vector<uint8_t> CoreRig::TakeSent() {
    if (lineBytesPerMs == kInstantLine) {
        Spin(kInstantLine);
    }
    std::vector<uint8_t> sent;
    sent.swap(sent_);
    return sent;
}

void CoreRig::Spin(std::size_t lineBudget) {
    for (int turn = 0; turn < kTurnsPerMs; ++turn) {
        loop.Step(now_);
        if (lineBytesPerMs == kInstantLine) {
            lineBudget = kInstantLine;
        }
        uint8_t byte;
        while (lineBudget > 0 && tx.Take(byte)) {
            sent_.push_back(byte);
            if (lineBudget != kInstantLine) {
                --lineBudget;
            }
        }
    }
}

void CoreRig::WritePort(uint8_t value) {
    ports.push_back(value);
}

void CoreRig::PulseInterrupt(InterruptLine line) {
    pulses.push_back(static_cast<int>(line));
    roomAtPulse.push_back(tx.Room());
}

void CoreRig::UseAddress(uint8_t) {}

bool CoreRig::SaveAddress(uint8_t) {
    return saveSucceeds;
}

bool CoreRig::SavePacing(quillon::firmware::Pacing pacing) {
    if (saveSucceeds) {
        pacingsSaved.push_back(pacing);
    }
    return saveSucceeds;
}

void CoreRig::ReadCounters(quillon::firmware::BusCounters& counters) {
    using quillon::protocol::Counter;
    counters[static_cast<uint8_t>(Counter::MasterWrites)] = masterWrites;
    counters[static_cast<uint8_t>(Counter::NotForwarded)] = master.NotForwarded();
}
