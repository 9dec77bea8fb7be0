#include "LinkLabel.h"
#include "platform/core/ErrorReport.h"

#include "CursorTable.h"
#include "PathShortening.h"

#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPixmap>
#include <QShortcutEvent>

#include <limits>

// The rcc initialiser of a static library is only linked in when something refers to it.
static void InitLinkResources() {
    Q_INIT_RESOURCE(link);
}

namespace {

constexpr int kMaxWord = std::numeric_limits<uint16_t>::max();

bool IsWord(int value) {
    return value >= 0 && value <= kMaxWord;
}

// The character marked by a single "&"; "&&" stands for a literal ampersand.
QChar AcceleratorOf(const QString& caption) {
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption.at(i) == QLatin1Char('&')) {
            if (caption.at(i + 1) != QLatin1Char('&')) {
                return caption.at(i + 1);
            }
            ++i;
        }
    }
    return QChar();
}

} // namespace

TLinkLabel::TOpenUrlFunc TLinkLabel::OpenUrl = &TLinkLabel::OpenUrlWithDesktop;
TLinkLabel::TTextExtentFunc TLinkLabel::TextExtent = &TLinkLabel::MeasureWithFontMetrics;

void TLinkLabel::OpenUrlWithDesktop(const QUrl& url) {
    // A web address written without a scheme means the web, as it does in a browser's
    // address bar; the handler would otherwise take it for a relative file name.
    if (url.scheme().isEmpty()) {
        QDesktopServices::openUrl(QUrl::fromUserInput(url.toString()));
        return;
    }
    QDesktopServices::openUrl(url);
}

QSize TLinkLabel::MeasureWithFontMetrics(const QFont& font, const QRect& rect, int flags,
                                         const QString& text) {
    return QFontMetrics(font).boundingRect(rect, flags, text).size();
}

TLinkLabel::TLinkLabel(QWidget* parent)
    : QWidget(parent), linkedAdress_(QStringLiteral("http://www.example.com")) {
    InitLinkResources();
    // Every label registers the cursor again, so the table always holds the loaded one.
    TCursorTable::Set(kLinkCursor,
                      QCursor(QPixmap(QStringLiteral(":/widgets/link/CRSRLINKPOINT")), 7, 1));
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    setAutoFillBackground(false);
    hoverColor_ = color_;
    hoverFontColor_ = fontColor_;
    savedCursor_ = cursor_;
    resize(65, 17);
}

TLinkLabel::~TLinkLabel() = default;

bool TLinkLabel::Transparent() const {
    return !testAttribute(Qt::WA_OpaquePaintEvent);
}

void TLinkLabel::AfterAppearance(TAppearanceEffect effect) {
    if (effect == aeResize) {
        RecomputeSize();
    }
    style_ = lsCustom;
    if (effect != aeNone) {
        update();
    }
}

void TLinkLabel::setAlignment(TAlignment value) {
    if (alignment_ != value) {
        alignment_ = value;
        update();
    }
}

void TLinkLabel::setAutoSize(bool value) {
    if (autoSize_ != value) {
        autoSize_ = value;
        RecomputeSize();
    }
}

void TLinkLabel::setBevelWidth(int value) {
    if (IsWord(value)) {
        SetAppearance(bevelWidth_, value, aeResize);
    }
}

void TLinkLabel::setBorderWidth(int value) {
    if (IsWord(value) && borderWidth_ != value) {
        borderWidth_ = value;
        RecomputeSize();
        update();
    }
}

void TLinkLabel::setHighlightOffset(int value) {
    if (IsWord(value)) {
        SetAppearance(highlightOffset_, value, showHighlight_ ? aeResize : aeNone);
    }
}

void TLinkLabel::setShadowOffset(int value) {
    if (IsWord(value)) {
        SetAppearance(shadowOffset_, value, showShadow_ ? aeResize : aeNone);
    }
}

void TLinkLabel::setShowAccelChar(bool value) {
    if (StoreAppearance(showAccelChar_, value)) {
        UpdateAccelerator();
        AfterAppearance(aeRepaint);
    }
}

void TLinkLabel::setTransparent(bool value) {
    if (presetGuard_ || Transparent() == value) {
        return;
    }
    setAttribute(Qt::WA_OpaquePaintEvent, !value);
    AfterAppearance(aeRepaint);
}

