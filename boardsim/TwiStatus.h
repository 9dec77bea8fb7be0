#pragma once

#include <cstdint>

namespace quillon::boardsim {

// TWI status codes of the slave side (ATmega328P data sheet, TWSR with the prescaler masked).
enum TwiStatus : uint8_t {
    kOwnAddressWrite = 0x60,  // own SLA+W received, ACK returned
    kDataReceived = 0x80,     // data byte received, ACK returned
    kDataRefused = 0x88,      // data byte received, NOT ACK returned
    kStopOrRestart = 0xA0,    // STOP or repeated START while addressed
    kOwnAddressRead = 0xA8,   // own SLA+R received, ACK returned
    kDataSentAcked = 0xB8,    // byte in TWDR sent, master ACKed: it wants another
    kDataSentNotAcked = 0xC0, // byte in TWDR sent, master NOT ACKed: it is done
    kNoState = 0xF8,          // nothing to report, TWINT clear
};

} // namespace quillon::boardsim
