#pragma once

#include <QWidget>

// A panel with the two bevels of the classic widget set (an outer and an inner one, each
// none, lowered or raised) and a caption centred in it.
class TPanel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(int BevelInner READ BevelInner WRITE setBevelInner)
    Q_PROPERTY(int BevelOuter READ BevelOuter WRITE setBevelOuter)
    Q_PROPERTY(int BevelWidth READ BevelWidth WRITE setBevelWidth)

public:
    enum TBevelCut { bvNone = 0, bvLowered = 1, bvRaised = 2 };

    explicit TPanel(QWidget* parent = nullptr);

    QString Caption() const { return caption_; }
    void setCaption(const QString& caption);
    int BevelInner() const { return inner_; }
    void setBevelInner(int cut);
    int BevelOuter() const { return outer_; }
    void setBevelOuter(int cut);
    int BevelWidth() const { return width_; }
    void setBevelWidth(int width);

    // Space the bevels take on each side.
    int BorderSize() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
    int inner_ = bvNone;
    int outer_ = bvRaised;
    int width_ = 1;
};