void TLinkLabel::setWordWrap(bool value) {
    if (wordWrap_ != value) {
        wordWrap_ = value;
        RecomputeSize();
        update();
    }
}

void TLinkLabel::setStyle(TLabelStyle value) {
    if (style_ == value) {
        return;
    }
    style_ = value;
    presetGuard_ = true;
    ApplyPreset(value);
    presetGuard_ = false;
    RecomputeSize();
    update();
}

// Presets write their fields directly, past the appearance rule, and touch nothing else.
void TLinkLabel::ApplyPreset(TLabelStyle style) {
    switch (style) {
    case ls3DText:
        bevelStyle_ = bvNone;
        bevelWidth_ = 1;
        color_ = quillon::platform::clBtnFace;
        highlightColor_ = quillon::platform::clBtnHighlight;
        highlightOffset_ = 1;
        highlightPos_ = hpTopLeft;
        linkActive_ = false;
        shadowColor_ = quillon::platform::clBtnShadow;
        shadowOffset_ = 1;
        showHighlight_ = true;
        showShadow_ = true;
        break;
    case lsCustom:
        break;
    case lsLink:
        bevelStyle_ = bvNone;
        bevelWidth_ = 1;
        setFontColor(quillon::platform::clNavy);
        hoverColor_ = color_;
        hoverFontColor_ = quillon::platform::clBlue;
        linkActive_ = true;
        linkType_ = ltWWW;
        showAccelChar_ = false;
        showHighlight_ = false;
        showShadow_ = false;
        underlineOnEnter_ = true;
        break;
    case lsPath:
        linkActive_ = false;
        shortenFilenames_ = true;
        showAccelChar_ = false;
        showHighlight_ = false;
        showShadow_ = false;
        break;
    case lsWindow:
        bevelStyle_ = bvSingle;
        bevelWidth_ = 1;
        borderWidth_ = 2;
        color_ = quillon::platform::clWindow;
        setFontColor(quillon::platform::clWindowText);
        layout_ = tlCenter;
        linkActive_ = false;
        showHighlight_ = false;
        showShadow_ = false;
        break;
    }
    UpdateAccelerator();
}

void TLinkLabel::setCaption(const QString& value) {
    if (caption_ == value) {
        return;
    }
    caption_ = value;
    UpdateAccelerator();
    RecomputeSize();
    update();
}

// The font colour belongs to the font: changing it is a font change.
void TLinkLabel::setFontColor(int value) {
    if (fontColor_ != value) {
        fontColor_ = value;
        update();
        FontChanged();
    }
}

void TLinkLabel::setCursor(int number) {
    if (cursor_ == number) {
        return;
    }
    cursor_ = number;
    if (number == TCursorTable::crDefault) {
        unsetCursor();
    } else {
        QWidget::setCursor(TCursorTable::Get(number));
    }
}

void TLinkLabel::setFocusControl(QWidget* control) {
    // QPointer empties itself when the control is destroyed.
    focusControl_ = control;
    UpdateAccelerator();
}

QString TLinkLabel::DisplayText() const {
    if (!shortenFilenames_) {
        return caption_;
    }
    return ShortenPath(caption_, width() - 10, [this](const QString& s) { return TextWidth(s); });
}

void TLinkLabel::Loaded() {
    RecomputeSize();
}

void TLinkLabel::FontChanged() {
    RecomputeSize();
}

void TLinkLabel::DoExecuteLink() {
    if (OnExecuteLink) {
        OnExecuteLink(this);
    }
}

void TLinkLabel::Click() {
    if (OnClick) {
        OnClick(this);
    }
    if (!isEnabled() || !linkActive_ || linkType_ == ltNone || linkedAdress_.isEmpty()) {
        return;
    }
    QString target;
    switch (linkType_) {
    case ltEMail:
        target = QStringLiteral("mailto:") + linkedAdress_;
        break;
    case ltNews:
        target = QStringLiteral("news:") + linkedAdress_;
        break;
    default:
        target = linkedAdress_;
        break;
    }
    DoExecuteLink();
    // One URL to the desktop's handler: no command line is built, so nothing in the address
    // can run anything. Whether the handler could open it is not our business.
    OpenUrl(QUrl(target, QUrl::TolerantMode));
}

