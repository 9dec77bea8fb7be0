#pragma once

#include <QString>
#include <QStringList>

// The camera unit's report of SW7 pressed by one port write (BF) and released by the next
// (FF): the port, interrupt and switch lines in order, and a held time no shorter than the
// gap between the press's reply and the release's command and no longer than the time
// until the release's reply, as the test measured them (with a millisecond of rounding).
// Returns what is wrong, empty when nothing is.
QString CameraHoldProblem(const QStringList& events, double shortestMs, double longestMs);
