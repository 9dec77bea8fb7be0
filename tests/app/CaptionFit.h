#pragma once

#include <QStringList>

class QWidget;

// Whether texts fit a control: each text is measured with the control's own font and
// compared with the room the control and its style leave for it. Returns one line per text
// that does not fit, naming the control, the text and both widths; empty when all fit.
// A control that shows no text of its own (a container, a frame) has nothing to misfit.
QStringList CaptionMisfits(QWidget* control, const QStringList& texts);

// The text the control shows now, empty when it shows none.
QString CaptionOf(QWidget* control);
