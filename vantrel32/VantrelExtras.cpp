#include "VantrelExtras.h"

#include "ExportGuard.h"
#include "LinkState.h"

namespace {

using quillon::link::Guarded;
using quillon::link::Lib;

} // namespace

extern "C" {

uint8_t VantrelSetPacing(uint8_t pacing) {
    return Guarded(uint8_t{VANTREL_STATUS_PORT_CLOSED}, [pacing] { return Lib().Pacing(pacing); });
}

uint8_t VantrelAskCounters(void) {
    return Guarded(uint8_t{VANTREL_STATUS_PORT_CLOSED}, [] { return Lib().AskCounters(); });
}

void VantrelGetCounters(uint32_t* counters) {
    if (counters == nullptr) {
        return;
    }
    Guarded([counters] { Lib().TakeCounters(counters); });
}

uint32_t VantrelGetNotForwarded(void) {
    return Guarded(uint32_t{0}, [] { return Lib().NotForwarded(); });
}

uint32_t VantrelGetRecordsDropped(void) {
    return quillon::link::LinkState::RecordsDropped();
}

} // extern "C"
