#pragma once

#include <QSerialPort>
#include <QString>

#include <optional>

namespace quillon::link {

// Keeps DTR up when the link closes its port. An Uno or Nano resets when DTR rises, and
// the system drops DTR at the last close of a port whose HUPCL flag is set (the default of
// a USB serial device), so every opening after a close would reset the board again: the
// port back at FF, an unsaved address lost, a second in the bootloader. With HUPCL cleared
// DTR stays up after the first opening, and later openings raise no edge.
class DtrHold {
public:
    // Right after QSerialPort opened the port: clears HUPCL through its descriptor.
    static std::optional<QString> KeepUp(QSerialPort& port);
    // Closes the port and leaves DTR up. QSerialPort puts back the settings it found at
    // opening just before it closes, HUPCL among them; a second descriptor held across its
    // close lets HUPCL be cleared again before the last descriptor goes.
    static std::optional<QString> Close(QSerialPort& port);
};

} // namespace quillon::link
