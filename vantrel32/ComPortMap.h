#pragma once

#include <QList>
#include <QString>

#include <cstdint>
#include <map>

class QSettings;

namespace quillon::link {

// COM port numbers for serial devices. Serial devices get COM numbers by these rules: a
// device gets the lowest free number the first time it is seen among the machine's ports
// and keeps it, so a laptop's only board is COM1 and stays COM1. Devices are known by
// their stable name in /dev/serial/by-id where they have one, so a board keeps its number
// whichever ttyUSB<k> it becomes. The numbers live in the user's configuration,
// <config>/Quillon/Vantrel32.conf, shared by every program that uses the library.
//
// COM n opens, in this order: the path in VANTREL_COM<n> when set and not empty; the
// device numbered n (an unplugged one keeps its number, and opening it fails naming it);
// the on-board port /dev/ttyS<n-1>. An on-board port that the system lists as present
// holds its number by birth: new devices skip it, so with a real ttyS0 the first USB
// board is COM2.
class ComPortMap {
public:
    enum class Source { Environment, Numbered, OnBoard };

    // A serial device the machine has now.
    struct Port {
        QString name;   // the stable name where there is one, else the device itself
        QString device; // the device node, e.g. /dev/ttyUSB0
    };

    // What COM n opens.
    struct Target {
        int32_t number = 0;
        Source source = Source::OnBoard;
        QString path;   // as named: the variable's value, the device's name, /dev/ttyS<n-1>
        QString device; // the device node it leads to now; empty when it is not there
        // The path to hand to the serial port: the node itself, so that the port's lock
        // is the one every other program takes for it.
        QString OpenPath() const { return device.isEmpty() ? path : device; }
    };

    // Numbers the ports seen for the first time, saves, and looks up COM n.
    static Target Lookup(int32_t number);

    // "COM1: /dev/serial/by-id/usb-1a86_USB_Serial-if00-port0 (/dev/ttyUSB0)".
    static QString Hint(const Target& target);

    // The machine's serial ports: those the system lists, named by their stable names.
    // QUILLON_SERIAL_BY_ID, a test hook, names a folder to use instead of
    // /dev/serial/by-id, and then its links are the only ports.
    static QList<Port> AvailablePorts();

    // Gives each port without a number the lowest free one, in the order of their names;
    // true when it gave any.
    static bool Assign(QSettings& settings, const QList<Port>& ports);
    static Target Resolve(int32_t number, QSettings& settings, const QList<Port>& ports);

    static QString SettingsFile();

private:
    // The numbers given so far, from the settings' "COM<n>" keys.
    static std::map<int32_t, QString> Numbered(QSettings& settings);
    static Target Resolve(int32_t number, const std::map<int32_t, QString>& numbered,
                          const QList<Port>& ports);
};

} // namespace quillon::link
