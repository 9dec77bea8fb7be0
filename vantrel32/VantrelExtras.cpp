#include "VantrelExtras.h"

#include "ExportGuard.h"

#include <algorithm>
#include <string>

namespace {

using quillon::link::Guarded;
using quillon::link::Lib;

uint32_t CopyText(const std::string& from, char* text, uint32_t size) {
    if (text != nullptr && size > 0) {
        const std::size_t copied = std::min<std::size_t>(from.size(), size - 1);
        std::copy_n(from.data(), copied, text);
        text[copied] = '\0';
    }
    return static_cast<uint32_t>(from.size());
}

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

uint8_t VantrelGetAddressReply(void) {
    return Guarded(uint8_t{0}, [] { return Lib().AddressReply(); });
}

uint32_t VantrelGetOpenError(char* text, uint32_t size) {
    return Guarded(uint32_t{0}, [text, size] { return CopyText(Lib().OpenError(), text, size); });
}

uint32_t VantrelGetOpenPath(char* text, uint32_t size) {
    return Guarded(uint32_t{0}, [text, size] { return CopyText(Lib().OpenPath(), text, size); });
}

uint32_t VantrelGetRecordsDropped(void) {
    return Guarded(uint32_t{0}, [] { return Lib().RecordsDropped(); });
}

} // extern "C"
