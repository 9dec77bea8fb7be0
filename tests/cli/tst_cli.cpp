// quillon-cli as a rig runs it: the built program as a child process, without a display,
// against the simulator. Each case checks what the adapter saw (the simulator's event
// lines), what the tool printed and its exit status.
#include "tests/support/CliProcess.h"
#include "tests/support/DataColumns.h"
#include "tests/support/NoDisplay.h"
#include "tests/support/SimProcess.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <csignal>
#include <memory>
#include <unistd.h>

namespace {

constexpr int kEventWaitMs = 5000;

// Expected lines are literal text, except that <N> stands for a number and <*> for
// anything: "SW7 released after <N> ms".
bool LineMatches(const QString& pattern, const QString& line) {
    QString expression;
    static const QRegularExpression token(QStringLiteral("<N>|<\\*>"));
    qsizetype from = 0;
    for (auto it = token.globalMatch(pattern); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        expression += QRegularExpression::escape(pattern.mid(from, m.capturedStart() - from));
        expression += m.captured() == QLatin1String("<N>") ? QStringLiteral("[0-9]+(?:\\.[0-9]+)?")
                                                           : QStringLiteral(".*");
        from = m.capturedEnd();
    }
    expression += QRegularExpression::escape(pattern.mid(from));
    return QRegularExpression(QRegularExpression::anchoredPattern(expression))
        .match(line)
        .hasMatch();
}

// Empty when the lines match the patterns one to one, else what differs.
QString Mismatch(const QStringList& lines, const QStringList& patterns) {
    bool same = lines.size() == patterns.size();
    for (qsizetype i = 0; same && i < lines.size(); ++i) {
        same = LineMatches(patterns.at(i), lines.at(i));
    }
    if (same) {
        return {};
    }
    return QStringLiteral("got [%1], expected [%2]")
        .arg(lines.join(QStringLiteral(" | ")), patterns.join(QStringLiteral(" | ")));
}

// Empty when the tool printed these lines (err: one pattern a line) and ended with this
// status, else what differs.
QString EndMismatch(CliProcess& cli, const QStringList& out, const QString& err, int exitCode) {
    QStringList diffs{Mismatch(cli.OutLines(), out),
                      Mismatch(cli.ErrLines(), err.split('\n', Qt::SkipEmptyParts))};
    if (cli.ExitCode() != exitCode) {
        diffs << QStringLiteral("exit %1, expected %2").arg(cli.ExitCode()).arg(exitCode);
    }
    diffs.removeAll(QString());
    return diffs.join(QStringLiteral("; "));
}

// What the simulator tells of the opening and a whole press of SW7 on a camera.
QStringList Sw7PressAndRelease() {
    return {"version sent",
            "port FF -> BF",
            "INT1 pulse",
            "SW7 pressed",
            "port BF -> FF",
            "INT1 pulse",
            "SW7 released after <N> ms"};
}

// The number in the first line of the list that matches "<prefix><number>".
double NumberAfter(const QStringList& lines, const QString& prefix) {
    for (const QString& line : lines) {
        if (line.startsWith(prefix)) {
            return line.mid(prefix.size()).section(QLatin1Char(' '), 0, 0).toDouble();
        }
    }
    return -1;
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT

    std::unique_ptr<SimProcess> sim;
    QTemporaryDir dir;

    bool StartSim(const QStringList& args) {
        QStringList expanded;
        for (const QString& arg : args) {
            expanded << QString(arg).replace(QLatin1String("%DIR%"), dir.path());
        }
        sim = std::make_unique<SimProcess>();
        if (const auto error = sim->Start(expanded)) {
            qWarning("%s", qPrintable(*error));
            return false;
        }
        return true;
    }

    // The tool's arguments with the simulator's device and the script file filled in.
    QStringList Args(const QStringList& args, const QByteArray& script = {}) {
        const QString scriptPath = dir.filePath(QStringLiteral("rig.txt"));
        if (!script.isEmpty()) {
            QFile file(scriptPath);
            if (!file.open(QIODevice::WriteOnly) || file.write(script) != script.size()) {
                qWarning("cannot write %s", qPrintable(scriptPath));
            }
        }
        QStringList expanded;
        for (const QString& arg : args) {
            expanded << QString(arg)
                            .replace(QLatin1String("%DEV%"), sim->Device())
                            .replace(QLatin1String("%DIR%"), dir.path())
                            .replace(QLatin1String("%SCRIPT%"), scriptPath);
        }
        return expanded;
    }

    // True once the simulator has printed exactly these events (the tool has ended by
    // then, so nothing more is on its way).
    bool SimSaw(const QStringList& events) {
        return QTest::qWaitFor([&] { return Mismatch(sim->EventTexts(), events).isEmpty(); },
                               kEventWaitMs);
    }

private slots:
    void initTestCase();
    void cleanup();
    void commands_data();
    void commands();
    void badInputSendsNothing_data();
    void badInputSendsNothing();
    void pressHoldsAsAsked_data();
    void pressHoldsAsAsked();
    void watchPrintsEveryMasterWriteInOrder();
    void busCountersAndWritesNotForwarded();
    void deviceInUseIsNotAnAdapterSilence();
    void silenceOnAComPortNamesItsDevice();
    void signalsEndCleanly_data();
    void signalsEndCleanly();
    void sessionRunsLinesAsTheyArrive_data();
    void sessionRunsLinesAsTheyArrive();
    void sessionTellsMasterWritesItLost();
    void outputFailureLetsTheActionComplete_data();
    void outputFailureLetsTheActionComplete();
    void sessionWithoutStandardInputReadsItsEnd();
    void idleSessionEndsWhenAMasterWriteCannotBePrinted();
};

void TestCli::initTestCase() {
    // As on a rig without a desktop: nothing tells the toolkit of a display.
    QCOMPARE(quillon::testing::DisplayVariablesSet(), QStringList());
    QVERIFY(dir.isValid());
    QVERIFY2(!CliProcess::Binary().isEmpty(), "quillon-cli not built");
}

void TestCli::cleanup() {
    sim.reset();
}

void TestCli::commands_data() {
    // script: to %SCRIPT%
    // input: standard input
    // err: the lines on standard error, or none
    quillon::testing::AddColumns<QStringList, QStringList, QByteArray, QByteArray, QStringList,
                                 QStringList, QString, int>(
        {"simArgs", "args", "script", "input", "simEvents", "out", "err", "exitCode"});

    const QStringList none;
    const QString noError;
    const QString opened = "version sent";

    QTest::newRow("version") << none << QStringList{"-d", "%DEV%", "version"} << QByteArray()
                             << QByteArray() << QStringList{opened}
                             << QStringList{"version Quillon Adapter V1.0 (simulator)"} << noError
                             << 0;
    QTest::newRow("version as the adapter tells it")
        << QStringList{"--version", "Bench Box 7"}
        << QStringList{"--json", "version", "-d", "%DEV%"} << QByteArray() << QByteArray()
        << QStringList{opened} << QStringList{R"({"event":"version","text":"Bench Box 7"})"}
        << noError << 0;
    QTest::newRow("write") << none << QStringList{"-d", "%DEV%", "write", "5A"} << QByteArray()
                           << QByteArray() << QStringList{opened, "port FF -> 5A"}
                           << QStringList{"written 5A int 0"} << noError << 0;
    QTest::newRow("write with interrupt 1, lower case")
        << none << QStringList{"-d", "%DEV%", "write", "5a", "--int", "1"} << QByteArray()
        << QByteArray() << QStringList{opened, "port FF -> 5A", "INT1 pulse"}
        << QStringList{"written 5A int 1"} << noError << 0;
    QTest::newRow("write 0x form with interrupt 2, json")
        << none << QStringList{"--json", "-d", "%DEV%", "write", "0x3C", "--int=2"} << QByteArray()
        << QByteArray() << QStringList{opened, "port FF -> 3C", "INT2 pulse"}
        << QStringList{R"({"bytes":[60],"event":"written","int":2})"} << noError << 0;
    QTest::newRow("write after the end of the tool's options")
        << none << QStringList{"-d", "%DEV%", "--", "write", "5A", "--int", "1"} << QByteArray()
        << QByteArray() << QStringList{opened, "port FF -> 5A", "INT1 pulse"}
        << QStringList{"written 5A int 1"} << noError << 0;
    QTest::newRow("write several bytes, the port takes the last")
        << none << QStringList{"-d", "%DEV%", "write", "01", "02", "7F"} << QByteArray()
        << QByteArray() << QStringList{opened, "port FF -> 7F"}
        << QStringList{"written 01 02 7F int 0"} << noError << 0;
    QTest::newRow("address") << none << QStringList{"-d", "%DEV%", "address"} << QByteArray()
                             << QByteArray() << QStringList{opened, "address read 40"}
                             << QStringList{"address 40 (PCF8574, A2..A0 = 000)"} << noError << 0;
    QTest::newRow("address, json")
        << none << QStringList{"-d", "%DEV%", "--json", "address"} << QByteArray() << QByteArray()
        << QStringList{opened, "address read 40"}
        << QStringList{R"({"address":64,"chip":"PCF8574","event":"address","pins":"000"})"}
        << noError << 0;
    QTest::newRow("address set") << none << QStringList{"-d", "%DEV%", "address", "set", "7E"}
                                 << QByteArray() << QByteArray()
                                 << QStringList{opened, "address 40 -> 7E"}
                                 << QStringList{"address changed 7E (PCF8574A, A2..A0 = 111)"}
                                 << noError << 0;
    QTest::newRow("address set and save")
        << QStringList{"--state", "%DIR%/adapter.state"}
        << QStringList{"-d", "%DEV%", "address", "set", "72", "--save"} << QByteArray()
        << QByteArray() << QStringList{opened, "address 40 -> 72", "address saved 72"}
        << QStringList{"address changed 72 (PCF8574A, A2..A0 = 001)",
                       "address saved 72 (PCF8574A, A2..A0 = 001)"}
        << noError << 0;
    QTest::newRow("save not answered: time-out")
        << QStringList{"--state", "%DIR%/missing/adapter.state"}
        << QStringList{"-d", "%DEV%", "--timeout", "300", "address", "set", "72", "--save"}
        << QByteArray() << QByteArray()
        << QStringList{opened, "address 40 -> 72", "error address 72 not saved: <*>"}
        << QStringList{"address changed 72 (PCF8574A, A2..A0 = 001)"}
        << "quillon-cli: address set 72 --save (save): no reply within 300 ms" << 2;
    QTest::newRow("press two switches")
        << QStringList{"--camera"}
        << QStringList{"-d", "%DEV%", "press", "SW1", "sw4", "--hold", "60"} << QByteArray()
        << QByteArray()
        << QStringList{opened,
                       "port FF -> D7",
                       "INT1 pulse",
                       "SW1 pressed",
                       "SW4 pressed",
                       "port D7 -> FF",
                       "INT1 pulse",
                       "SW1 released after <N> ms",
                       "SW4 released after <N> ms"}
        << QStringList{"pressed SW1 SW4 pattern D7", "released SW1 SW4 after <N> ms"} << noError
        << 0;
    // The hold is over before the press is confirmed: the release is owed while the link is
    // busy and goes out with the confirmation, whose reply is then not taken for its own.
    QTest::newRow("press confirmed after its hold")
        << QStringList{"--camera", "--late-reply", "80"}
        << QStringList{"-d", "%DEV%", "press", "SW7", "--hold", "1"} << QByteArray() << QByteArray()
        << QStringList{opened,
                       "port FF -> BF",
                       "INT1 pulse",
                       "SW7 pressed",
                       "port BF -> FF",
                       "INT1 pulse",
                       "SW7 released after <N> ms"}
        << QStringList{"pressed SW7 pattern BF", "released SW7 after <N> ms"} << noError << 0;
    // A faulty adapter, or one that refused what was asked: its reply names what it took.
    QTest::newRow("address set, the adapter confirms another")
        << QStringList{"--confirm-address", "40"}
        << QStringList{"-d", "%DEV%", "address", "set", "72", "--save"} << QByteArray()
        << QByteArray() << QStringList{opened, "address 40 -> <*>"}
        << QStringList{"address changed 40 (PCF8574, A2..A0 = 000)"}
        << "quillon-cli: address set 72 --save: the adapter confirmed 40, not 72" << 1;
    QTest::newRow("address set, the adapter confirms another, json")
        << QStringList{"--confirm-address", "4E"}
        << QStringList{"--json", "-d", "%DEV%", "address", "set", "72"} << QByteArray()
        << QByteArray() << QStringList{opened, "address 40 -> <*>"}
        << QStringList{R"({"address":78,<*>})",
                       R"({"confirmed":78,"event":"error","message":"address set 72: the )"
                       R"(adapter confirmed 4E, not 72","status":1})"}
        << "quillon-cli: address set 72: the adapter confirmed 4E, not 72" << 1;
    QTest::newRow("pacing hold, the adapter confirms release")
        << QStringList{"--confirm-pacing", "release"}
        << QStringList{"-d", "%DEV%", "pacing", "hold"} << QByteArray() << QByteArray()
        << QStringList{opened, "pacing release"} << QStringList{"pacing release"}
        << "quillon-cli: pacing hold: the adapter confirmed pacing release, not hold" << 1;
    QTest::newRow("pacing asked") << none << QStringList{"-d", "%DEV%", "pacing"} << QByteArray()
                                  << QByteArray() << QStringList{opened, "pacing release"}
                                  << QStringList{"pacing release"} << noError << 0;
    QTest::newRow("pacing hold, json")
        << none << QStringList{"--json", "-d", "%DEV%", "pacing", "hold"} << QByteArray()
        << QByteArray() << QStringList{opened, "pacing hold"}
        << QStringList{R"({"event":"pacing","pacing":"hold"})"} << noError << 0;
    QTest::newRow("stats, json")
        << none << QStringList{"--json", "-d", "%DEV%", "stats"} << QByteArray() << QByteArray()
        << QStringList{opened, "counters sent"}
        << QStringList{R"({"address_only":0,"event":"counters","longest_hold_us":0,)"
                       R"("master_reads":0,"master_writes":0,"not_forwarded":0})"}
        << noError << 0;
    QTest::newRow("adapter silent on opening")
        << QStringList{"--no-reply"} << QStringList{"-d", "%DEV%", "--timeout", "200", "version"}
        << QByteArray() << QByteArray() << QStringList{opened} << none
        << "quillon-cli: no answer from the adapter on <*> within 200 ms <*>" << 1;
    QTest::newRow("hang-up during the opening check")
        << QStringList{"--hangup-after", "1"} << QStringList{"-d", "%DEV%", "version"}
        << QByteArray() << QByteArray() << QStringList{"hangup"} << none
        << "quillon-cli: <*>: the port closed under us during the opening check (device "
           "unplugged or hung up)"
        << 1;
    QTest::newRow("a device that is no serial port")
        << none << QStringList{"-d", "/dev/null", "version"} << QByteArray() << QByteArray() << none
        << none << "quillon-cli: cannot open /dev/null: not a serial device" << 1;
    QTest::newRow("device missing")
        << none << QStringList{"-d", "%DIR%/ttyNONE", "version"} << QByteArray() << QByteArray()
        << none << none << "quillon-cli: cannot open <*>/ttyNONE: no such device <*>" << 1;
    QTest::newRow("device missing, json")
        << none << QStringList{"--json", "-d", "%DIR%/ttyNONE", "version"} << QByteArray()
        << QByteArray() << none
        << QStringList{R"({"event":"error","message":"cannot open <*>/ttyNONE: no such )"
                       R"j(device (is the adapter plugged in?)","status":1})j"}
        << "quillon-cli: cannot open <*>" << 1;
    QTest::newRow("COM port the library cannot open")
        << none << QStringList{"-p", "200", "version"} << QByteArray() << QByteArray() << none
        << none
        << "Vantrel32: cannot open /dev/ttyS199: <*>\n"
           "quillon-cli: cannot open COM200 (/dev/ttyS199): <*>"
        << 1;
    // A JSON reader sees no line on standard error: the system's reason is in the object.
    QTest::newRow("COM port the library cannot open, json")
        << none << QStringList{"--json", "-p", "200", "version"} << QByteArray() << QByteArray()
        << none
        << QStringList{R"({"event":"error","message":"cannot open COM200 (/dev/ttyS199): <*>",)"
                       R"("reason":"<*>","status":1})"}
        << "Vantrel32: cannot open /dev/ttyS199: <*>\n"
           "quillon-cli: cannot open COM200 (/dev/ttyS199): <*>"
        << 1;
    QTest::newRow("watch that sees fewer writes than its count")
        << none << QStringList{"--json", "-d", "%DEV%", "watch", "--count", "1", "--seconds", "0.2"}
        << QByteArray() << QByteArray() << QStringList{opened}
        << QStringList{R"({"event":"watch","time":<*>})",
                       R"({"event":"error","message":"watch --count 1 --seconds 0.2: 0 of 1 )"
                       R"(master writes within 0.2 s","seen":0,"status":3})"}
        << "quillon-cli: watch --count 1 --seconds 0.2: 0 of 1 master writes within 0.2 s" << 3;
    QTest::newRow("watch for a time only ends well")
        << none << QStringList{"-d", "%DEV%", "watch", "--seconds", "0.2"} << QByteArray()
        << QByteArray() << QStringList{opened} << QStringList{"watch started <*>"} << noError << 0;
    QTest::newRow("port lost during a write")
        << QStringList{"--hangup-after", "2"} << QStringList{"-d", "%DEV%", "write", "5A"}
        << QByteArray() << QByteArray() << QStringList{opened, "hangup"} << none
        << "quillon-cli: write 5A: the port closed under us <*>" << 1;

    const QByteArray script = "write 11   # first\n"
                              "\n"
                              "# the save fails: the state file cannot be written\n"
                              "address set 72 --save\n"
                              "write 22\n";
    QTest::newRow("run stops at the failing line")
        << QStringList{"--state", "%DIR%/missing/adapter.state"}
        << QStringList{"-d", "%DEV%", "--timeout", "300", "run", "%SCRIPT%"} << script
        << QByteArray()
        << QStringList{opened, "port FF -> 11", "address 40 -> 72", "error address 72 <*>"}
        << QStringList{"written 11 int 0", "address changed 72 (PCF8574A, A2..A0 = 001)"}
        << "quillon-cli: <*>/rig.txt:4: address set 72 --save (save): no reply within 300 ms" << 2;
    QTest::newRow("run --keep-going goes on, exit as the failure")
        << QStringList{"--state", "%DIR%/missing/adapter.state"}
        << QStringList{"-d", "%DEV%", "--timeout", "300", "run", "%SCRIPT%", "--keep-going"}
        << script << QByteArray()
        << QStringList{opened, "port FF -> 11", "address 40 -> 72", "error address 72 <*>",
                       "port 11 -> 22"}
        << QStringList{"written 11 int 0", "address changed 72 (PCF8574A, A2..A0 = 001)",
                       "written 22 int 0"}
        << "quillon-cli: <*>/rig.txt:4: <*>" << 2;
    // The adapter answered, so the port is still there: --keep-going runs the next line.
    QTest::newRow("run --keep-going goes on after an address the adapter took otherwise")
        << QStringList{"--confirm-address", "40"}
        << QStringList{"-d", "%DEV%", "run", "%SCRIPT%", "--keep-going"}
        << QByteArray("address set 72\nwrite 22\n") << QByteArray()
        << QStringList{opened, "address 40 -> <*>", "port FF -> 22"}
        << QStringList{"address changed 40 (PCF8574, A2..A0 = 000)", "written 22 int 0"}
        << "quillon-cli: <*>/rig.txt:1: address set 72: the adapter confirmed 40, not 72" << 1;
    QTest::newRow("run: an expect that sees no such write")
        << none << QStringList{"-d", "%DEV%", "run", "%SCRIPT%"}
        << QByteArray("write 11\nexpect 12 --within 100\nwrite 22\n") << QByteArray()
        << QStringList{opened, "port FF -> 11"} << QStringList{"written 11 int 0"}
        << "quillon-cli: <*>/rig.txt:2: expect 12 --within 100: no master write 12 within 100 ms"
        << 3;
    // A press writes its own pattern, as the keypad does: SW6, held down by the port byte
    // written before, comes up with it.
    QTest::newRow("run from standard input, one open for all lines")
        << QStringList{"--camera"} << QStringList{"-d", "%DEV%", "run", "-"} << QByteArray()
        << QByteArray("write 7F\npress SW8 --hold 20\naddress\n")
        << QStringList{opened,           "port FF -> 7F",
                       "SW6 pressed",    "port 7F -> FE",
                       "INT1 pulse",     "SW6 released after <N> ms",
                       "SW8 pressed",    "port FE -> FF",
                       "INT1 pulse",     "SW8 released after <N> ms",
                       "address read 40"}
        << QStringList{"written 7F int 0", "pressed SW8 pattern FE", "released SW8 after <N> ms",
                       "address 40 (PCF8574, A2..A0 = 000)"}
        << noError << 0;
}

