#pragma once

#include "BoardPins.h"
#include "SimavrBoard.h"

#include <array>
#include <functional>
#include <string>

namespace quillon::boardsim {

// Watches the expander's port and interrupt pins on the simulated board and reports what a
// logic analyser on the header would show: "port FF -> BF" when the port image has
// changed, "INT1 pulse" when an interrupt line has been pulled low and released again.
//
// Settle rule: the firmware changes the port with several register writes (two I/O ports,
// direction and output each), and the pins pass through in-between images meanwhile. A new
// image is reported once it has held for kSettleUs of simulated time; an image that goes
// back before then is not reported at all. The end of an interrupt pulse reports a pending
// port change first, so the port line always comes before the pulse that announces it.
//
// Skew: the time from the first pin change of a transition to its last, that is, how long
// a device on the port may see a mix of the old and the new byte.
class PinWatcher {
public:
    using Report = std::function<void(const std::string& line, SimavrBoard::Cycle when)>;

    static constexpr double kSettleUs = 50;

    // With widths, every pulse line is followed by "INT1 low for 100.1 us".
    enum class Widths { Hidden, Shown };
    // With skew, every port line is followed by "port pins changed within 0.25 us (4 cycles)".
    enum class Skew { Hidden, Shown };

    PinWatcher(SimavrBoard& board, Report report, Widths widths = Widths::Hidden,
               Skew skew = Skew::Hidden);

    // The port as the pins show it now, settled or not.
    uint8_t Image() const { return image_; }

private:
    static void OnWrite(avr_irq_t* irq, uint32_t value, void* param);
    static SimavrBoard::Cycle OnSettled(avr_t* avr, SimavrBoard::Cycle when, void* param);
    void Sample();
    void ReportPort();
    void AfterReset();

    SimavrBoard& board_;
    Report report_;
    Widths widths_;
    Skew skew_;
    std::array<uint16_t, 3> ddrAddress_{};
    std::array<uint16_t, 3> portAddress_{};
    uint8_t reported_ = 0xFF;
    uint8_t image_ = 0xFF;
    SimavrBoard::Cycle firstChangeAt_ = 0; // of the transition under way
    SimavrBoard::Cycle changedAt_ = 0;     // its latest change
    bool changing_ = false;
    std::array<bool, 2> asserted_{};
    std::array<SimavrBoard::Cycle, 2> assertedAt_{};
};

} // namespace quillon::boardsim
