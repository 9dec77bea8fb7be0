#pragma once

#include "_GClass.h"

#include <optional>

// An LED lamp with a caption beside, above or below it. State changes and flash phases
// redraw only the lamp, synchronously; layout and appearance changes redraw everything.
class TIndLED : public TIndBinGControl {
    Q_OBJECT
    // The lamp's sub-properties, flat so a Designer layout can store them.
    Q_PROPERTY(quillon::widgets::TLEDShape LED_Shape READ LED_Shape WRITE setLED_Shape)
    Q_PROPERTY(int LED_ColorOn READ LED_ColorOn WRITE setLED_ColorOn)
    Q_PROPERTY(int LED_ColorOff READ LED_ColorOff WRITE setLED_ColorOff)
    Q_PROPERTY(int LED_Width READ LED_Width WRITE setLED_Width)
    Q_PROPERTY(int LED_Height READ LED_Height WRITE setLED_Height)
    Q_PROPERTY(quillon::widgets::TLEDPos LED_Position READ LED_Position WRITE setLED_Position)
    Q_PROPERTY(int Spacing READ Spacing WRITE setSpacing)
public:
    explicit TIndLED(QWidget* parent = nullptr);
    ~TIndLED() override;

    TLED* LED() const { return led_; }

    quillon::widgets::TLEDShape LED_Shape() const { return led_->Shape(); }
    void setLED_Shape(quillon::widgets::TLEDShape value) { led_->setShape(value); }
    int LED_ColorOn() const { return led_->ColorOn(); }
    void setLED_ColorOn(int value) { led_->setColorOn(value); }
    int LED_ColorOff() const { return led_->ColorOff(); }
    void setLED_ColorOff(int value) { led_->setColorOff(value); }
    int LED_Width() const { return led_->Width(); }
    void setLED_Width(int value) { led_->setWidth(value); }
    int LED_Height() const { return led_->Height(); }
    void setLED_Height(int value) { led_->setHeight(value); }

    TLEDPos LED_Position() const { return position_; }
    void setLED_Position(TLEDPos value);
    int Spacing() const { return spacing_; }
    void setSpacing(int value);

    // Where the lamp and the caption anchor go for the current size, font and layout.
    QRect LampRect() const;
    QPoint CaptionAnchor() const;
    int CaptionAlign() const;

protected:
    void RepaintAll() override;
    void RepaintLED() override;
    void PaintFlashPhase(bool lit) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QSize LampSize() const;
    void RepaintLamp(bool lit);

    TLED* led_;
    TLEDPos position_ = quillon::widgets::lpLeft;
    int spacing_ = 5;
    bool painting_ = false;
    // Set only while a partial redraw is under way: the state its lamp must show.
    std::optional<bool> lampOnly_;
};
