// The tool's command line, script and device check without a process: what each good line
// parses to, the exact reason for each bad one.
#include "cli/CommandParser.h"
#include "cli/DeviceCheck.h"
#include "cli/GlobalOptions.h"
#include "cli/ScriptReader.h"
#include "cli/ValueText.h"
#include "tests/support/DataColumns.h"
#include "tests/support/DeviceAccessRows.h"

#include <QtTest>

#include <sys/stat.h>

using namespace quillon::cli;
using quillon::link::DevicePath;
using quillon::testing::AddColumns;

namespace {

QString Bytes(const std::vector<uint8_t>& bytes) {
    QStringList hex;
    for (uint8_t b : bytes) {
        hex << Hex2(b);
    }
    return hex.join(QLatin1Char(' '));
}

// One command's arguments as one line, so a table can say what a line parses to.
QString Shown(const CommandArgs& args) {
    struct Show {
        QString operator()(const VersionArgs&) const { return QStringLiteral("version"); }
        QString operator()(const WriteArgs& a) const {
            return QStringLiteral("write %1 int %2").arg(Bytes(a.bytes)).arg(a.intType);
        }
        QString operator()(const AddressArgs&) const { return QStringLiteral("address"); }
        QString operator()(const AddressSetArgs& a) const {
            return QStringLiteral("address set %1%2")
                .arg(Hex2(a.address), a.save == SaveAddress::Yes ? " save" : "");
        }
        QString operator()(const PressArgs& a) const {
            return QStringLiteral("press %1 pattern %2 hold %3")
                .arg(a.switchNames.join(QLatin1Char(',')), Hex2(a.pattern))
                .arg(a.holdMs);
        }
        QString operator()(const WatchArgs& a) const {
            return QStringLiteral("watch count %1 ms %2").arg(a.count).arg(a.durationMs);
        }
        QString operator()(const RunArgs& a) const {
            return QStringLiteral("run %1%2")
                .arg(a.file, a.onFailure == OnFailure::KeepGoing ? " keep going" : "");
        }
    };
    return std::visit(Show{}, args);
}

QStringList Words(const QString& line) {
    return line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

} // namespace

class TestCliParse : public QObject {
    Q_OBJECT

private slots:
    void goodCommand_data();
    void goodCommand();
    void badCommand_data();
    void badCommand();
    void globalOptions_data();
    void globalOptions();
    void script_data();
    void script();
    void deviceCheck_data();
    void deviceCheck();
};

void TestCliParse::goodCommand_data() {
    AddColumns<QString, QString>({"line", "parsed"});
    QTest::newRow("version") << "version"
                             << "version";
    QTest::newRow("hex forms") << "write 5a 0x12 A"
                               << "write 5A 12 0A int 0";
    QTest::newRow("interrupt") << "write FF --int 1"
                               << "write FF int 1";
    QTest::newRow("option joined") << "write FF --int=2"
                                   << "write FF int 2";
    QTest::newRow("option first") << "--int=1 write FF"
                                  << "write FF int 1";
    QTest::newRow("address") << "address"
                             << "address";
    QTest::newRow("address set") << "address set 7e"
                                 << "address set 7E";
    QTest::newRow("address set, stored") << "address set 40 --save"
                                         << "address set 40 save";
    QTest::newRow("press, default hold") << "press sw6 SW7"
                                         << "press SW6,SW7 pattern 3F hold 250";
    QTest::newRow("press, hold") << "press SW1 SW4 --hold 400"
                                 << "press SW1,SW4 pattern D7 hold 400";
    QTest::newRow("watch, no limit") << "watch"
                                     << "watch count 0 ms 0";
    QTest::newRow("watch, limits") << "watch --count 5 --seconds 0.5"
                                   << "watch count 5 ms 500";
    QTest::newRow("run, stdin") << "run - --keep-going"
                                << "run - keep going";
}

void TestCliParse::goodCommand() {
    QFETCH(QString, line);
    QFETCH(QString, parsed);
    Command command;
    const auto problem = CommandParser::Parse(Words(line), command);
    QVERIFY2(!problem, qPrintable(problem.value_or(QString())));
    QCOMPARE(Shown(command.args), parsed);
    QCOMPARE(command.text, line);
}

void TestCliParse::badCommand_data() {
    AddColumns<QString, QString>({"line", "problem"});
    QTest::newRow("no command") << ""
                                << "no command given (version, write, address, press, watch, run)";
    QTest::newRow("unknown")
        << "frob"
        << R"(unknown command "frob" (version, write, address, press, watch, run))";
    QTest::newRow("no byte") << "write"
                             << "write: missing the port byte (two hex digits, e.g. 5A)";
    QTest::newRow("17 bytes") << "write 1 2 3 4 5 6 7 8 9 A B C D E F 10 11"
                              << "write: at most 16 bytes in one write";
    QTest::newRow("interrupt 3")
        << "write 5A --int 3"
        << R"(write: --int takes 0 (no interrupt), 1 or 2 (interrupt line), not "3")";
    QTest::newRow("value missing") << "write 5A --int"
                                   << "write: --int needs a value (0|1|2)";
    QTest::newRow("flag with value") << "address set 40 --save=1"
                                     << "address set: --save takes no value";
    QTest::newRow("odd address")
        << "address set 41"
        << "address set: 41 is not an address of either chip type: the address is even and lies "
           "in 40..4E (PCF8574) or 70..7E (PCF8574A)";
    QTest::newRow("two addresses") << "address set 40 42"
                                   << R"(address set: unexpected argument "42")";
    QTest::newRow("no switch") << "press"
                               << "press: missing the switches to press (SW1..SW8)";
    QTest::newRow("hold 0") << "press SW1 --hold 0"
                            << R"(press: --hold takes milliseconds, 1..3600000, not "0")";
    QTest::newRow("another's option") << "press SW1 --int 1"
                                      << "press: unknown option --int";
    QTest::newRow("count 0")
        << "watch --count 0"
        << R"(watch: --count takes a number of writes, 1..1000000000, not "0")";
    QTest::newRow("seconds 0")
        << "watch --seconds 0"
        << R"(watch: --seconds takes a time above 0 (e.g. 10 or 0.5), not "0")";
    QTest::newRow("no script") << "run"
                               << "run: missing the script file (or - for standard input)";
}

void TestCliParse::badCommand() {
    QFETCH(QString, line);
    QFETCH(QString, problem);
    Command command;
    QCOMPARE(CommandParser::Parse(Words(line), command), std::optional<QString>(problem));
}

void TestCliParse::globalOptions_data() {
    AddColumns<QString, QString, QString>({"line", "target", "problem"});
    QTest::newRow("port joined") << "-p3 version"
                                 << "COM3 1500"
                                 << "";
    QTest::newRow("device, time-out joined") << "version -d /dev/ttyUSB0 --timeout=300"
                                             << "/dev/ttyUSB0 300"
                                             << "";
    QTest::newRow("both") << "-d /dev/ttyUSB0 -p 3"
                          << ""
                          << "give either -d DEVICE or -p N, not both";
    QTest::newRow("port 0") << "-p 0"
                            << ""
                            << R"(-p takes a COM port number, 1..255, not "0")";
    QTest::newRow("time-out too long") << "--timeout 65536"
                                       << ""
                                       << R"(--timeout takes milliseconds, 1..65535, not "65536")";
    QTest::newRow("value missing") << "version -p"
                                   << ""
                                   << "-p needs a value (N)";
}

void TestCliParse::globalOptions() {
    QFETCH(QString, line);
    QFETCH(QString, target);
    QFETCH(QString, problem);
    Invocation invocation;
    const auto found = GlobalOptions::Parse(Words(line), invocation);
    QCOMPARE(found.value_or(QString()), problem);
    if (problem.isEmpty()) {
        QCOMPARE(
            QStringLiteral("%1 %2").arg(invocation.target.Describe()).arg(invocation.timeOutMs),
            target);
        QCOMPARE(invocation.commandWords, QStringList{"version"});
    }
}

void TestCliParse::script_data() {
    AddColumns<QString, QStringList, QString>({"text", "lines", "problem"});
    QTest::newRow("comments and blanks")
        << "write FF   # released\n\n  # nothing\npress SW5\n"
        << QStringList{"rig.txt:1 write FF int 0", "rig.txt:4 press SW5 pattern EF hold 250"} << "";
    QTest::newRow("bad line") << "write 11\nwrite 1G\n"
                              << QStringList{}
                              << R"(rig.txt:2: write: "1G" is not a hex byte (00..FF))";
    QTest::newRow("script in a script")
        << "version\nrun other\n"
        << QStringList{} << "rig.txt:2: run: a script cannot run another script";
}

void TestCliParse::script() {
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QFETCH(QString, problem);
    std::vector<ScriptLine> parsed;
    const auto found = ScriptReader::Parse(QStringLiteral("rig.txt"), text, parsed);
    QCOMPARE(found.value_or(QString()), problem);
    if (found) {
        return; // nothing of the script runs
    }
    QStringList shown;
    for (const ScriptLine& line : parsed) {
        shown << line.origin + QLatin1Char(' ') + Shown(line.command.args);
    }
    QCOMPARE(shown, lines);
}

void TestCliParse::deviceCheck_data() {
    quillon::testing::AddDeviceAccessColumns();
    QTest::addColumn<QString>("problem");
    constexpr uint root = 0;
    constexpr uint user = 1000;
    constexpr uint dialout = 20;
    const QList<uint> alone{user};
    const QString ask = "permission denied (ask for read and write access to the device)";
    QTest::newRow("root's own device: group root is no advice")
        << root << root << "root" << (S_IFCHR | 0600u) << user << alone << ask;
    QTest::newRow("group root may: still not a group to join")
        << root << root << "root" << (S_IFCHR | 0660u) << user << alone << ask;
    QTest::newRow("dialout may")
        << root << dialout << "dialout" << (S_IFCHR | 0660u) << user << alone
        << "permission denied (add yourself to group dialout and log in again)";
    QTest::newRow("dialout may only read")
        << root << dialout << "dialout" << (S_IFCHR | 0640u) << user << alone << ask;
    QTest::newRow("already in dialout") << root << dialout << "dialout" << (S_IFCHR | 0660u) << user
                                        << QList<uint>{user, dialout} << "";
    QTest::newRow("a plain file") << user << user << "user" << (S_IFREG | 0600u) << user << alone
                                  << "not a serial device";
}

void TestCliParse::deviceCheck() {
    QFETCH(QString, problem);
    const DevicePath::Access access = quillon::testing::FetchDeviceAccess();
    QCOMPARE(DeviceCheck::Problem(access).value_or(QString()), problem);
}

QTEST_GUILESS_MAIN(TestCliParse)
#include "tst_cliparse.moc"
