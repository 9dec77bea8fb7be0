#pragma once

#include "firmware/core/AdapterLoop.h"
#include "firmware/core/BoardIo.h"
#include "firmware/core/MasterChunk.h"
#include "firmware/core/TxQueue.h"
#include "protocol/CommandTable.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The firmware's portable core on the host, run the way the microcontroller's main loop
// runs it, with a recording board, a millisecond clock the test moves, and a serial line
// that takes queued bytes either at once or at a set number of bytes per millisecond.
class CoreRig : public quillon::firmware::BoardIo {
public:
    static constexpr uint8_t kDefaultAddress = quillon::protocol::SlaveAddress::kDefault;
    static constexpr const char* kVersion = "Quillon adapter firmware 1.0";
    // The serial line takes every queued byte at once.
    static constexpr std::size_t kInstantLine = SIZE_MAX;

    explicit CoreRig(uint8_t address = kDefaultAddress);

    // Bytes arriving back to back at the current time.
    void Feed(const std::vector<uint8_t>& bytes);
    // Lets the clock run, the main loop turning many times in each millisecond.
    void Advance(unsigned ms);
    // The bus master writes one transaction; a byte refused while the serial line is
    // behind is offered again each millisecond (the clock being held meanwhile).
    void MasterWrite(const std::vector<uint8_t>& bytes);

    // Everything the serial line has sent so far, taken out.
    std::vector<uint8_t> TakeSent();
    // How many bytes the line has sent since the last TakeSent().
    std::size_t SentCount() const { return sent_.size(); }

    // Board side: the values put on the port and the lines pulsed, in order.
    std::vector<uint8_t> ports;
    std::vector<int> pulses;
    bool saveSucceeds = true;
    std::size_t lineBytesPerMs = kInstantLine;
    // Milliseconds the master spent waiting on a held clock.
    unsigned heldMs = 0;
    // Queue room seen at each interrupt pulse: the reply must not be queued yet.
    std::vector<uint8_t> roomAtPulse;
    // The pacing stored, as the EEPROM would keep it; none before the first save.
    std::vector<quillon::firmware::Pacing> pacingsSaved;
    // Master write transactions with data, as the bus side counts them.
    uint32_t masterWrites = 0;

    quillon::firmware::TxQueue tx;
    quillon::firmware::MasterChunk master;
    quillon::firmware::AdapterLoop loop;

    void WritePort(uint8_t value) override;
    void PulseInterrupt(quillon::firmware::InterruptLine line) override;
    void UseAddress(uint8_t address) override;
    bool SaveAddress(uint8_t address) override;
    void ReleaseClock() override {}
    void Traffic() override {}
    void UsePacing(quillon::firmware::Pacing pacing) override { master.UsePacing(pacing); }
    quillon::firmware::Pacing PacingInUse() override { return master.InUse(); }
    bool SavePacing(quillon::firmware::Pacing pacing) override;
    void ReadCounters(quillon::firmware::BusCounters& counters) override;

private:
    void Spin(std::size_t lineBudget);

    uint16_t now_ = 0;
    std::vector<uint8_t> sent_;
};
