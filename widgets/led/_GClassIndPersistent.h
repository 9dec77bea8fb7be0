#pragma once

#include "_GClassTypes.h"

#include <QObject>

// Base of the non-visual, streamable parts of the indicator (the lamp): owners learn about
// changes through OnChange instead of signals, so one handler can be bound from outside.
class TIndPersistent : public QObject {
    Q_OBJECT
public:
    explicit TIndPersistent(QObject* parent = nullptr);
    ~TIndPersistent() override;

    TNotifyEvent OnChange;

protected:
    virtual void Changed();
    virtual void ChangedBy(QObject* sender);
};
