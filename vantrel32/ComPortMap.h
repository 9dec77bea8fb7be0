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
// whichever ttyUSB<k> it becomes. A USB chip without a serial number (the CH340 of most
// clones) has no name of its own there: two such boards would share one, so each is known
// by the USB port it sits in, its name in /dev/serial/by-path. The numbers live in the
// user's configuration, <config>/Quillon/Vantrel32.conf, shared by every program that uses
// the library.
//
// COM n opens, in this order: the path in VANTREL_COM<n> when set and not empty; the
// device numbered n (an unplugged one keeps its number, and opening it fails naming it);
// the on-board port /dev/ttyS<n-1>. An on-board port that the system lists as present
// holds its number by birth: new devices skip it, so with a real ttyS0 the first USB
// board is COM2.
class ComPortMap {
public:
    enum class Source { Environment, Numbered, OnBoard };

    // Whether a USB serial chip tells itself apart from its twins by a serial number.
    enum class SerialNumber { Own, None };

    // What the system says about one serial device.
    struct Device {
        QString node;   // e.g. /dev/ttyUSB0
        QString byId;   // its link in /dev/serial/by-id; empty when it has none
        QString byPath; // its link in /dev/serial/by-path; empty when it has none
        SerialNumber serialNumber = SerialNumber::Own;
    };

    // A serial device the machine has now.
    struct Port {
        QString name;   // the stable name where there is one, else the device itself
        QString device; // the device node, e.g. /dev/ttyUSB0
        // For a device known by its USB port: the by-id name it shares with its twins, under
        // which a number may have been kept before such devices went by their port.
        QString sharedName = {};
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
    // QUILLON_SERIAL_BY_ID and QUILLON_SERIAL_BY_PATH, test hooks, name folders to use
    // instead of /dev/serial/by-id and /dev/serial/by-path; when either is set, the links in
    // them are the only ports, and the devices behind them have no serial number.
    static QList<Port> AvailablePorts();

    // The name a device goes by: its by-id link, unless it has no serial number or no such
    // link, then its by-path link; the node itself when it has neither.
    static Port Named(const Device& device);

    // Gives each port without a number the lowest free one, in the order of their names,
    // after moving a number kept under a port's shared name to the port; true when it
    // changed any.
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
