#pragma once

#include <QWidget>

#include <functional>

class QLineEdit;
class QToolButton;

// Up and down arrows that step a position between Min and Max and show it as the text of
// the edit they are attached to.
class TUpDown : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Min READ Min WRITE setMin)
    Q_PROPERTY(int Max READ Max WRITE setMax)
    Q_PROPERTY(int Position READ Position WRITE setPosition)
    Q_PROPERTY(bool Wrap READ Wrap WRITE setWrap)

public:
    enum TUDBtnType { btNext, btPrev };
    using TUDClickEvent = std::function<void(QObject* Sender, TUDBtnType Button)>;

    explicit TUpDown(QWidget* parent = nullptr);

    int Min() const { return min_; }
    void setMin(int value);
    int Max() const { return max_; }
    void setMax(int value);
    int Position() const { return position_; }
    void setPosition(int value);
    bool Wrap() const { return wrap_; }
    void setWrap(bool wrap) { wrap_ = wrap; }

    void setAssociate(QLineEdit* edit);

    // What a click on an arrow does: step, show, then raise OnClick.
    void Click(TUDBtnType button);

    QToolButton* UpButton() const { return up_; }
    QToolButton* DownButton() const { return down_; }

    TUDClickEvent OnClick;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void ShowPosition();

    QLineEdit* associate_ = nullptr;
    QToolButton* up_;
    QToolButton* down_;
    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
    bool wrap_ = false;
};
