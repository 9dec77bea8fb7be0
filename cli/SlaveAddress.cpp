#include "SlaveAddress.h"

namespace quillon::cli {

Chip ChipOf(uint8_t address) {
    const uint8_t base = static_cast<uint8_t>(address & ~kPinMask);
    if (base == kPCF8574Base) {
        return Chip::PCF8574;
    }
    if (base == kPCF8574ABase) {
        return Chip::PCF8574A;
    }
    return Chip::None;
}

QString PinText(uint8_t address) {
    const unsigned pins = (address & kPinMask) >> 1;
    return QStringLiteral("%1").arg(pins, 3, 2, QLatin1Char('0'));
}

QString ChipName(Chip chip) {
    switch (chip) {
    case Chip::PCF8574:
        return QStringLiteral("PCF8574");
    case Chip::PCF8574A:
        return QStringLiteral("PCF8574A");
    case Chip::None:
        break;
    }
    return {};
}

QString Describe(uint8_t address) {
    const Chip chip = ChipOf(address);
    if (chip == Chip::None) {
        return QStringLiteral("not a PCF8574 or PCF8574A address");
    }
    return QStringLiteral("%1, A2..A0 = %2").arg(ChipName(chip), PinText(address));
}

} // namespace quillon::cli
