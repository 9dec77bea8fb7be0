#pragma once

#include <QCursor>

#include <map>

// The application's table of numbered cursors: controls name their cursor by number, so a
// cursor loaded once can be shared by every control that asks for its number.
class TCursorTable {
public:
    static constexpr int crDefault = 0;
    static constexpr int crArrow = -2;
    static constexpr int crCross = -3;
    static constexpr int crIBeam = -4;
    static constexpr int crHourGlass = -11;
    static constexpr int crHandPoint = -21;
    static constexpr int crLinkPoint = -30;

    // Registering a number again replaces the cursor held under it.
    static void Set(int number, const QCursor& cursor);
    // Unknown numbers give the arrow.
    static QCursor Get(int number);

private:
    static std::map<int, QCursor>& Registered();
};