void TestCli::commands() {
    QFETCH(QStringList, simArgs);
    QFETCH(QStringList, args);
    QFETCH(QByteArray, script);
    QFETCH(QByteArray, input);
    QFETCH(QStringList, simEvents);
    QFETCH(QStringList, out);
    QFETCH(QString, err);
    QFETCH(int, exitCode);

    QVERIFY(StartSim(simArgs));
    CliProcess cli;
    QVERIFY(cli.Run(Args(args, script), input));
    QVERIFY2(SimSaw(simEvents), qPrintable(Mismatch(sim->EventTexts(), simEvents)));
    const QString diff = EndMismatch(cli, out, err, exitCode);
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
}

void TestCli::badInputSendsNothing_data() {
    // input: standard input; exitCode: 64 for what is wrong, 66 for what cannot be read
    quillon::testing::AddColumns<QStringList, QByteArray, QString, QStringList, QByteArray, int>(
        {"args", "script", "err", "out", "input", "exitCode"});

    const QStringList none;
    const auto row = [&](const char* name, const QStringList& words, const QString& err) {
        QTest::newRow(name) << QStringList{"-d", "%DEV%"} + words << QByteArray() << err << none
                            << QByteArray() << 64;
    };
    row("bad hex", {"write", "5G"}, R"(write: "5G" is not a hex byte (00..FF))");
    row("three digits", {"write", "123"}, R"(write: "123" is not a hex byte (00..FF))");
    row("no byte", {"write"}, "write: missing the port byte <*>");
    row("bad bytes after a good one", {"write", "5A", "x"}, "write: <*>");
    row("interrupt 3", {"write", "5A", "--int", "3"}, "write: --int takes 0 <*>");
    row("option without value", {"write", "5A", "--int"}, "write: --int needs a value <*>");
    row("odd address", {"address", "set", "41"},
        "address set: 41 is not an address of either chip type: <*>");
    row("address between the ranges", {"address", "set", "50"}, "address set: 50 is not <*>");
    row("address above the ranges", {"address", "set", "7F"}, "address set: 7F is not <*>");
    row("address without set", {"address", "40"}, R"(address: unexpected argument "40")");
    row("unknown switch", {"press", "SW1", "SW9"}, R"(press: unknown switch "SW9" (SW1..SW8))");
    row("no switch", {"press"}, "press: missing the switches <*>");
    row("switch twice", {"press", "SW1", "sw1"}, "press: switch SW1 named twice");
    row("hold of 0", {"press", "SW1", "--hold", "0"}, "press: --hold takes milliseconds<*>");
    row("option of another command", {"press", "SW1", "--int", "1"}, "press: unknown option --int");
    row("count of 0", {"watch", "--count", "0"}, "watch: --count takes <*>");
    row("negative seconds", {"watch", "--seconds", "-1"}, "watch: --seconds takes <*>");
    row("seconds below the resolution", {"watch", "--seconds", "0.0001"},
        R"(watch: --seconds counts whole milliseconds: "0.0001" is below 1 ms; the least is 0.001)");
    row("unknown command", {"frobnicate"}, R"(unknown command "frobnicate" <*>)");
    row("no command", {}, "no command given <*>");
    row("time-out of 0", {"--timeout", "0", "version"}, "--timeout takes milliseconds<*>");
    row("device and port", {"-p", "3", "version"}, "give either -d DEVICE or -p N, not both");
    row("unknown option", {"--bogus", "version"}, "unknown option --bogus");
    row("mistyped option of the tool", {"--jsn", "write", "5A"},
        "unknown option --jsn (did you mean --json?)");
    row("a long token cut short", {"write", QString(100000, 'A')},
        R"(write: ")" + QString(40, 'A') + R"x(... (100000 bytes)" is not a hex byte (00..FF))x");
    // The device given first must not be silently replaced: nothing reaches either.
    QTest::newRow("device given twice")
        << QStringList{"-d", "%DEV%-no-such", "-d", "%DEV%", "write", "5A"} << QByteArray()
        << "-d given twice" << none << QByteArray() << 64;
    QTest::newRow("control bytes in a script line are shown escaped")
        << QStringList{"-d", "%DEV%", "run", "%SCRIPT%"} << QByteArray("write 5A\x1b]0;title\x07\n")
        << R"(<*>/rig.txt:1: write: "5A\x1b]0;title\x07" is not a hex byte (00..FF))" << none
        << QByteArray() << 64;
    // JSON keeps valid Unicode for strict readers: such a byte is a replacement character.
    QTest::newRow("bytes of no UTF-8 in a script line, json")
        << QStringList{"--json", "-d", "%DEV%", "run", "%SCRIPT%"} << QByteArray("write \xff\n")
        << R"(<*>/rig.txt:1: write: "\xff" is not a hex byte (00..FF))"
        << QStringList{R"({"event":"error","message":"<*>/rig.txt:1: write: \")" +
                       QString(QChar::ReplacementCharacter) +
                       R"x(\" is not a hex byte (00..FF)","status":64})x"}
        << QByteArray() << 64;
    QTest::newRow("bytes of no UTF-8 in a script line are shown as read")
        << QStringList{"-d", "%DEV%", "run", "%SCRIPT%"} << QByteArray("write \xff\xc3\n")
        << R"(<*>/rig.txt:1: write: "\xff\xc3" is not a hex byte (00..FF))" << none << QByteArray()
        << 64;
    QTest::newRow("no adapter named")
        << QStringList{"version"} << QByteArray() << "no adapter named: give -d DEVICE or -p N"
        << none << QByteArray() << 64;
    QTest::newRow("script with a bad line")
        << QStringList{"-d", "%DEV%", "run", "%SCRIPT%"}
        << QByteArray("write 11\npress SW1\n# fine so far\nwrite 1G\nwrite 22\n")
        << R"(<*>/rig.txt:4: write: "1G" is not a hex byte (00..FF))" << none << QByteArray() << 64;
    QTest::newRow("script that runs a script")
        << QStringList{"-d", "%DEV%", "run", "%SCRIPT%"} << QByteArray("version\nrun other\n")
        << "<*>/rig.txt:2: run: a script cannot run another script" << none << QByteArray() << 64;
    QTest::newRow("script with the tool's options")
        << QStringList{"-d", "%DEV%", "run", "%SCRIPT%"} << QByteArray("--json version\n")
        << "<*>/rig.txt:1: --json is an option of quillon-cli itself: give it before the "
           "command on its command line, not in a script"
        << none << QByteArray() << 64;
    QTest::newRow("json adds the error object")
        << QStringList{"--json", "-d", "%DEV%", "write", "5G"} << QByteArray() << "write: <*>"
        << QStringList{R"({"event":"error","message":"write: \"5G\" is not a hex byte )"
                       R"j((00..FF)","status":64})j"}
        << QByteArray() << 64;

    // Scripts are read as they come and bounded: a stream without end fails at its bound
    // instead of filling the memory, and nothing is sent.
    const QByteArray tenThousandAndOne = QByteArray("write 5A\n").repeated(10001);
    const QString useASession =
        "(a session streams any number of commands: quillon-cli ... session)";
    QTest::newRow("endless line") << QStringList{"-d", "%DEV%", "run", "/dev/zero"} << QByteArray()
                                  << "/dev/zero:1: line longer than 4096 bytes" << none
                                  << QByteArray() << 64;
    QTest::newRow("overlong line")
        << QStringList{"-d", "%DEV%", "run", "%SCRIPT%"}
        << "write 11\n# fine\n" + QByteArray(4097, 'x') + "\nwrite 22\n"
        << "<*>/rig.txt:3: line longer than 4096 bytes" << none << QByteArray() << 64;
    QTest::newRow("script of too many lines")
        << QStringList{"-d", "%DEV%", "run", "%SCRIPT%"} << tenThousandAndOne
        << "<*>/rig.txt: script longer than 10000 lines " + useASession << none << QByteArray()
        << 64;
    QTest::newRow("script too large")
        << QStringList{"-d", "%DEV%", "run", "%SCRIPT%"}
        << ("#" + QByteArray(4000, '-') + "\n").repeated(300)
        << "<*>/rig.txt: script larger than 1 MiB " + useASession << none << QByteArray() << 64;
    QTest::newRow("standard input of too many lines")
        << QStringList{"-d", "%DEV%", "run", "-"} << QByteArray()
        << "stdin: script longer than 10000 lines " + useASession << none << tenThousandAndOne
        << 64;
    QTest::newRow("missing script")
        << QStringList{"-d", "%DEV%", "run", "%DEV%-no-such-script"} << QByteArray()
        << "run: cannot read <*>" << none << QByteArray() << 66;
    QTest::newRow("script is a directory")
        << QStringList{"-d", "%DEV%", "run", "%DIR%"} << QByteArray()
        << "run: cannot read <*>: file to open is a directory" << none << QByteArray() << 66;
    // Root reads a file whatever its mode, so only others can see this refusal.
    if (::geteuid() != 0) {
        const QString locked = dir.filePath(QStringLiteral("locked.txt"));
        QFile file(locked);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(file.setPermissions({}));
        QTest::newRow("script not readable")
            << QStringList{"-d", "%DEV%", "run", locked} << QByteArray()
            << "run: cannot read <*>/locked.txt: <*>" << none << QByteArray() << 66;
    }
}

