#pragma once

#include "ui_UnitMain.h"

#include <QWidget>

class QLabel;
class QTimer;
class TVantrel;

// The panel's one window. It keeps no state beyond its controls: the port byte and the
// slave address live in LED groups, the connection state and port number in the adapter
// library.
class TForm1 : public QWidget, public Ui_TForm1 {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // The only panel of the status bar: every handler reports by replacing its text.
    QLabel* StatusPanel = nullptr;
    QTimer* Timer1 = nullptr;
    TVantrel* Vantrel = nullptr;

    QString StatusText() const;

    void BtnCOMClick(QObject* Sender);
    void UpDown1Click(QObject* Sender);
    void VantrelOpen(QObject* Sender, uint8_t Comport);
    void VantrelClose(QObject* Sender);
    void VantrelTimeOut(QObject* Sender);

private:
    void CreateNonVisualMembers();
    void WireEvents();
    void SetStatus(const QString& text);
};
