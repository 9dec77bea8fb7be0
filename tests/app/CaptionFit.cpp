#include "CaptionFit.h"

#include "widgets/led/IndLED.h"
#include "widgets/link/LinkLabel.h"
#include "widgets/controls/TPanel.h"
#include "widgets/led/_IndProc.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>

namespace {

int LabelRoom(const QLabel* label) {
    const int m = label->margin();
    QRect room = label->contentsRect().adjusted(m, m, -m, -m);
    // A framed label without an indent of its own keeps half an "x" clear of the frame on
    // the side it is aligned to.
    int indent = label->indent();
    if (indent < 0 && label->frameWidth() > 0) {
        indent = label->fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2 - m;
    }
    const bool sideAligned = label->alignment() & (Qt::AlignLeft | Qt::AlignRight);
    return room.width() - (sideAligned ? std::max(indent, 0) : 0);
}

int ButtonRoom(QAbstractButton* button, const QString& text) {
    QStyleOptionButton opt;
    opt.initFrom(button);
    opt.text = text;
    QStyle::SubElement contents = QStyle::SE_PushButtonContents;
    if (qobject_cast<QRadioButton*>(button)) {
        contents = QStyle::SE_RadioButtonContents;
    } else if (auto* push = qobject_cast<QPushButton*>(button)) {
        if (push->autoDefault() || push->isDefault()) {
            opt.features |= QStyleOptionButton::AutoDefaultButton;
        }
    } else {
        contents = QStyle::SE_CheckBoxContents;
    }
    return button->style()->subElementRect(contents, &opt, button).width();
}

int LineEditRoom(QLineEdit* edit) {
    QStyleOptionFrame opt;
    opt.initFrom(edit);
    opt.rect = edit->contentsRect();
    opt.lineWidth =
        edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, edit) : 0;
    opt.state |= QStyle::State_Sunken;
    const QRect contents = edit->style()->subElementRect(QStyle::SE_LineEditContents, &opt, edit);
    const QMargins margins = edit->textMargins();
    // The entry keeps two pixels clear on either side of its text.
    constexpr int kEntryTextMargin = 2;
    return contents.width() - margins.left() - margins.right() - 2 * kEntryTextMargin;
}

// The title's room: the style places it in from the left edge, and it must stay as far
// from the right edge, or it runs into (or past) the frame's right side.
QRect GroupTitle(QGroupBox* box, const QString& title) {
    QStyleOptionGroupBox opt;
    opt.initFrom(box);
    opt.text = title;
    opt.lineWidth = 1;
    opt.textAlignment = box->alignment();
    opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    if (box->isFlat()) {
        opt.features |= QStyleOptionFrame::Flat;
    }
    return box->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, box);
}

QString Describe(QWidget* control, const QString& text, int need, int room) {
    return QStringLiteral("%1 \"%2\": %3 px wide, room %4 px (%5)")
        .arg(control->objectName(), text)
        .arg(need)
        .arg(room)
        .arg(QFontInfo(control->font()).family());
}

} // namespace

QString CaptionOf(QWidget* control) {
    if (auto* label = qobject_cast<QLabel*>(control)) {
        return label->text();
    }
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        return button->text();
    }
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        return edit->text();
    }
    if (auto* box = qobject_cast<QGroupBox*>(control)) {
        return box->title();
    }
    if (auto* panel = qobject_cast<TPanel*>(control)) {
        return panel->Caption();
    }
    if (auto* led = qobject_cast<TIndLED*>(control)) {
        return led->Caption();
    }
    if (auto* link = qobject_cast<TLinkLabel*>(control)) {
        return link->Caption();
    }
    return {};
}

QStringList CaptionMisfits(QWidget* control, const QStringList& texts) {
    QStringList misfits;
    const QFontMetrics metrics(control->font());
    auto needRoom = [&](const QString& text, int need, int room) {
        if (need > room) {
            misfits << Describe(control, text, need, room);
        }
    };
    // A tab bar sizes its tabs to their titles: each must have its title's width and the
    // style's padding, and lie within the bar (no scroll arrows).
    if (auto* bar = qobject_cast<QTabBar*>(control)) {
        const int pad = bar->style()->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, bar);
        for (int i = 0; i < bar->count(); ++i) {
            const QRect tab = bar->tabRect(i);
            const int room = tab.right() < bar->width() ? tab.width() - pad : 0;
            needRoom(bar->tabText(i), metrics.horizontalAdvance(bar->tabText(i)), room);
        }
        return misfits;
    }
    for (const QString& text : texts) {
        if (text.isEmpty()) {
            continue;
        }
        const int width = metrics.horizontalAdvance(text);
        if (auto* label = qobject_cast<QLabel*>(control)) {
            needRoom(text, width, LabelRoom(label));
        } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            needRoom(text, width, ButtonRoom(button, text));
        } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
            needRoom(text, width, LineEditRoom(edit));
        } else if (auto* panel = qobject_cast<TPanel*>(control)) {
            needRoom(text, width, panel->width() - 2 * panel->BorderSize());
        } else if (auto* link = qobject_cast<TLinkLabel*>(control)) {
            needRoom(text, width, link->width() - link->HighlightOffset() - link->ShadowOffset());
        } else if (auto* box = qobject_cast<QGroupBox*>(control)) {
            const QRect title = GroupTitle(box, text);
            const int inset = title.left();
            needRoom(text, title.width(), box->width() - 2 * inset);
        } else if (auto* led = qobject_cast<TIndLED*>(control)) {
            for (const TIndCaptionLine& line :
                 IndCaptionLayout(metrics, led->CaptionAnchor(), led->CaptionAlign(), text)) {
                if (!led->rect().contains(line.box)) {
                    misfits << Describe(control, line.text, line.box.width(), led->width()) +
                                   QStringLiteral(" at x %1").arg(line.box.left());
                }
            }
        }
    }
    return misfits;
}