void TestCli::badInputSendsNothing() {
    QFETCH(QStringList, args);
    QFETCH(QByteArray, script);
    QFETCH(QString, err);
    QFETCH(QStringList, out);
    QFETCH(QByteArray, input);
    QFETCH(int, exitCode);

    QVERIFY(StartSim({}));
    CliProcess cli;
    QVERIFY(cli.Run(Args(args, script), input));
    QCOMPARE(cli.ExitCode(), exitCode);
    const QString errDiff = Mismatch(cli.ErrLines(), {"quillon-cli: " + err});
    QVERIFY2(errDiff.isEmpty(), qPrintable(errDiff));
    const QString outDiff = Mismatch(cli.OutLines(), out);
    QVERIFY2(outDiff.isEmpty(), qPrintable(outDiff));

    // A good command after it: had the bad one sent anything, even the opening check, the
    // simulator would have read it first.
    CliProcess marker;
    QVERIFY(marker.Run(Args({"-d", "%DEV%", "version"})));
    QCOMPARE(marker.ExitCode(), 0);
    QVERIFY2(SimSaw({"version sent"}), qPrintable(sim->EventTexts().join(" | ")));
}

void TestCli::pressHoldsAsAsked_data() {
    quillon::testing::AddColumns<QStringList, int>({"holdArgs", "holdMs"});
    QTest::newRow("30 ms") << QStringList{"--hold", "30"} << 30;
    QTest::newRow("default 250 ms") << QStringList() << 250;
    QTest::newRow("700 ms") << QStringList{"--hold=700"} << 700;
}

