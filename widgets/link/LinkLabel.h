#pragma once

#include "platform/gui/SystemColors.h"

#include <QPointer>
#include <QString>
#include <QUrl>
#include <QWidget>

#include <functional>

class QPainter;

// A label that draws its caption with optional light highlight and dark shadow copies and a
// bevelled frame, and that can act as a web, e-mail or news link: while the link is active,
// hovering shows the pointing hand and the hover look, and a click hands the target to the
// desktop's URL handler. Style presets set groups of properties at once.
//
// Properties are Qt properties with setters named set<Property>, so a Designer form can set
// them; colours are quillon::platform::TColor values stored as int.
class TLinkLabel : public QWidget {
    Q_OBJECT

public:
    enum TLabelStyle { ls3DText, lsCustom, lsLink, lsPath, lsWindow };
    Q_ENUM(TLabelStyle)
    enum TLabelBevel { bvFrame, bvLowered, bvNone, bvRaised, bvSingle };
    Q_ENUM(TLabelBevel)
    enum THighLightPos { hpTopLeft, hpTopRight };
    Q_ENUM(THighLightPos)
    enum TLinkType { ltEMail, ltNews, ltNone, ltWWW };
    Q_ENUM(TLinkType)
    enum TAlignment { taLeftJustify, taRightJustify, taCenter };
    Q_ENUM(TAlignment)
    enum TTextLayout { tlTop, tlCenter, tlBottom };
    Q_ENUM(TTextLayout)

private:
    Q_PROPERTY(TAlignment Alignment READ Alignment WRITE setAlignment)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE setAutoSize)
    Q_PROPERTY(TLabelBevel BevelStyle READ BevelStyle WRITE setBevelStyle)
    Q_PROPERTY(int BevelWidth READ BevelWidth WRITE setBevelWidth)
    Q_PROPERTY(int BorderWidth READ BorderWidth WRITE setBorderWidth)
    Q_PROPERTY(int Color READ Color WRITE setColor)
    Q_PROPERTY(int HighlightColor READ HighlightColor WRITE setHighlightColor)
    Q_PROPERTY(int HighlightOffset READ HighlightOffset WRITE setHighlightOffset)
    Q_PROPERTY(THighLightPos HighlightPos READ HighlightPos WRITE setHighlightPos)
    Q_PROPERTY(int HoverColor READ HoverColor WRITE setHoverColor)
    Q_PROPERTY(int HoverFontColor READ HoverFontColor WRITE setHoverFontColor)
    Q_PROPERTY(TTextLayout Layout READ Layout WRITE setLayout)
    Q_PROPERTY(bool LinkActive READ LinkActive WRITE setLinkActive)
    Q_PROPERTY(QString LinkedAdress READ LinkedAdress WRITE setLinkedAdress)
    Q_PROPERTY(TLinkType LinkType READ LinkType WRITE setLinkType)
    Q_PROPERTY(int ShadowColor READ ShadowColor WRITE setShadowColor)
    Q_PROPERTY(int ShadowOffset READ ShadowOffset WRITE setShadowOffset)
    Q_PROPERTY(bool ShortenFilenames READ ShortenFilenames WRITE setShortenFilenames)
    Q_PROPERTY(bool ShowAccelChar READ ShowAccelChar WRITE setShowAccelChar)
    Q_PROPERTY(bool ShowHighlight READ ShowHighlight WRITE setShowHighlight)
    Q_PROPERTY(bool ShowShadow READ ShowShadow WRITE setShowShadow)
    Q_PROPERTY(TLabelStyle Style READ Style WRITE setStyle)
    Q_PROPERTY(bool Transparent READ Transparent WRITE setTransparent)
    Q_PROPERTY(bool UnderlineOnEnter READ UnderlineOnEnter WRITE setUnderlineOnEnter)
    Q_PROPERTY(bool WordWrap READ WordWrap WRITE setWordWrap)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(int FontColor READ FontColor WRITE setFontColor)
    Q_PROPERTY(int Cursor READ Cursor WRITE setCursor)
    Q_PROPERTY(QWidget* FocusControl READ FocusControl WRITE setFocusControl)

