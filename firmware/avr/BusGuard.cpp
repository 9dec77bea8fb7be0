#include "BusGuard.h"

#include <util/twi.h>

namespace quillon {
namespace firmware {

namespace {

// Bit 0: addressed (mid-transaction); bits 1..7: count of statuses seen, so one byte,
// read by the main loop in one access, tells both whether the bus moved and where it is.
constexpr uint8_t kAddressed = 0x01;
constexpr uint8_t kOneStatus = 0x02;
volatile uint8_t gBus = 0;

uint8_t gLastBus = 0;
uint16_t gSinceMs = 0;

bool StaysAddressed(uint8_t status) {
    switch (status) {
    case TW_SR_SLA_ACK:
    case TW_SR_ARB_LOST_SLA_ACK:
    case TW_SR_DATA_ACK:
    case TW_ST_SLA_ACK:
    case TW_ST_ARB_LOST_SLA_ACK:
    case TW_ST_DATA_ACK:
        return true;
    default:
        // Stop, the master's NACK or last byte, a bus error: the unit is free again.
        return false;
    }
}

} // namespace

void BusGuard::Seen(uint8_t status) {
    const uint8_t counted = static_cast<uint8_t>((gBus + kOneStatus) & ~kAddressed);
    gBus = StaysAddressed(status) ? static_cast<uint8_t>(counted | kAddressed) : counted;
}

bool BusGuard::Stuck(uint16_t nowMs, bool clockHeld) {
    const uint8_t bus = gBus;
    if (bus != gLastBus || (bus & kAddressed) == 0 || clockHeld) {
        gLastBus = bus;
        gSinceMs = nowMs;
        return false;
    }
    return static_cast<uint16_t>(nowMs - gSinceMs) > kTimeoutMs;
}

bool BusGuard::StillStuck() {
    const uint8_t bus = gBus;
    if (bus != gLastBus) {
        return false;
    }
    gBus = static_cast<uint8_t>(bus & ~kAddressed);
    return true;
}

} // namespace firmware
} // namespace quillon