void TestCli::pressHoldsAsAsked() {
    QFETCH(QStringList, holdArgs);
    QFETCH(int, holdMs);

    QVERIFY(StartSim({"--camera"}));
    CliProcess cli;
    QVERIFY(cli.Run(Args(QStringList{"-d", "%DEV%", "--json", "press", "SW7"} + holdArgs)));
    QCOMPARE(cli.ExitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(sim->EventTexts().filter("SW7 released").size() == 1, kEventWaitMs);
    // The tool's own view: from the press accepted to the release accepted, on a precise
    // timer. The camera unit's view adds the delivery of both writes; loose bounds here,
    // the spread is the benchmark's business.
    const QJsonObject released = QJsonDocument::fromJson(cli.OutLines().value(1).toUtf8()).object();
    QCOMPARE(released.value("event").toString(), QString("released"));
    const double toolHeld = released.value("held_ms").toDouble();
    QVERIFY2(toolHeld >= holdMs && toolHeld <= holdMs + 100, qPrintable(QString::number(toolHeld)));
    const double simHeld = NumberAfter(sim->EventTexts(), "SW7 released after ");
    QVERIFY2(simHeld >= holdMs - 20 && simHeld <= holdMs + 100,
             qPrintable(QString::number(simHeld)));
}

void TestCli::watchPrintsEveryMasterWriteInOrder() {
    QVERIFY(StartSim({}));
    CliProcess cli;
    QVERIFY(cli.Start(Args({"-d", "%DEV%", "--json", "watch", "--count", "100"})));
    QVERIFY2(cli.WaitForOutput(R"(^\{"event":"watch","time":"[-0-9T:.+Z]+"\}$)", kEventWaitMs),
             qPrintable(cli.ErrLines().join(" | ")));
    for (int i = 0; i < 100; ++i) {
        // Every write differs from the one before, so a lost or repeated one shows.
        sim->Command(QStringLiteral("write %1 %2")
                         .arg(i, 2, 16, QLatin1Char('0'))
                         .arg(0xA5 ^ i, 2, 16, QLatin1Char('0')));
    }
    QVERIFY(cli.Finish(30000));
    QCOMPARE(cli.ExitCode(), 0);
    const QStringList lines = cli.OutLines();
    QCOMPARE(lines.size(), 101);
    qint64 lastMs = -1;
    for (int i = 0; i < 100; ++i) {
        const QJsonObject write = QJsonDocument::fromJson(lines.at(i + 1).toUtf8()).object();
        QCOMPARE(write.value("event").toString(), QString("master"));
        QCOMPARE(write.value("bytes").toArray(), (QJsonArray{i, 0xA5 ^ i}));
        QCOMPARE(write.value("port").toInt(), 0xA5 ^ i);
        const qint64 ms = write.value("ms").toInteger();
        QVERIFY(ms >= lastMs);
        lastMs = ms;
        QVERIFY(QDateTime::fromString(write.value("time").toString(), Qt::ISODateWithMs).isValid());
    }
    QVERIFY(cli.ErrLines().isEmpty());
}

// The counters as the adapter counted the bus master's transactions, in their order; a
// watch names the gap the adapter reports before the write that follows it; the library's
// trace puts both reports in words.
void TestCli::busCountersAndWritesNotForwarded() {
    QVERIFY(StartSim({}));
    for (const char* command : {"write 11", "write 12", "write 13", "read", "probe", "probe"}) {
        sim->Command(command);
    }
    QVERIFY(QTest::qWaitFor([&] { return sim->CountEvents("master probe") == 2; }, kEventWaitMs));
    CliProcess stats;
    QVERIFY(stats.Run(Args({"-d", "%DEV%", "stats"})));
    QCOMPARE(stats.ExitCode(), 0);
    QCOMPARE(stats.OutLines(), QStringList{"counters master writes 3, master reads 1, "
                                           "address-only 2, not forwarded 0, longest hold us 0"});

    qputenv("VANTREL_TRACE", "1");
    CliProcess watch;
    const bool started = watch.Start(Args({"-d", "%DEV%", "watch", "--count", "3"}));
    qunsetenv("VANTREL_TRACE");
    QVERIFY(started);
    QVERIFY(watch.WaitForOutput("^watch started ", kEventWaitMs));
    sim->Command("write 21");
    sim->Command("frame 00 64 03 00 00 00");
    sim->Command("write 22");
    sim->Command("write 23");
    QVERIFY(watch.Finish(kEventWaitMs));
    QCOMPARE(watch.ExitCode(), 0);
    const QStringList expected{"watch started <*>", "<*> master wrote 21 port 21",
                               "master writes not forwarded: 3 in all",
                               "<*> master wrote 22 port 22", "<*> master wrote 23 port 23"};
    const QString outDiff = Mismatch(watch.OutLines(), expected);
    QVERIFY2(outDiff.isEmpty(), qPrintable(outDiff));
    QCOMPARE(watch.ErrLines().filter(" RX d: 3 master writes not forwarded in all").size(), 1);
}

// Another program (here a second tool watching) holds the port: the opening fails at once,
// which is told apart from an adapter that stays silent for the whole time-out.
void TestCli::deviceInUseIsNotAnAdapterSilence() {
    QVERIFY(StartSim({}));
    CliProcess holder;
    QVERIFY(holder.Start(Args({"-d", "%DEV%", "watch"})));
    QVERIFY(holder.WaitForOutput("^watch started ", kEventWaitMs));
    CliProcess cli;
    QVERIFY(cli.Run(Args({"-d", "%DEV%", "--timeout", "10000", "version"}), {}, 5000));
    QCOMPARE(cli.ExitCode(), 1);
    const QStringList err = cli.ErrLines();
    QCOMPARE(err.size(), 2);
    QVERIFY2(err.at(0).startsWith("Vantrel32: cannot open " + sim->Device()),
             qPrintable(err.at(0)));
    const QString expected = "quillon-cli: cannot open " + sim->Device() +
                             ": <*> (the device is in use by another program)";
    QVERIFY2(LineMatches(expected, err.at(1)), qPrintable(err.at(1)));
    holder.Signal(SIGINT);
    QVERIFY(holder.Finish(5000));
    QCOMPARE(holder.ExitCode(), 130);
}

// The user gave a COM number: the error names the device the library mapped it to, so the
// user knows which one stayed silent.
void TestCli::silenceOnAComPortNamesItsDevice() {
    QVERIFY(StartSim({"--no-reply"}));
    CliProcess cli;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VANTREL_COM7"), sim->Device());
    cli.Process().setProcessEnvironment(environment);
    QVERIFY(cli.Run({"-p", "7", "--timeout", "200", "version"}));
    QCOMPARE(cli.ExitCode(), 1);
    const QString expected =
        "quillon-cli: no answer from the adapter on COM7 (" + sim->Device() + ") within 200 ms <*>";
    const QString errDiff = Mismatch(cli.ErrLines(), {expected});
    QVERIFY2(errDiff.isEmpty(), qPrintable(errDiff));
}

void TestCli::signalsEndCleanly_data() {
    quillon::testing::AddColumns<QStringList, QByteArray, QString, int, QStringList, QStringList,
                                 int>(
        {"args", "script", "waitForEvent", "signalNumber", "simEvents", "out", "exitCode"});

    const QStringList pressAndRelease = Sw7PressAndRelease();
    QTest::newRow("Ctrl-C during a press still releases")
        << QStringList{"-d", "%DEV%", "press", "SW7", "--hold", "2000"} << QByteArray()
        << "SW7 pressed" << SIGINT << pressAndRelease
        << QStringList{"pressed SW7 pattern BF", "released SW7 after <N> ms"} << 130;
    QTest::newRow("SIGTERM during a press still releases")
        << QStringList{"-d", "%DEV%", "press", "SW7", "--hold", "2000"} << QByteArray()
        << "SW7 pressed" << SIGTERM << pressAndRelease
        << QStringList{"pressed SW7 pattern BF", "released SW7 after <N> ms"} << 143;
    QTest::newRow("Ctrl-C in a script's press ends the script")
        << QStringList{"-d", "%DEV%", "run", "%SCRIPT%"}
        << QByteArray("press SW7 --hold 5000\nwrite 22\n") << "SW7 pressed" << SIGINT
        << pressAndRelease << QStringList{"pressed SW7 pattern BF", "released SW7 after <N> ms"}
        << 130;
    QTest::newRow("Ctrl-C ends watch")
        << QStringList{"-d", "%DEV%", "watch"} << QByteArray() << "version sent" << SIGINT
        << QStringList{"version sent"} << QStringList{"watch started <*>"} << 130;
}

void TestCli::signalsEndCleanly() {
    QFETCH(QStringList, args);
    QFETCH(QByteArray, script);
    QFETCH(QString, waitForEvent);
    QFETCH(int, signalNumber);
    QFETCH(QStringList, simEvents);
    QFETCH(QStringList, out);
    QFETCH(int, exitCode);

    QVERIFY(StartSim({"--camera"}));
    CliProcess cli;
    QVERIFY(cli.Start(Args(args, script)));
    QTRY_VERIFY_WITH_TIMEOUT(sim->HasEvent(waitForEvent), kEventWaitMs);
    // The tool prints its first line once it is in its command, after the port opened.
    QVERIFY(cli.WaitForOutput(".", kEventWaitMs));
    cli.Signal(signalNumber);
    QVERIFY(cli.Finish(10000));
    QCOMPARE(cli.ExitCode(), exitCode);
    QVERIFY2(SimSaw(simEvents), qPrintable(Mismatch(sim->EventTexts(), simEvents)));
    const QString outDiff = Mismatch(cli.OutLines(), out);
    QVERIFY2(outDiff.isEmpty(), qPrintable(outDiff));
    QVERIFY(cli.ErrLines().isEmpty());
    if (simEvents.last().startsWith("SW7 released")) {
        // Released at the signal, long before the hold would have ended.
        const double held = NumberAfter(sim->EventTexts(), "SW7 released after ");
        QVERIFY2(held >= 0 && held < 1500, qPrintable(QString::number(held)));
    }
}

void TestCli::sessionRunsLinesAsTheyArrive_data() {
    // steps, in order: "> LINE" sends a line to the tool, "sim LINE" to the simulator,
    // "out PATTERN" waits for such a line of the tool's output, "event PATTERN" for such a
    // simulator event, "signal N" signals the tool. The tool's input stays open through all
    // of them, so whatever was waited for happened before the input ended; then it ends.
    quillon::testing::AddColumns<QStringList, QStringList, QStringList, QStringList, QString, int>(
        {"simArgs", "args", "steps", "out", "err", "exitCode"});
    const QStringList none;
    const QStringList session{"-d", "%DEV%", "session"};
    const QStringList keepGoing = session + QStringList{"--keep-going"};
    const QStringList json = QStringList{"--json"} + session;

    QTest::newRow("lines run as they arrive, master writes between them")
        << none << session
        << QStringList{"> write 5A",
                       "event port FF -> 5A",
                       "out written 5A int 0",
                       "sim write 11 22",
                       "out <*> master wrote 11 22 port 22",
                       "> address",
                       "out address 40 <*>"}
        << QStringList{"written 5A int 0", "<*> +<N> master wrote 11 22 port 22",
                       "address 40 (PCF8574, A2..A0 = 000)"}
        << QString() << 0;
    QTest::newRow("master writes during a press, json, in arrival order")
        << QStringList{"--camera"} << json
        << QStringList{"> press SW7 --hold 1000", "event SW7 pressed", "sim write 33",
                       R"(out {"bytes":[51],<*>)", R"(out {"event":"released",<*>)"}
        << QStringList{R"({"event":"pressed","pattern":191,"switches":["SW7"]})",
                       R"({"bytes":[51],"event":"master","ms":<N>,"port":51,"time":"<*>"})",
                       R"({"event":"released","held_ms":<N>,"pattern":255,"switches":["SW7"]})"}
        << QString() << 0;
    // A write that came before the expect counts; writes before the match are passed over,
    // and so is everything an expect that timed out looked at.
    QTest::newRow("expect: there already, passed over, timed out, arriving")
        << none << keepGoing
        << QStringList{"event version sent",
                       "sim write 12 34",
                       "out <*> master wrote 12 34 port 34",
                       "> expect 12 34",
                       "out expected 12 34 after 0 ms",
                       "sim write AA",
                       "sim write BB",
                       "out <*> master wrote BB port BB",
                       "> expect BB",
                       "out expected BB after 0 ms",
                       "> expect AA --within 200",
                       "> write 01",
                       "out written 01 int 0",
                       "> expect 56 --within 5000",
                       "sim write 56",
                       "out expected 56 after <N> ms"}
        << QStringList{"<*> master wrote 12 34 port 34", "expected 12 34 after 0 ms",
                       "<*> master wrote AA port AA",    "<*> master wrote BB port BB",
                       "expected BB after 0 ms",         "written 01 int 0",
                       "<*> master wrote 56 port 56",    "expected 56 after <N> ms"}
        << "quillon-cli: stdin:3: expect AA --within 200: no master write AA within 200 ms" << 3;
    QTest::newRow("the first failing line ends it while the input is open")
        << none << session << QStringList{"> write 5G", "> write 22"} << none
        << R"(quillon-cli: stdin:1: write: "5G" is not a hex byte (00..FF))" << 64;
    QTest::newRow("a tool option on a line ends it")
        << none << session << QStringList{"> -p 3 version", "> write 22"} << none
        << "quillon-cli: stdin:1: -p is an option of quillon-cli itself: give it before the "
           "command on its command line, not on a session line"
        << 64;
    QTest::newRow("--keep-going, json: one error event for each bad line, exit the first")
        << none << QStringList{"--json"} + keepGoing
        << QStringList{"> write 5G", "> run rig.txt",
                       "> session",  "> expect 12 --within 100",
                       "> write 22", R"(out {"bytes":[34],<*>)"}
        << QStringList{R"({"event":"error","message":"stdin:1: write: <*>","status":64})",
                       R"({"event":"error","message":"stdin:2: run: not inside a session <*>)",
                       R"({"event":"error","message":"stdin:3: session: already in a session",)"
                       R"("status":64})",
                       R"({"event":"error","message":"stdin:4: expect 12 --within 100: no )"
                       R"(master write 12 within 100 ms","status":3})",
                       R"({"bytes":[34],"event":"written","int":0})"}
        << "quillon-cli: stdin:1: <*>\nquillon-cli: stdin:2: <*>\nquillon-cli: stdin:3: <*>\n"
           "quillon-cli: stdin:4: <*>"
        << 64;
    QTest::newRow("watch shows each write once and says when it ended")
        << none << json
        << QStringList{"> watch --count 2",
                       R"(out {"event":"watch",<*>)",
                       "sim write 01",
                       "sim write 02",
                       R"(out {"count":2,"event":"watch_end"})",
                       "sim write 03",
                       R"(out {"bytes":[3],<*>)"}
        << QStringList{R"({"event":"watch","time":"<*>"})", R"({"bytes":[1],"event":"master",<*>)",
                       R"({"bytes":[2],"event":"master",<*>)", R"({"count":2,"event":"watch_end"})",
                       R"({"bytes":[3],"event":"master",<*>)"}
        << QString() << 0;
    QTest::newRow("the port lost ends it despite --keep-going")
        << QStringList{"--hangup-after", "3"} << keepGoing
        << QStringList{"> write 11", "out written 11 int 0", "> write 22", "> write 33"}
        << QStringList{"written 11 int 0"}
        << "quillon-cli: stdin:2: write 22: the port closed under us <*>" << 1;
    QTest::newRow("SIGTERM during a press releases")
        << QStringList{"--camera"} << session
        << QStringList{"> press SW7 --hold 5000", "out pressed SW7 pattern BF", "signal 15",
                       "event SW7 released after <N> ms"}
        << QStringList{"pressed SW7 pattern BF", "released SW7 after <N> ms"} << QString() << 143;
    QTest::newRow("Ctrl-C while waiting for a line")
        << none << session << QStringList{"> write 5A", "out written 5A int 0", "signal 2"}
        << QStringList{"written 5A int 0"} << QString() << 130;
}

