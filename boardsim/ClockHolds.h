#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace quillon::boardsim {

// How long the firmware held the bus clock after each TWI status: from the moment the unit
// set its flag (SCL held low from then on) to the firmware's write of TWINT that lets the
// bus go on. A master that honours clock stretching waits that long; one that does not
// needs every hold to end within its SCL low time. Kept per status, the worst case and the
// number of times the status came, e.g.
//
//   clock hold 80 data received: worst 52 cycles (3.25 us) over 1000
class ClockHolds {
public:
    using Cycle = uint64_t;

    explicit ClockHolds(double cyclesPerMicrosecond) : cyclesPerUs_(cyclesPerMicrosecond) {}

    void Held(uint8_t status, Cycle cycles);
    // One line per status seen, in the order of the status codes.
    std::vector<std::string> Lines() const;
    // "7.31 us"
    std::string Microseconds(Cycle cycles) const;

private:
    struct Worst {
        Cycle cycles = 0;
        uint64_t count = 0;
    };

    double cyclesPerUs_;
    std::map<uint8_t, Worst> byStatus_;
};

} // namespace quillon::boardsim
