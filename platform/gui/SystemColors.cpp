#include "SystemColors.h"

#include <QGuiApplication>
#include <QPalette>

#include <algorithm>
#include <iterator>

namespace quillon::platform {

namespace {

struct PaletteSlot {
    TColor color;
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// System colour -> palette entry. The 3-D colours come from the button roles, so bevels
// drawn from them match the buttons around them; caption colours from the selection
// colours, info colours from the tool tip's.
using P = QPalette;
constexpr PaletteSlot kSlots[] = {
    {clScrollBar, P::Active, P::Mid},
    {clBackground, P::Active, P::Dark},
    {clActiveCaption, P::Active, P::Highlight},
    {clInactiveCaption, P::Inactive, P::Mid},
    {clMenu, P::Active, P::Window},
    {clWindow, P::Active, P::Base},
    {clWindowFrame, P::Active, P::Shadow},
    {clMenuText, P::Active, P::WindowText},
    {clWindowText, P::Active, P::Text},
    {clCaptionText, P::Active, P::HighlightedText},
    {clActiveBorder, P::Active, P::Window},
    {clInactiveBorder, P::Inactive, P::Window},
    {clAppWorkSpace, P::Active, P::Dark},
    {clHighlight, P::Active, P::Highlight},
    {clHighlightText, P::Active, P::HighlightedText},
    {clBtnFace, P::Active, P::Button},
    {clBtnShadow, P::Active, P::Dark},
    {clGrayText, P::Disabled, P::Text},
    {clBtnText, P::Active, P::ButtonText},
    {clInactiveCaptionText, P::Inactive, P::HighlightedText},
    {clBtnHighlight, P::Active, P::Light},
    {cl3DDkShadow, P::Active, P::Shadow},
    {cl3DLight, P::Active, P::Midlight},
    {clInfoText, P::Active, P::ToolTipText},
    {clInfoBk, P::Active, P::ToolTipBase},
    {clHotLight, P::Active, P::Link},
    {clGradientActiveCaption, P::Active, P::Highlight},
    {clGradientInactiveCaption, P::Inactive, P::Mid},
    {clMenuHighlight, P::Active, P::Highlight},
    {clMenuBar, P::Active, P::Window},
};

// The palette entry of a system colour; none for an index that names no colour.
const PaletteSlot* SlotFor(uint8_t index) {
    const auto slot =
        std::find_if(std::begin(kSlots), std::end(kSlots),
                     [index](const PaletteSlot& s) { return s.color == SystemColor(index); });
    return slot == std::end(kSlots) ? nullptr : slot;
}

} // namespace

QColor ColorToRGB(TColor color) {
    const auto value = static_cast<uint32_t>(color);
    if (IsSystemColor(color)) {
        const PaletteSlot* slot = SlotFor(static_cast<uint8_t>(value & 0xFF));
        if (!slot) {
            return QColor(Qt::black);
        }
        return QGuiApplication::palette().color(slot->group, slot->role);
    }
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

TColor ColorToPlain(TColor color) {
    const QColor c = ColorToRGB(color);
    return static_cast<TColor>(c.red() | (c.green() << 8) | (c.blue() << 16));
}

} // namespace quillon::platform