void TestCli::sessionRunsLinesAsTheyArrive() {
    QFETCH(QStringList, simArgs);
    QFETCH(QStringList, args);
    QFETCH(QStringList, steps);
    QFETCH(QStringList, out);
    QFETCH(QString, err);
    QFETCH(int, exitCode);

    QVERIFY(StartSim(simArgs));
    CliProcess cli;
    QVERIFY(cli.Start(Args(args), {}, CliProcess::InputEnd::OnClose));
    const auto anyMatches = [](const QStringList& lines, const QString& pattern) {
        return std::any_of(lines.begin(), lines.end(),
                           [&](const QString& line) { return LineMatches(pattern, line); });
    };
    for (const QString& step : steps) {
        const QString kind = step.section(QLatin1Char(' '), 0, 0);
        const QString text = step.section(QLatin1Char(' '), 1);
        if (kind == ">") {
            // A tool that rightly ended at a failing line reads no more.
            cli.Send((text + "\n").toUtf8());
        } else if (kind == "sim") {
            sim->Command(text);
        } else if (kind == "out") {
            QVERIFY2(
                QTest::qWaitFor([&] { return anyMatches(cli.OutLines(), text); }, kEventWaitMs),
                qPrintable(step + " not in: " + cli.OutLines().join(" | ")));
        } else if (kind == "event") {
            QVERIFY2(
                QTest::qWaitFor([&] { return anyMatches(sim->EventTexts(), text); }, kEventWaitMs),
                qPrintable(step + " not in: " + sim->EventTexts().join(" | ")));
        } else if (kind == "signal") {
            cli.Signal(text.toInt());
        } else {
            QFAIL(qPrintable("unknown step " + step));
        }
    }
    cli.CloseInput();
    QVERIFY(cli.Finish(10000));
    const QString diff = EndMismatch(cli, out, err, exitCode);
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
}