bool TLinkLabel::DialogChar(QChar ch) {
    if (focusControl_ == nullptr || !isEnabled() || !showAccelChar_) {
        return false;
    }
    const QChar accel = AcceleratorOf(caption_);
    if (accel.isNull() || accel.toCaseFolded() != ch.toCaseFolded()) {
        return false;
    }
    QWidget* control = focusControl_;
    if (!control->isEnabled() || !control->isVisible() || control->focusPolicy() == Qt::NoFocus) {
        return false;
    }
    control->setFocus(Qt::ShortcutFocusReason);
    return true;
}

// Alt+accelerator reaches DialogChar through a window shortcut, held only while it can work.
void TLinkLabel::UpdateAccelerator() {
    if (shortcutId_ != 0) {
        releaseShortcut(shortcutId_);
        shortcutId_ = 0;
    }
    const QChar accel = AcceleratorOf(caption_);
    if (focusControl_ != nullptr && showAccelChar_ && !accel.isNull()) {
        shortcutId_ = grabShortcut(QKeySequence(Qt::ALT | QKeySequence(accel)[0].key()));
    }
}

bool TLinkLabel::event(QEvent* event) {
    if (event->type() == QEvent::Shortcut) {
        auto* shortcut = static_cast<QShortcutEvent*>(event);
        if (shortcut->shortcutId() == shortcutId_) {
            const QChar accel = AcceleratorOf(caption_);
            return DialogChar(accel) || QWidget::event(event);
        }
    }
    const bool result = QWidget::event(event);
    if (event->type() == QEvent::Polish) {
        Loaded();
    }
    return result;
}

void TLinkLabel::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        update();
        FontChanged();
    }
}

void TLinkLabel::enterEvent(QEnterEvent* event) {
    quillon::platform::ToolkitCall([&] {
        QWidget::enterEvent(event);
        if (!hover_ && linkActive_ && isEnabled()) {
            hover_ = true;
            savedCursor_ = cursor_;
            setCursor(kLinkCursor);
            update();
        }
        if (OnMouseEnter) {
            OnMouseEnter(this);
        }
    });
}

void TLinkLabel::leaveEvent(QEvent* event) {
    quillon::platform::ToolkitCall([&] {
        QWidget::leaveEvent(event);
        if (hover_ && linkActive_ && isEnabled()) {
            hover_ = false;
            setCursor(savedCursor_);
            update();
        }
        if (OnMouseExit) {
            OnMouseExit(this);
        }
    });
}

void TLinkLabel::mousePressEvent(QMouseEvent* event) {
    quillon::platform::ToolkitCall([&] {
        if (event->button() == Qt::LeftButton) {
            leftPressed_ = true;
        }
        if (OnMouseDown) {
            const QPoint p = event->position().toPoint();
            OnMouseDown(this, event->button(), event->modifiers(), p.x(), p.y());
        }
    });
}

void TLinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    quillon::platform::ToolkitCall([&] {
        const QPoint p = event->position().toPoint();
        if (event->button() == Qt::LeftButton && leftPressed_) {
            leftPressed_ = false;
            if (rect().contains(p)) {
                Click();
            }
        }
        if (OnMouseUp) {
            OnMouseUp(this, event->button(), event->modifiers(), p.x(), p.y());
        }
    });
}

// The second press of a double click is no click of its own.
void TLinkLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    quillon::platform::ToolkitCall([&] {
        Q_UNUSED(event);
        leftPressed_ = false;
        if (OnDblClick) {
            OnDblClick(this);
        }
    });
}

void TLinkLabel::mouseMoveEvent(QMouseEvent* event) {
    quillon::platform::ToolkitCall([&] {
        if (OnMouseMove) {
            const QPoint p = event->position().toPoint();
            OnMouseMove(this, event->modifiers(), p.x(), p.y());
        }
    });
}

void TLinkLabel::contextMenuEvent(QContextMenuEvent* event) {
    quillon::platform::ToolkitCall([&] {
        bool handled = false;
        if (OnContextPopup) {
            OnContextPopup(this, event->pos(), handled);
        }
        event->setAccepted(handled);
    });
}
