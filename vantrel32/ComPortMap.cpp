#include "ComPortMap.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
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
    std::set<QString> known;
    for (const auto& entry : numbered) {
        known.insert(entry.second);
    }
    std::set<int32_t> held;
    QList<Port> fresh;
    for (const Port& port : ports) {
        if (const int32_t onBoard = OnBoardNumber(port.device); onBoard > 0) {
            held.insert(onBoard);
        } else if (!known.count(port.name) && !known.count(port.device)) {
            fresh << port;
        }
    }
    std::sort(fresh.begin(), fresh.end(),
              [](const Port& a, const Port& b) { return a.name < b.name; });
    settings.beginGroup(kGroup);
    int32_t candidate = kFirstNumber;
    for (const Port& port : fresh) {
        while (numbered.count(candidate) || held.count(candidate)) {
            ++candidate;
        }
        numbered[candidate] = port.name;
        settings.setValue(kKeyPrefix + QString::number(candidate), port.name);
    }
    settings.endGroup();
    return !fresh.isEmpty();
}

QList<ComPortMap::Port> ComPortMap::AvailablePorts() {
    const QString testFolder = qEnvironmentVariable("QUILLON_SERIAL_BY_ID");
    const QDir byId(testFolder.isEmpty() ? kByIdFolder : testFolder);
    // Stable name of each device that has one.
    QHash<QString, QString> names;
    const QFileInfoList links = byId.entryInfoList(
        QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& link : links) {
        const QString device = link.canonicalFilePath();
        if (link.isSymLink() && !device.isEmpty() && !names.contains(device)) {
            names.insert(device, link.absoluteFilePath());
        }
    }
    QList<Port> ports;
    if (testFolder.isEmpty()) {
        for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
            const QString device = info.systemLocation();
            ports << Port{names.value(device, device), device};
            names.remove(device);
        }
    }
    for (auto it = names.cbegin(); it != names.cend(); ++it) {
        ports << Port{it.value(), it.key()};
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