// A reader that stops reading blocks the tool's output, so the adapter library's queue of
// unfetched master writes overflows and drops writes. None of them goes unmentioned: the
// loss is told in its place, before the first write after it.
void TestCli::sessionTellsMasterWritesItLost() {
    constexpr int kWrites = 6000;
    QVERIFY(StartSim({}));
    CliProcess cli;
    QVERIFY(cli.Start(Args({"--json", "-d", "%DEV%", "session"}), "write 5A\n",
                      CliProcess::InputEnd::OnClose));
    QVERIFY(cli.WaitForOutput(R"("event":"written")", kEventWaitMs));
    QByteArray burst;
    for (int i = 0; i < kWrites; ++i) {
        burst += QStringLiteral("write %1 %2\n").arg(i >> 8, 2, 16).arg(i & 0xFF, 2, 16).toUtf8();
    }
    burst.chop(1);
    // Only the simulator is served meanwhile; nothing here reads the tool's output.
    QProcess& simProcess = sim->Process();
    sim->Command(QString::fromUtf8(burst));
    while (simProcess.bytesToWrite() > 0 && simProcess.waitForBytesWritten(kEventWaitMs)) {
    }
    const QDeadlineTimer sent(30000);
    while (sim->EventTexts().filter("master wrote").size() < kWrites && !sent.hasExpired()) {
        simProcess.waitForReadyRead(100);
    }
    QCOMPARE(sim->EventTexts().filter("master wrote").size(), kWrites);
    // The counters' reply comes after the writes the library still holds: once it is out,
    // a new write finds room again.
    QVERIFY(cli.Send("stats\n"));
    QVERIFY(cli.WaitForOutput(R"("event":"counters")", 30000));
    sim->Command("write FF FF");
    QVERIFY(cli.WaitForOutput(R"(^\{"bytes":\[255,255\])", kEventWaitMs));
    cli.CloseInput();
    QVERIFY(cli.Finish(kEventWaitMs));
    QCOMPARE(cli.ExitCode(), 0);

    // Every gap in the numbered writes is told, by its size, before the write after it;
    // the gap before FF FF too.
    const QStringList lines = cli.OutLines();
    QVERIFY(lines.size() > 2);
    int next = 0;
    qint64 skipped = 0;
    qint64 told = 0;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QJsonObject event = QJsonDocument::fromJson(lines.at(i).toUtf8()).object();
        if (event.value("event") == QLatin1String("master_lost")) {
            told = event.value("count").toInteger();
            continue;
        }
        if (event.value("event") == QLatin1String("counters")) {
            continue;
        }
        QCOMPARE(event.value("event").toString(), QString("master"));
        const QJsonArray bytes = event.value("bytes").toArray();
        const bool last = i == lines.size() - 1;
        const int number = last ? kWrites : bytes.at(0).toInt() * 256 + bytes.at(1).toInt();
        QVERIFY2(number >= next, qPrintable(lines.at(i)));
        skipped += number - next;
        QVERIFY2(told == skipped, qPrintable(QStringLiteral("told %1, skipped %2 before %3")
                                                 .arg(told)
                                                 .arg(skipped)
                                                 .arg(lines.at(i))));
        next = number + 1;
    }
    QVERIFY2(lines.last().startsWith(R"({"bytes":[255,255])"), qPrintable(lines.last()));
    QVERIFY2(told > 0, "the output never blocked: nothing was lost");
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"

