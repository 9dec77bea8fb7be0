#include "SystemColors.h"

#include <QGuiApplication>
#include <QPalette>

namespace quillon::platform {

namespace {

struct PaletteSlot {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// System colour index -> palette entry. The 3-D colours come from the button roles, so
// bevels drawn from them match the buttons around them; caption colours from the
// selection colours, info colours from the tool tip's.
PaletteSlot SlotFor(uint8_t index) {
    using P = QPalette;
    switch (index) {
    case 0:
        return {P::Active, P::Mid}; // scroll bar
    case 1:
        return {P::Active, P::Dark}; // desktop
    case 2:
        return {P::Active, P::Highlight}; // active caption
    case 3:
        return {P::Inactive, P::Mid}; // inactive caption
    case 4:
        return {P::Active, P::Window}; // menu
    case 5:
        return {P::Active, P::Base}; // window
    case 6:
        return {P::Active, P::Shadow}; // window frame
    case 7:
        return {P::Active, P::WindowText}; // menu text
    case 8:
        return {P::Active, P::Text}; // window text
    case 9:
        return {P::Active, P::HighlightedText}; // caption text
    case 10:
        return {P::Active, P::Window}; // active border
    case 11:
        return {P::Inactive, P::Window}; // inactive border
    case 12:
        return {P::Active, P::Dark}; // application workspace
    case 13:
        return {P::Active, P::Highlight}; // highlight
    case 14:
        return {P::Active, P::HighlightedText}; // highlight text
    case 15:
        return {P::Active, P::Button}; // button face
    case 16:
        return {P::Active, P::Dark}; // button shadow
    case 17:
        return {P::Disabled, P::Text}; // grey text
    case 18:
        return {P::Active, P::ButtonText}; // button text
    case 19:
        return {P::Inactive, P::HighlightedText}; // inactive caption text
    case 20:
        return {P::Active, P::Light}; // button highlight
    case 21:
        return {P::Active, P::Shadow}; // 3-D dark shadow
    case 22:
        return {P::Active, P::Midlight}; // 3-D light
    case 23:
        return {P::Active, P::ToolTipText}; // info text
    case 24:
        return {P::Active, P::ToolTipBase}; // info background
    case 26:
        return {P::Active, P::Link}; // hot light
    case 27:
        return {P::Active, P::Highlight}; // gradient active caption
    case 28:
        return {P::Inactive, P::Mid}; // gradient inactive caption
    case 29:
        return {P::Active, P::Highlight}; // menu highlight
    case 30:
        return {P::Active, P::Window}; // menu bar
    default:
        return {P::Active, P::NoRole};
    }
}

} // namespace

QColor ColorToRGB(TColor color) {
    const auto value = static_cast<uint32_t>(color);
    if (IsSystemColor(color)) {
        const PaletteSlot slot = SlotFor(static_cast<uint8_t>(value & 0xFF));
        if (slot.role == QPalette::NoRole) {
            return QColor(Qt::black);
        }
        return QGuiApplication::palette().color(slot.group, slot.role);
    }
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

TColor ColorToPlain(TColor color) {
    const QColor c = ColorToRGB(color);
    return static_cast<TColor>(c.red() | (c.green() << 8) | (c.blue() << 16));
}

} // namespace quillon::platform
