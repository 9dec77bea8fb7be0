#include "_GClassIndPersistent.h"

TIndPersistent::TIndPersistent(QObject* parent) : QObject(parent) {}

TIndPersistent::~TIndPersistent() = default;

void TIndPersistent::Changed() {
    ChangedBy(this);
}

void TIndPersistent::ChangedBy(QObject* sender) {
    RaiseEvent(OnChange, sender);
}