private:
    // What a changed appearance value asks for: nothing yet, a repaint, or a new size first.
    enum TAppearanceEffect { aeNone, aeRepaint, aeResize };

public:
    using TColor = quillon::platform::TColor;
    using TNotifyEvent = std::function<void(QObject* sender)>;
    using TMouseEvent = std::function<void(QObject* sender, Qt::MouseButton button,
                                           Qt::KeyboardModifiers shift, int x, int y)>;
    using TMouseMoveEvent =
        std::function<void(QObject* sender, Qt::KeyboardModifiers shift, int x, int y)>;
    using TContextPopupEvent = std::function<void(QObject* sender, QPoint mousePos, bool& handled)>;

    // Seams in front of the desktop: how a link is opened and how text is measured. Tests
    // replace them; the defaults use QDesktopServices::openUrl and QFontMetrics.
    using TOpenUrlFunc = std::function<void(const QUrl& url)>;
    using TTextExtentFunc =
        std::function<QSize(const QFont& font, const QRect& rect, int flags, const QString& text)>;
    static TOpenUrlFunc OpenUrl;
    static TTextExtentFunc TextExtent;
    static void OpenUrlWithDesktop(const QUrl& url);
    static QSize MeasureWithFontMetrics(const QFont& font, const QRect& rect, int flags,
                                        const QString& text);

    static constexpr int kLinkCursor = -30;

    explicit TLinkLabel(QWidget* parent = nullptr);
    ~TLinkLabel() override;

    TAlignment Alignment() const { return alignment_; }
    bool AutoSize() const { return autoSize_; }
    TLabelBevel BevelStyle() const { return bevelStyle_; }
    int BevelWidth() const { return bevelWidth_; }
    int BorderWidth() const { return borderWidth_; }
    int Color() const { return color_; }
    int HighlightColor() const { return highlightColor_; }
    int HighlightOffset() const { return highlightOffset_; }
    THighLightPos HighlightPos() const { return highlightPos_; }
    int HoverColor() const { return hoverColor_; }
    int HoverFontColor() const { return hoverFontColor_; }
    TTextLayout Layout() const { return layout_; }
    bool LinkActive() const { return linkActive_; }
    QString LinkedAdress() const { return linkedAdress_; }
    TLinkType LinkType() const { return linkType_; }
    int ShadowColor() const { return shadowColor_; }
    int ShadowOffset() const { return shadowOffset_; }
    bool ShortenFilenames() const { return shortenFilenames_; }
    bool ShowAccelChar() const { return showAccelChar_; }
    bool ShowHighlight() const { return showHighlight_; }
    bool ShowShadow() const { return showShadow_; }
    TLabelStyle Style() const { return style_; }
    bool Transparent() const;
    bool UnderlineOnEnter() const { return underlineOnEnter_; }
    bool WordWrap() const { return wordWrap_; }
    QString Caption() const { return caption_; }
    int FontColor() const { return fontColor_; }
    int Cursor() const { return cursor_; }
    QWidget* FocusControl() const { return focusControl_; }
    bool IsHovering() const { return hover_; }

    void setAlignment(TAlignment value);
    virtual void setAutoSize(bool value);
    void setBevelStyle(TLabelBevel value) { SetAppearance(bevelStyle_, value, aeRepaint); }
    void setBevelWidth(int value);
    void setBorderWidth(int value);
    void setColor(int value) { SetAppearance(color_, value, aeRepaint); }
    void setHighlightColor(int value) { SetAppearance(highlightColor_, value, aeRepaint); }
    void setHighlightOffset(int value);
    void setHighlightPos(THighLightPos value) { SetAppearance(highlightPos_, value, aeRepaint); }
    void setHoverColor(int value) {
        SetAppearance(hoverColor_, value, hover_ ? aeRepaint : aeNone);
    }
    void setHoverFontColor(int value) {
        SetAppearance(hoverFontColor_, value, hover_ ? aeRepaint : aeNone);
    }
    void setLayout(TTextLayout value) { SetAppearance(layout_, value, aeRepaint); }
    using QWidget::setLayout;
    void setLinkActive(bool value) { linkActive_ = value; }
    void setLinkedAdress(const QString& value) { linkedAdress_ = value; }
    void setLinkType(TLinkType value) { linkType_ = value; }
    void setShadowColor(int value) { SetAppearance(shadowColor_, value, aeRepaint); }
    void setShadowOffset(int value);
    void setShortenFilenames(bool value) { SetAppearance(shortenFilenames_, value, aeRepaint); }
    void setShowAccelChar(bool value);
    void setShowHighlight(bool value) { SetAppearance(showHighlight_, value, aeResize); }
    void setShowShadow(bool value) { SetAppearance(showShadow_, value, aeResize); }
    void setStyle(TLabelStyle value);
    using QWidget::setStyle;
    void setTransparent(bool value);
    void setUnderlineOnEnter(bool value) {
        SetAppearance(underlineOnEnter_, value, hover_ ? aeRepaint : aeNone);
    }
    void setWordWrap(bool value);
    void setCaption(const QString& value);
    void setFontColor(int value);
    // Takes a cursor number of TCursorTable; the QCursor overload stays available.
    void setCursor(int number);
    using QWidget::setCursor;
    void setFocusControl(QWidget* control);

    // The text that measuring and drawing use: the caption, or the caption shortened as a path.
    virtual QString DisplayText() const;
    // The label's click: OnClick, then the link. Called for a left-button click.
    virtual void Click();
    // Accelerator dispatch: true when the character moved the focus to FocusControl.
    bool DialogChar(QChar ch);
    // Re-measures after a form has set all properties (also done when the label is polished).
    virtual void Loaded();

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnExecuteLink;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseExit;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TContextPopupEvent OnContextPopup;

