#include "_GClassIndBinGControl.h"
#include "platform/core/ErrorReport.h"

#include <QMouseEvent>
#include <QPointer>

#include <algorithm>
#include <atomic>

namespace {

// Both only ever touched on the UI thread; the serial is atomic only because controls may
// in principle be constructed before the UI thread is settled.
std::atomic<uint64_t> nextSerial{1};
bool groupUpdating = false;

// Clears the group guard however the copy ends: a handler that throws half way through a
// group update must not leave every group in the program frozen.
class GroupGuard {
public:
    GroupGuard() { groupUpdating = true; }
    ~GroupGuard() { groupUpdating = false; }
    GroupGuard(const GroupGuard&) = delete;
    GroupGuard& operator=(const GroupGuard&) = delete;
};

} // namespace

TIndBinGControl::TIndBinGControl(QWidget* parent)
    : QWidget(parent), serial_(nextSerial.fetch_add(1)) {
    setMouseTracking(true); // OnMouseMove is raised without a button held, too
    connect(this, &QObject::objectNameChanged, this, &TIndBinGControl::FollowName);
}

TIndBinGControl::~TIndBinGControl() {
    IndFlashUnregister(this);
}

bool TIndBinGControl::GroupUpdating() {
    return groupUpdating;
}

void TIndBinGControl::FollowName(const QString& name) {
    // The caption starts as the control's name and keeps following it until set otherwise.
    if (caption_ == lastName_)
        setCaption(name);
    lastName_ = name;
}

void TIndBinGControl::setCaption(const QString& value) {
    if (value == caption_)
        return;
    caption_ = value;
    RepaintAll();
}

QList<TIndBinGControl*> TIndBinGControl::Group() const {
    QWidget* owner = window();
    auto* self = const_cast<TIndBinGControl*>(this);
    if (groupIndex_ == 0 || owner == this)
        return {self};
    QList<TIndBinGControl*> members;
    for (TIndBinGControl* c : owner->findChildren<TIndBinGControl*>()) {
        if (c->groupIndex_ == groupIndex_ && c->window() == owner)
            members.append(c);
    }
    std::sort(
        members.begin(), members.end(),
        [](const TIndBinGControl* a, const TIndBinGControl* b) { return a->serial_ < b->serial_; });
    return members;
}

void TIndBinGControl::setStatusInt(int value) {
    if (value == statusInt_)
        return;
    statusInt_ = value;
    // Every handler raised from here on may delete this control; once it is gone, nothing of
    // it may be touched again.
    const QPointer<TIndBinGControl> self(this);
    setChecked((static_cast<uint32_t>(statusInt_) & OwnBit()) != 0);
    if (!self) {
        return;
    }
    StatusIntChanged();
    RaiseEvent(OnStatusIntChanged, this);
    if (!self || groupIndex_ == 0 || groupUpdating) {
        return;
    }
    GroupGuard guard;
    QList<QPointer<TIndBinGControl>> members;
    for (TIndBinGControl* c : Group())
        members.append(c);
    // If a member's handler deletes this control half way, the rest of the group still gets
    // its last value: a deletion must not leave the group showing two different values.
    int shared = statusInt_;
    for (const QPointer<TIndBinGControl>& member : members) {
        if (self) {
            shared = statusInt_;
        }
        if (member) {
            member->setStatusInt(shared);
        }
    }
}

void TIndBinGControl::setChecked(bool value) {
    if (value == checked_)
        return;
    checked_ = value;
    UpdateFlashRegistration();
    const QPointer<TIndBinGControl> self(this); // the value's handlers may delete this control
    const uint32_t current = static_cast<uint32_t>(statusInt_);
    if (checked_) {
        setStatusInt(static_cast<int>(
            mode_ == quillon::widgets::mRadioButton ? OwnBit() : current | OwnBit()));
    } else if (mode_ != quillon::widgets::mRadioButton) {
        setStatusInt(static_cast<int>(current & ~OwnBit()));
    }
    if (!self) {
        return;
    }
    RepaintLED();
    RaiseEvent(OnStatusChanged, this);
}

void TIndBinGControl::setStatusBit(int value) {
    if (value == statusBit_ || value < 0 || value > 31)
        return;
    statusBit_ = value;
    setChecked((static_cast<uint32_t>(statusInt_) & OwnBit()) != 0);
}

void TIndBinGControl::setGroupIndex(int value) {
    if (value == groupIndex_ || value < 0)
        return;
    groupIndex_ = value;
    const QPointer<TIndBinGControl> self(this); // the value's handlers may delete this control
    if (groupIndex_ != 0) {
        const QList<TIndBinGControl*> members = Group();
        if (!members.isEmpty())
            setStatusInt(members.first()->statusInt_);
    }
    if (self) {
        GroupIndexChanged();
    }
}

