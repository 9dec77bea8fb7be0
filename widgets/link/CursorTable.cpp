#include "CursorTable.h"

std::map<int, QCursor>& TCursorTable::Registered() {
    static std::map<int, QCursor> cursors;
    return cursors;
}

void TCursorTable::Set(int number, const QCursor& cursor) {
    Registered()[number] = cursor;
}

QCursor TCursorTable::Get(int number) {
    const auto& cursors = Registered();
    if (const auto it = cursors.find(number); it != cursors.end()) {
        return it->second;
    }
    switch (number) {
    case crCross:
        return QCursor(Qt::CrossCursor);
    case crIBeam:
        return QCursor(Qt::IBeamCursor);
    case crHourGlass:
        return QCursor(Qt::WaitCursor);
    case crHandPoint:
        return QCursor(Qt::PointingHandCursor);
    default:
        return QCursor(Qt::ArrowCursor);
    }
}