protected:
    virtual void DoExecuteLink();

    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // Stores a value under the appearance rule; false when the rule leaves it unchanged.
    template <typename T> bool StoreAppearance(T& field, T value) {
        if (presetGuard_ || field == value) {
            return false;
        }
        field = value;
        return true;
    }
    // The rest of the appearance rule once a value is stored.
    void AfterAppearance(TAppearanceEffect effect);
    // Both of the above.
    template <typename T> void SetAppearance(T& field, T value, TAppearanceEffect effect) {
        if (StoreAppearance(field, value)) {
            AfterAppearance(effect);
        }
    }
    void ApplyPreset(TLabelStyle style);
    void FontChanged();
    void RecomputeSize();
    void UpdateAccelerator();
    QSize MeasureText(QString* text = nullptr) const;
    int TextWidth(const QString& text) const;

    void DrawLabelText(QPainter& painter, int flags);
    void DrawBevel(QPainter& painter);

    TAlignment alignment_ = taLeftJustify;
    bool autoSize_ = true;
    TLabelBevel bevelStyle_ = bvNone;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
    TColor color_ = quillon::platform::clBtnFace;
    TColor highlightColor_ = quillon::platform::clBtnHighlight;
    int highlightOffset_ = 1;
    THighLightPos highlightPos_ = hpTopLeft;
    TColor hoverColor_ = quillon::platform::clBtnFace;
    TColor hoverFontColor_ = quillon::platform::clWindowText;
    TTextLayout layout_ = tlTop;
    bool linkActive_ = false;
    QString linkedAdress_;
    TLinkType linkType_ = ltWWW;
    TColor shadowColor_ = quillon::platform::clBtnShadow;
    int shadowOffset_ = 1;
    bool shortenFilenames_ = false;
    bool showAccelChar_ = true;
    bool showHighlight_ = false;
    bool showShadow_ = false;
    TLabelStyle style_ = lsCustom;
    bool underlineOnEnter_ = true;
    bool wordWrap_ = false;
    QString caption_;
    TColor fontColor_ = quillon::platform::clWindowText;
    int cursor_ = 0;
    QPointer<QWidget> focusControl_;

    bool hover_ = false;
    int savedCursor_ = 0;
    bool presetGuard_ = false;
    bool leftPressed_ = false;
    int shortcutId_ = 0;
};
