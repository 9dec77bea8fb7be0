#include "ComPortMap.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPortInfo>
#include <QSettings>
#include <QStandardPaths>

#include <algorithm>
#include <map>
#include <set>

namespace quillon::link {

namespace {

const QString kGroup = QStringLiteral("ComPorts");
const QString kKeyPrefix = QStringLiteral("COM");
const QString kByIdFolder = QStringLiteral("/dev/serial/by-id");
const QString kByPathFolder = QStringLiteral("/dev/serial/by-path");
constexpr int32_t kFirstNumber = 1;

QString OnBoardPath(int32_t number) {
    return QStringLiteral("/dev/ttyS%1").arg(static_cast<int64_t>(number) - 1);
}

// The COM number an on-board port has by birth (ttyS0 is COM1), or 0.
int32_t OnBoardNumber(const QString& device) {
    static const QRegularExpression onBoard(QStringLiteral("^/dev/ttyS(\\d{1,6})$"));
    const QRegularExpressionMatch match = onBoard.match(device);
    return match.hasMatch() ? match.captured(1).toInt() + 1 : 0;
}

// The device node a path leads to now; empty when there is none.
QString Present(const QString& path) {
    return QFileInfo(path).canonicalFilePath();
}

// The links in a folder of udev's, by the device each leads to. A device with more than one
// (by-path has a usb- and a usbv2- link per port on newer systems) goes by the first in name
// order, so it keeps the same one from one look to the next. A folder that is not given, or
// not there, has none.
std::map<QString, QString> LinksByDevice(const QString& folder) {
    std::map<QString, QString> links;
    if (folder.isEmpty()) {
        return links;
    }
    const QFileInfoList entries = QDir(folder).entryInfoList(
        QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& link : entries) {
        const QString device = link.canonicalFilePath();
        if (link.isSymLink() && !device.isEmpty()) {
            links.emplace(device, link.absoluteFilePath());
        }
    }
    return links;
}

} // namespace

std::map<int32_t, QString> ComPortMap::Numbered(QSettings& settings) {
    std::map<int32_t, QString> numbered;
    settings.beginGroup(kGroup);
    for (const QString& key : settings.childKeys()) {
        bool ok = false;
        const int32_t number =
            key.startsWith(kKeyPrefix) ? key.mid(kKeyPrefix.size()).toInt(&ok) : 0;
        const QString name = settings.value(key).toString();
        if (ok && number >= kFirstNumber && !name.isEmpty()) {
            numbered[number] = name;
        }
    }
    settings.endGroup();
    return numbered;
}

ComPortMap::Target ComPortMap::Lookup(int32_t number) {
    const QString file = SettingsFile();
    const QList<Port> ports = AvailablePorts();
    if (file.isEmpty()) {
        // No place to keep numbers: what is set or on board still works.
        return Resolve(number, std::map<int32_t, QString>{}, ports);
    }
    QSettings settings(file, QSettings::IniFormat);
    if (Assign(settings, ports)) {
        settings.sync();
    }
    return Resolve(number, settings, ports);
}

ComPortMap::Target ComPortMap::Resolve(int32_t number, QSettings& settings,
                                       const QList<Port>& ports) {
    return Resolve(number, Numbered(settings), ports);
}

ComPortMap::Target ComPortMap::Resolve(int32_t number, const std::map<int32_t, QString>& numbered,
                                       const QList<Port>& ports) {
    Target target;
    target.number = number;
    const QByteArray variable = "VANTREL_COM" + QByteArray::number(number);
    const QString fromEnvironment = qEnvironmentVariable(variable.constData());
    if (!fromEnvironment.isEmpty()) {
        target.source = Source::Environment;
        target.path = fromEnvironment;
        target.device = Present(fromEnvironment);
        return target;
    }
    if (const auto found = numbered.find(number); found != numbered.end()) {
        target.source = Source::Numbered;
        target.path = found->second;
        target.device = Present(found->second);
        return target;
    }
    target.source = Source::OnBoard;
    target.path = OnBoardPath(number);
    // Every PC has its ttyS nodes; only those the system lists have a port behind them.
    const bool listed = std::any_of(ports.begin(), ports.end(),
                                    [&](const Port& port) { return port.device == target.path; });
    target.device = listed ? target.path : QString();
    return target;
}

bool ComPortMap::Assign(QSettings& settings, const QList<Port>& ports) {
    std::map<int32_t, QString> numbered = Numbered(settings);
    std::map<QString, int32_t> numberOf;
    for (const auto& entry : numbered) {
        numberOf[entry.second] = entry.first;
    }
    bool changed = false;
    settings.beginGroup(kGroup);
    std::set<int32_t> held;
    QList<Port> fresh;
    for (const Port& port : ports) {
        if (const int32_t onBoard = OnBoardNumber(port.device); onBoard > 0) {
            held.insert(onBoard);
        } else if (numberOf.count(port.name) || numberOf.count(port.device)) {
            continue;
        } else if (const auto shared = numberOf.find(port.sharedName);
                   !port.sharedName.isEmpty() && shared != numberOf.end()) {
            // Kept under the name the board shares with its twins: from now on the number
            // follows the port it sits in, so a twin plugged in later cannot take it over.
            const int32_t number = shared->second;
            numberOf.erase(shared);
            numberOf[port.name] = number;
            numbered[number] = port.name;
            settings.setValue(kKeyPrefix + QString::number(number), port.name);
            changed = true;
        } else {
            fresh << port;
        }
    }
    std::sort(fresh.begin(), fresh.end(),
              [](const Port& a, const Port& b) { return a.name < b.name; });
    int32_t candidate = kFirstNumber;
    for (const Port& port : fresh) {
        while (numbered.count(candidate) || held.count(candidate)) {
            ++candidate;
        }
        numbered[candidate] = port.name;
        settings.setValue(kKeyPrefix + QString::number(candidate), port.name);
        changed = true;
    }
    settings.endGroup();
    return changed;
}

ComPortMap::Port ComPortMap::Named(const Device& device) {
    if (!device.byPath.isEmpty() &&
        (device.serialNumber == SerialNumber::None || device.byId.isEmpty())) {
        return Port{device.byPath, device.node, device.byId};
    }
    return Port{device.byId.isEmpty() ? device.node : device.byId, device.node};
}

QList<ComPortMap::Port> ComPortMap::AvailablePorts() {
    const QString byIdHook = qEnvironmentVariable("QUILLON_SERIAL_BY_ID");
    const QString byPathHook = qEnvironmentVariable("QUILLON_SERIAL_BY_PATH");
    const bool hooked = !byIdHook.isEmpty() || !byPathHook.isEmpty();
    const std::map<QString, QString> byId = LinksByDevice(hooked ? byIdHook : kByIdFolder);
    const std::map<QString, QString> byPath = LinksByDevice(hooked ? byPathHook : kByPathFolder);
    // Every device a link leads to, then what the system says about each.
    std::map<QString, Device> devices;
    for (const auto& [node, link] : byId) {
        devices[node].byId = link;
    }
    for (const auto& [node, link] : byPath) {
        devices[node].byPath = link;
    }
    if (hooked) {
        // A test's stand-in for a device is no USB chip: it has no serial number.
        for (auto& entry : devices) {
            entry.second.serialNumber = SerialNumber::None;
        }
    } else {
        for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
            devices[info.systemLocation()].serialNumber =
                info.serialNumber().isEmpty() ? SerialNumber::None : SerialNumber::Own;
        }
    }
    QList<Port> ports;
    for (auto& [node, device] : devices) {
        device.node = node;
        ports << Named(device);
    }
    return ports;
}

QString ComPortMap::Hint(const Target& target) {
    QStringList notes;
    if (target.device.isEmpty()) {
        notes << QStringLiteral("not present");
    } else if (target.device != target.path) {
        notes << target.device;
    }
    if (target.source == Source::Environment) {
        notes << QStringLiteral("VANTREL_COM%1").arg(target.number);
    }
    QString hint = QStringLiteral("COM%1: %2").arg(target.number).arg(target.path);
    if (!notes.isEmpty()) {
        hint += QStringLiteral(" (%1)").arg(notes.join(QStringLiteral(", ")));
    }
    return hint;
}

QString ComPortMap::SettingsFile() {
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return config.isEmpty() ? QString() : config + QStringLiteral("/Quillon/Vantrel32.conf");
}

} // namespace quillon::link