// Standard output that cannot be written never cuts short what the adapter was asked to do:
// a hold keeps its time and its release goes out, a write is made, a line of a script or
// session under way completes and no later one starts. Then the exit status says the output
// failed, and standard error says why, once.
void TestCli::outputFailureLetsTheActionComplete_data() {
    // output: a CliProcess::Output; heldMs: the hold the simulator must see at least, 0 for
    // no press.
    quillon::testing::AddColumns<QStringList, QStringList, QByteArray, QByteArray, int, QStringList,
                                 QStringList, int, int>(
        {"simArgs", "args", "script", "input", "output", "simEvents", "err", "exitCode", "heldMs"});

    const int full = int(CliProcess::Output::Full);
    const int closed = int(CliProcess::Output::Closed);
    const int readerGone = int(CliProcess::Output::ReaderGone);
    const QStringList none;
    const QStringList camera{"--camera"};
    const QStringList noSpace{"quillon-cli: cannot write standard output: No space left on device"};
    const QStringList isClosed{"quillon-cli: cannot write standard output: it is closed"};
    const QStringList pressAndRelease = Sw7PressAndRelease();
    const QStringList press{"-d", "%DEV%", "press", "SW7", "--hold", "700"};
    const QStringList twoWrites{"version sent", "port FF -> 11", "port 11 -> 22"};
    const QStringList firstWrite{"version sent", "port FF -> 11"};
    const QByteArray writes("write 11\nwrite 22\n");

    QTest::newRow("press to a full output holds and releases")
        << camera << press << QByteArray() << QByteArray() << full << pressAndRelease << noSpace
        << 74 << 700;
    QTest::newRow("press with output closed holds and releases")
        << camera << press << QByteArray() << QByteArray() << closed << pressAndRelease << isClosed
        << 74 << 700;
    QTest::newRow("press whose reader went away holds and releases")
        << camera << press << QByteArray() << QByteArray() << readerGone << pressAndRelease << none
        << 141 << 700;
    QTest::newRow("write to a full output")
        << none << QStringList{"-d", "%DEV%", "write", "5A"} << QByteArray() << QByteArray() << full
        << QStringList{"version sent", "port FF -> 5A"} << noSpace << 74 << 0;
    QTest::newRow("write with output closed")
        << none << QStringList{"-d", "%DEV%", "write", "5A"} << QByteArray() << QByteArray()
        << closed << QStringList{"version sent", "port FF -> 5A"} << isClosed << 74 << 0;
    QTest::newRow("a script's first line completes, the next does not start")
        << none << QStringList{"-d", "%DEV%", "run", "%SCRIPT%"} << writes << QByteArray() << full
        << firstWrite << noSpace << 74 << 0;
    QTest::newRow("a script with output closed starts no line")
        << none << QStringList{"-d", "%DEV%", "run", "%SCRIPT%"} << writes << QByteArray() << closed
        << QStringList{"version sent"} << isClosed << 74 << 0;
    QTest::newRow("a session's line completes, the next does not start")
        << none << QStringList{"-d", "%DEV%", "session"} << QByteArray() << writes << full
        << firstWrite << noSpace << 74 << 0;
    QTest::newRow("a session whose reader went away")
        << none << QStringList{"-d", "%DEV%", "session"} << QByteArray() << writes << readerGone
        << firstWrite << none << 141 << 0;
    // The control: the same script with its output read runs both lines.
    QTest::newRow("a script with its output read runs every line")
        << none << QStringList{"-d", "%DEV%", "run", "%SCRIPT%"} << writes << QByteArray()
        << int(CliProcess::Output::Captured) << twoWrites << none << 0 << 0;
    // Its output is a watch's only purpose: it ends at its first line, count or no count.
    QTest::newRow("watch to a full output ends at once")
        << none << QStringList{"-d", "%DEV%", "watch", "--count", "5"} << QByteArray()
        << QByteArray() << full << QStringList{"version sent"} << noSpace << 74 << 0;
    QTest::newRow("watch whose reader went away ends at once")
        << none << QStringList{"-d", "%DEV%", "watch"} << QByteArray() << QByteArray() << readerGone
        << QStringList{"version sent"} << none << 141 << 0;
    QTest::newRow("help to a full output") << none << QStringList{"--help"} << QByteArray()
                                           << QByteArray() << full << none << noSpace << 74 << 0;
    QTest::newRow("version to a full output") << none << QStringList{"--version"} << QByteArray()
                                              << QByteArray() << full << none << noSpace << 74 << 0;
    QTest::newRow("help with output closed")
        << none << QStringList{"--help"} << QByteArray() << QByteArray() << closed << none
        << isClosed << 74 << 0;
}

