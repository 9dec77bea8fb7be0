#include "BusTimer.h"

namespace quillon {
namespace firmware {

void BusTimer::Start() {
    // Normal mode, no outputs, no interrupts: a counter to read, nothing more.
    TCCR1A = 0;
    TCCR1B = _BV(CS11); // clock / 8
    TCNT1 = 0;
}

} // namespace firmware
} // namespace quillon
