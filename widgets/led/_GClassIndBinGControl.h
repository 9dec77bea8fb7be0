#pragma once

#include "IndFlashT.h"
#include "_GClassTypes.h"

#include "platform/core/ApplicationWindow.h"

#include <QWidget>

#include <cstdint>

// On/off state of one indicator and its place in a group: LEDs with the same non-zero
// GroupIndex under the same top-level window share one StatusInt, each showing one bit.
class TIndBinGControl : public QWidget, public TIndFlashReceiver {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(bool Checked READ Checked WRITE setChecked)
    Q_PROPERTY(bool Flashing READ Flashing WRITE setFlashing)
    Q_PROPERTY(quillon::widgets::TFlashFreq Frequency READ Frequency WRITE setFrequency)
    Q_PROPERTY(int StatusInt READ StatusInt WRITE setStatusInt)
    Q_PROPERTY(int StatusBit READ StatusBit WRITE setStatusBit)
    Q_PROPERTY(int GroupIndex READ GroupIndex WRITE setGroupIndex)
    Q_PROPERTY(quillon::widgets::TMode Mode READ Mode WRITE setMode)
public:
    // Lets the layout and program code write TIndLED::mButton and the like.
    using enum quillon::widgets::TLEDShape;
    using enum quillon::widgets::TLEDPos;
    using enum quillon::widgets::TMode;
    using enum quillon::widgets::TFlashFreq;
    using TLEDShape = quillon::widgets::TLEDShape;
    using TLEDPos = quillon::widgets::TLEDPos;
    using TMode = quillon::widgets::TMode;
    using TFlashFreq = quillon::widgets::TFlashFreq;

    // The flash-phase message: WParam = tick counter, LParam = phase (0 off, else on).
    static constexpr uint32_t WM_INDFLASHPHASE = kIndFlashPhaseMessage;

    explicit TIndBinGControl(QWidget* parent = nullptr);
    ~TIndBinGControl() override;

    QString Caption() const { return caption_; }
    void setCaption(const QString& value);

    bool Checked() const { return checked_; }
    void setChecked(bool value);
    bool Flashing() const { return flashing_; }
    void setFlashing(bool value);
    TFlashFreq Frequency() const { return frequency_; }
    void setFrequency(TFlashFreq value);
    int StatusInt() const { return statusInt_; }
    void setStatusInt(int value);
    int StatusBit() const { return statusBit_; }
    void setStatusBit(int value);
    int GroupIndex() const { return groupIndex_; }
    void setGroupIndex(int value);
    TMode Mode() const { return mode_; }
    void setMode(TMode value);

    // The code the flash registry knows this frequency by (2 for ff8Hz .. 6 for ff05Hz).
    static int FlashCode(TFlashFreq value) { return static_cast<int>(value) + 2; }

    // Message entry point; the flash clock calls it directly on the UI thread.
    void Dispatch(quillon::platform::TMessage& msg) override;

    // Members of this control's group (itself included) in creation order; only itself
    // when it has no group or no owner window.
    QList<TIndBinGControl*> Group() const;
    // Order of creation across the process, which is what "owner order" means here.
    uint64_t CreationSerial() const { return serial_; }
    // True while a group value is being copied to the members; shared by every group.
    static bool GroupUpdating();

    TNotifyEvent OnStatusChanged;
    TNotifyEvent OnStatusIntChanged;
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;

protected:
    virtual void RepaintAll() {}
    virtual void RepaintLED() {}
    virtual void GroupIndexChanged() {}
    virtual void StatusIntChanged() {}
    virtual void PaintFlashPhase(bool lit) { Q_UNUSED(lit); }

    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    uint32_t OwnBit() const { return uint32_t{1} << statusBit_; }
    void UpdateFlashRegistration();
    void Press(QMouseEvent* event);
    void FollowName(const QString& name);

    bool checked_ = false;
    TFlashFreq frequency_ = quillon::widgets::ff1Hz;
    bool flashing_ = false;
    int statusInt_ = 0;
    int statusBit_ = 0;
    int groupIndex_ = 0;
    TMode mode_ = quillon::widgets::mIndicator;
    QString caption_;
    QString lastName_;
    uint64_t serial_;
    bool leftPressed_ = false;
    bool skipNextClick_ = false;
};