void TestCli::outputFailureLetsTheActionComplete() {
    QFETCH(QStringList, simArgs);
    QFETCH(QStringList, args);
    QFETCH(QByteArray, script);
    QFETCH(QByteArray, input);
    QFETCH(int, output);
    QFETCH(QStringList, simEvents);
    QFETCH(QStringList, err);
    QFETCH(int, exitCode);
    QFETCH(int, heldMs);

    QVERIFY(StartSim(simArgs));
    CliProcess cli;
    cli.SetOutput(CliProcess::Output(output));
    QVERIFY(cli.Run(Args(args, script), input));
    QCOMPARE(cli.ExitCode(), exitCode);
    const QString errDiff = Mismatch(cli.ErrLines(), err);
    QVERIFY2(errDiff.isEmpty(), qPrintable(errDiff));
    QVERIFY2(SimSaw(simEvents), qPrintable(Mismatch(sim->EventTexts(), simEvents)));
    if (heldMs > 0) {
        // As the camera unit measured it: the whole hold, not cut at the failed line.
        const double held = NumberAfter(sim->EventTexts(), "SW7 released after ");
        QVERIFY2(held >= heldMs - 20, qPrintable(QString::number(held)));
    }
}

// Started with standard input closed, the port must not take its place: the session reads
// the end of its input, not the adapter's replies.
void TestCli::sessionWithoutStandardInputReadsItsEnd() {
    QVERIFY(StartSim({}));
    CliProcess cli;
    QVERIFY(cli.Start(Args({"-d", "%DEV%", "session"}), {}, CliProcess::InputEnd::Closed));
    QVERIFY(cli.Finish(kEventWaitMs));
    QCOMPARE(cli.ExitCode(), 0);
    QCOMPARE(cli.OutLines(), QStringList());
    QCOMPARE(cli.ErrLines(), QStringList());
    QVERIFY2(SimSaw({"version sent"}), qPrintable(sim->EventTexts().join(" | ")));
}

// A session waiting for its next line reports master writes as they come; once that fails,
// it ends without waiting for an input that may never come.
void TestCli::idleSessionEndsWhenAMasterWriteCannotBePrinted() {
    QVERIFY(StartSim({}));
    CliProcess cli;
    cli.SetOutput(CliProcess::Output::Full);
    QVERIFY(cli.Start(Args({"-d", "%DEV%", "session"}), {}, CliProcess::InputEnd::OnClose));
    QTRY_VERIFY_WITH_TIMEOUT(sim->HasEvent("version sent"), kEventWaitMs);
    // The first writes may come before the session reports any: the bus master goes on
    // until the tool has ended.
    for (int i = 0; i < 50 && cli.Process().state() != QProcess::NotRunning; ++i) {
        sim->Command("write 21");
        cli.Process().waitForFinished(100);
    }
    QVERIFY(cli.Finish(kEventWaitMs));
    QCOMPARE(cli.ExitCode(), 74);
    QCOMPARE(cli.ErrLines(),
             QStringList{"quillon-cli: cannot write standard output: No space left on device"});
}