void TIndBinGControl::setMode(TMode value) {
    if (value > quillon::widgets::mRadioButton)
        return;
    mode_ = value;
    // Applied even when unchanged: a layout storing mButton always ends released.
    if (mode_ == quillon::widgets::mButton)
        setStatusInt(0);
    else if (mode_ == quillon::widgets::mRadioButton)
        setStatusInt(1);
}

void TIndBinGControl::setFlashing(bool value) {
    if (value == flashing_)
        return;
    flashing_ = value;
    UpdateFlashRegistration();
    RepaintLED();
    RaiseEvent(OnStatusChanged, this);
}

void TIndBinGControl::setFrequency(TFlashFreq value) {
    if (value > quillon::widgets::ff05Hz)
        return;
    frequency_ = value;
    if (checked_ && flashing_)
        IndFlashRegister(this, FlashCode(frequency_));
}

void TIndBinGControl::UpdateFlashRegistration() {
    if (checked_ && flashing_)
        IndFlashRegister(this, FlashCode(frequency_));
    else
        IndFlashUnregister(this);
}

void TIndBinGControl::Dispatch(quillon::platform::TMessage& msg) {
    if (msg.Msg == WM_INDFLASHPHASE)
        PaintFlashPhase(msg.LParam != 0);
}

void TIndBinGControl::Press(QMouseEvent* event) {
    const QPointer<TIndBinGControl> self(this); // the mode action's handlers may delete us
    if (event->button() == Qt::LeftButton) {
        leftPressed_ = true;
        switch (mode_) {
        case quillon::widgets::mButton:
            setChecked(true);
            break;
        case quillon::widgets::mSwitch:
            setChecked(!checked_);
            break;
        case quillon::widgets::mRadioButton:
            setStatusInt(static_cast<int>(OwnBit()));
            break;
        case quillon::widgets::mIndicator:
            break;
        }
    }
    if (!self) {
        return;
    }
    // Through a copy, as every event: the handler may rebind its slot or delete this control.
    if (const TMouseEvent handler = OnMouseDown) {
        const QPoint p = event->position().toPoint();
        handler(this, event->button(), event->modifiers(), p.x(), p.y());
    }
}

void TIndBinGControl::mousePressEvent(QMouseEvent* event) {
    quillon::platform::ToolkitCall([&] {
        skipNextClick_ = false;
        Press(event);
    });
}

void TIndBinGControl::mouseDoubleClickEvent(QMouseEvent* event) {
    quillon::platform::ToolkitCall([&] {
        // Qt reports the second press of a double click only as this event; it still counts as
        // a press for the mode, but its release is not another click.
        const QPointer<TIndBinGControl> self(this);
        if (event->button() == Qt::LeftButton) {
            skipNextClick_ = true;
            RaiseEvent(OnDblClick, this);
        }
        if (self) {
            Press(event);
        }
    });
}

void TIndBinGControl::mouseReleaseEvent(QMouseEvent* event) {
    quillon::platform::ToolkitCall([&] {
        const QPoint p = event->position().toPoint();
        const bool left = event->button() == Qt::LeftButton;
        const bool wasPressed = left && leftPressed_;
        if (left)
            leftPressed_ = false;
        // A click or mouse-up handler may delete this control; its release then ends there.
        const QPointer<TIndBinGControl> self(this);
        if (wasPressed && !skipNextClick_ && rect().contains(p))
            RaiseEvent(OnClick, this);
        if (!self) {
            return;
        }
        if (left)
            skipNextClick_ = false;
        if (const TMouseEvent handler = OnMouseUp) {
            handler(this, event->button(), event->modifiers(), p.x(), p.y());
        }
        if (!self || !left) {
            return;
        }
        switch (mode_) {
        case quillon::widgets::mButton:
            setChecked(false);
            if (self) {
                RepaintLED();
            }
            break;
        case quillon::widgets::mSwitch:
        case quillon::widgets::mRadioButton:
            RepaintLED();
            break;
        case quillon::widgets::mIndicator:
            break;
        }
    });
}

void TIndBinGControl::mouseMoveEvent(QMouseEvent* event) {
    quillon::platform::ToolkitCall([&] {
        if (const TMouseMoveEvent handler = OnMouseMove) {
            const QPoint p = event->position().toPoint();
            handler(this, event->modifiers(), p.x(), p.y());
        }
    });
}
