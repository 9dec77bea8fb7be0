// The tool's command line, script and device check without a process: what each good line
// parses to, the exact reason for each bad one.
#include "cli/CommandParser.h"
#include "cli/DeviceCheck.h"
#include "cli/ExitStatus.h"
#include "cli/GlobalOptions.h"
#include "cli/LineSplitter.h"
#include "cli/Reporter.h"
#include "cli/ScriptReader.h"
#include "cli/TerminalText.h"
#include "cli/ValueText.h"
#include "tests/support/DataColumns.h"
#include "tests/support/DeviceAccessRows.h"

#include <QtTest>

#include <cstdio>
#include <cstdlib>

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
        QString operator()(const StatsArgs&) const { return QStringLiteral("stats"); }
        QString operator()(const PacingArgs& a) const {
            return QStringLiteral("pacing %1").arg(a.request);
        }
        QString operator()(const RunArgs& a) const {
            return QStringLiteral("run %1%2")
                .arg(a.file, a.onFailure == OnFailure::KeepGoing ? " keep going" : "");
        }
        QString operator()(const SessionArgs& a) const {
            return QStringLiteral("session%1")
                .arg(a.onFailure == OnFailure::KeepGoing ? " keep going" : "");
        }
        QString operator()(const ExpectArgs& a) const {
            return QStringLiteral("expect %1 within %2").arg(Bytes(a.bytes)).arg(a.withinMs);
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
    void command_data();
    void command();
    void script_data();
    void script();
    void reporterEscapes_data();
    void reporterEscapes();
    void terminalText_data();
    void terminalText();
    void linesInPieces_data();
    void linesInPieces();
    void deviceCheck_data();
    void deviceCheck();
};

// The adapter's version text and every message pass through the reporter: its text lines are
// escaped; JSON keeps the text, escaped its own way, and valid Unicode.
void TestCliParse::reporterEscapes_data() {
    AddColumns<OutputFormat, QString, QString>({"format", "out", "err"});
    const QString errLine = R"(quillon-cli: "\xc2\x9b" \xff)"
                            "\n";
    QTest::newRow("text") << OutputFormat::Text << "version Box\\x1b[2J\n" << errLine;
    QTest::newRow("json") << OutputFormat::Json
                          << R"({"event":"version","text":"Box\u001b[2J"})"
                             "\n"
                             R"({"event":"error","message":"\")" +
                                 QString(QChar(0x9B)) + R"(\" )" +
                                 QString(QChar::ReplacementCharacter) +
                                 R"(","status":64})"
                                 "\n"
                          << errLine;
}

void TestCliParse::reporterEscapes() {
    QFETCH(OutputFormat, format);
    QFETCH(QString, out);
    QFETCH(QString, err);
    char* outText = nullptr;
    char* errText = nullptr;
    size_t outSize = 0;
    size_t errSize = 0;
    FILE* outFile = open_memstream(&outText, &outSize);
    FILE* errFile = open_memstream(&errText, &errSize);
    QVERIFY(outFile && errFile);
    {
        Reporter reporter(format, outFile, errFile);
        reporter.Version(QStringLiteral("Box\x1b[2J"));
        reporter.Error(kExitUsage, QStringLiteral("\"%1\" ").arg(QChar(0x9B)) +
                                       TerminalText::FromBytes("\xff"));
    }
    std::fclose(outFile);
    std::fclose(errFile);
    const QString shownOut = QString::fromUtf8(outText, qsizetype(outSize));
    const QString shownErr = QString::fromUtf8(errText, qsizetype(errSize));
    std::free(outText);
    std::free(errText);
    QCOMPARE(shownOut, out);
    QCOMPARE(shownErr, err);
}

// Each good line parses to its command's own arguments (shown as one line, after the
// adapter and time-out when the line names them); each bad one gives its exact reason.
void TestCliParse::command_data() {
    AddColumns<QString, QString, QString>({"line", "parsed", "problem"});
    const auto good = [](const char* line, const char* parsed) {
        QTest::newRow(line) << QString(line) << QString(parsed) << QString();
    };
    const auto bad = [](const char* name, const char* line, const QString& problem) {
        QTest::newRow(name) << QString(line) << QString() << problem;
    };
    good("version", "version");
    good("write 5a 0x12 A", "write 5A 12 0A int 0");
    good("write FF --int 1", "write FF int 1");
    good("write FF --int=2", "write FF int 2");
    good("--int=1 write FF", "write FF int 1");
    good("--int 1 write FF", "write FF int 1");
    good("address", "address");
    good("address set 7e", "address set 7E");
    good("address set 40 --save", "address set 40 save");
    good("press sw6 SW7", "press SW6,SW7 pattern 3F hold 250");
    good("press SW1 SW4 --hold 400", "press SW1,SW4 pattern D7 hold 400");
    good("watch", "watch count 0 ms 0");
    good("watch --count 5 --seconds 0.5", "watch count 5 ms 500");
    good("run - --keep-going", "run - keep going");
    good("session", "session");
    good("session --keep-going", "session keep going");
    good("expect 12 0x34", "expect 12 34 within 0");
    good("expect a --within=250", "expect 0A within 250");
    good("stats", "stats");
    // The request as the library takes it: 255 only asks, 1 holds, 0 releases.
    good("pacing", "pacing 255");
    good("pacing Hold", "pacing 1");
    good("pacing release", "pacing 0");
    bad("no command", "",
        "no command given (version, write, address, press, watch, expect, stats, pacing, run, "
        "session)");
    bad("unknown", "frob",
        R"(unknown command "frob" (version, write, address, press, watch, expect, stats, pacing, run, session))");
    bad("no pacing", "pacing slow", R"(pacing: "slow" is no pacing (hold or release))");
    bad("two pacings", "pacing hold release", R"(pacing: unexpected argument "release")");
    bad("stats with an argument", "stats all", R"(stats: unexpected argument "all")");
    bad("no byte", "write", "write: missing the port byte (two hex digits, e.g. 5A)");
    bad("17 bytes", "write 1 2 3 4 5 6 7 8 9 A B C D E F 10 11",
        "write: at most 16 bytes in one write");
    bad("interrupt 3", "write 5A --int 3",
        R"(write: --int takes 0 (no interrupt), 1 or 2 (interrupt line), not "3")");
    bad("value missing", "write 5A --int", "write: --int needs a value (0|1|2)");
    bad("flag with value", "address set 40 --save=1", "address set: --save takes no value");
    bad("odd address", "address set 41",
        "address set: 41 is not an address of either chip type: the address is even and lies "
        "in 40..4E (PCF8574) or 70..7E (PCF8574A)");
    bad("two addresses", "address set 40 42", R"(address set: unexpected argument "42")");
    bad("no switch", "press", "press: missing the switches to press (SW1..SW8)");
    bad("hold 0", "press SW1 --hold 0", R"(press: --hold takes milliseconds, 1..3600000, not "0")");
    bad("another's option", "press SW1 --int 1", "press: unknown option --int");
    bad("count 0", "watch --count 0",
        R"(watch: --count takes a number of writes, 1..1000000000, not "0")");
    bad("seconds 0", "watch --seconds 0",
        R"(watch: --seconds takes a time above 0 (e.g. 10 or 0.5), not "0")");
    bad("no script", "run", "run: missing the script file (or - for standard input)");
    bad("session with an argument", "session -", R"(session: unexpected argument "-")");
    bad("expect nothing", "expect",
        "expect: missing the bytes of the master write (hex, e.g. 12 34)");
    bad("expect a bad byte", "expect 12 345", R"(expect: "345" is not a hex byte (00..FF))");
    bad("expect within 0", "expect 12 --within 0",
        R"(expect: --within takes milliseconds, 1..3600000, not "0")");
    // The tool's own options, anywhere on the line.
    good("-p3 version", "COM3 version");
    good("address -d /dev/ttyUSB0 --timeout=300", "/dev/ttyUSB0 timeout 300 address");
    bad("device and port", "-d /dev/ttyUSB0 -p 3 version",
        "give either -d DEVICE or -p N, not both");
    bad("port 0", "-p 0 version", R"(-p takes a COM port number, 1..255, not "0")");
    bad("time-out too long", "--timeout 65536 version",
        R"(--timeout takes milliseconds, 1..65535, not "65536")");
    bad("value missing", "version -p", "-p needs a value (N)");
    // Every option at most once: a second value would silently replace the first.
    bad("device twice", "-d /dev/nonexist -d /dev/ttyUSB0 write 5A", "-d given twice");
    bad("device twice, long and short", "--device=/dev/a write 5A -d /dev/b", "-d given twice");
    bad("port twice", "-p 1 version -p3", "-p given twice");
    bad("time-out twice", "--timeout 5 version --timeout=6", "--timeout given twice");
    bad("json twice", "--json version --json", "--json given twice");
    bad("int twice", "write 5A --int 1 --int=2", "write: --int given twice");
    bad("int twice before the command", "--int 1 --int 2 write 5A", "write: --int given twice");
    bad("save twice", "--save address set 40 --save", "address set: --save given twice");
    bad("hold twice", "press SW1 --hold 5 --hold 5", "press: --hold given twice");
    bad("count twice", "watch --count 1 --count 2", "watch: --count given twice");
    bad("seconds twice", "watch --seconds 1 --count 2 --seconds 1", "watch: --seconds given twice");
    bad("within twice", "expect 12 --within 5 --within 6", "expect: --within given twice");
    bad("keep going twice, run", "run - --keep-going --keep-going",
        "run: --keep-going given twice");
    bad("keep going twice, session", "--keep-going session --keep-going",
        "session: --keep-going given twice");
    // "--" ends the tool's options before the command, the command's after it.
    good("-d /dev/ttyUSB0 -- write 5A", "/dev/ttyUSB0 write 5A int 0");
    good("-- write 5A --int 1", "write 5A int 1");
    good("write --int 2 -- 5A", "write 5A int 2");
    good("run -- --keep-going", "run --keep-going");
    good("-- -- run -x", "run -x");
    bad("options after the end", "write -- 5A --int 1",
        R"(write: "--int" is not a hex byte (00..FF))");
    bad("the tool's option after the end", "write 5A -- --json",
        R"(write: "--json" is not a hex byte (00..FF))");
    bad("only the end", "-d /dev/ttyUSB0 --",
        "no command given (version, write, address, press, watch, expect, stats, pacing, run, "
        "session)");
    bad("value cut by the end", "write 5A --int -- 1", "write: --int needs a value (0|1|2)");
    // Before the command word an option can only have been meant for the tool.
    bad("unknown option before the command", "-d /dev/ttyUSB0 --jsn write 5A",
        "unknown option --jsn (did you mean --json?)");
    bad("unknown option far from any", "--bogus version", "unknown option --bogus");
    bad("unknown option after the command", "write 5A --itn 1",
        "write: unknown option --itn (did you mean --int?)");
    QTest::newRow("overlong token cut")
        << "write " + QString(50, 'A') << QString()
        << R"(write: ")" + QString(40, 'A') + R"x(... (50 bytes)" is not a hex byte (00..FF))x";
}

void TestCliParse::command() {
    QFETCH(QString, line);
    QFETCH(QString, parsed);
    QFETCH(QString, problem);
    // As the tool reads its command line: its own options first, the command from the rest.
    Invocation invocation;
    std::optional<QString> found = GlobalOptions::Parse(Words(line), invocation);
    Command command;
    if (!found) {
        found = CommandParser::Parse(invocation.commandWords, command, GlobalOptions::Names());
    }
    QCOMPARE(found.value_or(QString()), problem);
    if (!found) {
        QString shown = Shown(command.args);
        if (invocation.timeOutMs != Invocation{}.timeOutMs) {
            shown.prepend(QStringLiteral("timeout %1 ").arg(invocation.timeOutMs));
        }
        if (invocation.target.kind != Target::Kind::None) {
            shown.prepend(invocation.target.Describe() + QLatin1Char(' '));
        }
        QCOMPARE(shown, parsed);
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
    QTest::newRow("session in a script")
        << "version\nsession\n"
        << QStringList{} << "rig.txt:2: session: a script cannot start a session";
    // The tool's options hold for the whole run, so no line may give them.
    QTest::newRow("the device on a line")
        << "version\n-d tty write 12\n"
        << QStringList{}
        << "rig.txt:2: -d is an option of quillon-cli itself: give it before the command on its "
           "command line, not in a script";
    QTest::newRow("a time-out after the command")
        << "stats --timeout=300\n"
        << QStringList{}
        << "rig.txt:1: --timeout is an option of quillon-cli itself: give it before the command "
           "on its command line, not in a script";
    QTest::newRow("after the end of options only an operand")
        << "write -- -d\n"
        << QStringList{} << R"(rig.txt:1: write: "-d" is not a hex byte (00..FF))";
}

// What reaches the terminal: printable text as it is, every byte that could steer the
// terminal or is not text at all as \xHH, so a message cannot retitle or clear it.
void TestCliParse::terminalText_data() {
    AddColumns<QByteArray, QString>({"bytes", "shown"});
    QTest::newRow("plain") << QByteArray("write 5A") << "write 5A";
    QTest::newRow("title sequence") << QByteArray("5A\x1b]0;title\x07") << R"(5A\x1b]0;title\x07)";
    QTest::newRow("NUL, tab, newline, DEL")
        << QByteArray("a\0b\tc\nd\x7f", 8) << R"(a\x00b\x09c\x0ad\x7f)";
    QTest::newRow("C1 control CSI") << QByteArray("a\xc2\x9b"
                                                  "2J")
                                    << R"(a\xc2\x9b2J)";
    QTest::newRow("not UTF-8") << QByteArray("\xff\xfe 5A") << R"(\xff\xfe 5A)";
    QTest::newRow("sequence cut short") << QByteArray("x\xe2\x82") << R"(x\xe2\x82)";
    QTest::newRow("overlong form") << QByteArray("\xc0\xaf") << R"(\xc0\xaf)";
    QTest::newRow("encoded surrogate") << QByteArray("\xed\xa0\x80") << R"(\xed\xa0\x80)";
    QTest::newRow("letters and signs beyond ASCII")
        << QByteArray("Gr\xc3\xbc\xc3\x9f\xc3\xa9 \xe2\x82\xac \xf0\x9f\x94\x8c")
        << QString::fromUtf8("Gr\xc3\xbc\xc3\x9f\xc3\xa9 \xe2\x82\xac \xf0\x9f\x94\x8c");
    QTest::newRow("no-break space, first after C1") << QByteArray("a\xc2\xa0"
                                                                  "b")
                                                    << QString::fromUtf8("a\xc2\xa0"
                                                                         "b");
    QTest::newRow("byte order mark at the start dropped, as UTF-8 text is read")
        << QByteArray("\xef\xbb\xbf"
                      "a\xff\xef\xbb\xbf")
        << QString("a\\xff") + QChar(0xFEFF);
    QTest::newRow("backslash") << QByteArray(R"(C:\x1b)") << R"(C:\\x1b)";
}

void TestCliParse::terminalText() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, shown);
    QCOMPARE(TerminalText::Escape(TerminalText::FromBytes(bytes)), shown);
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

// Input arrives in pieces cut anywhere; a line is whole or named too long ("!"), never
// split, joined or kept beyond its bound.
void TestCliParse::linesInPieces_data() {
    AddColumns<QList<QByteArray>, QStringList>({"pieces", "lines"});
    const qsizetype max = LineSplitter::kMaxLineBytes;
    QTest::newRow("lines across pieces")
        << QList<QByteArray>{"wri", "te 5A\nadd", "ress\n\n", "stats"}
        << QStringList{"1 write 5A", "2 address", "3 ", "4 stats"};
    QTest::newRow("longest line kept, its bound split between pieces")
        << QList<QByteArray>{QByteArray(max - 1, 'a'), "b\nnext\n"}
        << QStringList{"1 " + QString(max - 1, 'a') + "b", "2 next"};
    QTest::newRow("one byte too long, the next line whole")
        << QList<QByteArray>{QByteArray(max, 'a'), "b", "\nversion\n"}
        << QStringList{"1 !", "2 version"};
    QTest::newRow("endless line without a newline")
        << QList<QByteArray>{QByteArray(max, 'x'), QByteArray(max, 'x'), QByteArray(max, 'x')}
        << QStringList{"1 !"};
    QTest::newRow("nothing") << QList<QByteArray>{} << QStringList{};
}

void TestCliParse::linesInPieces() {
    QFETCH(QList<QByteArray>, pieces);
    QFETCH(QStringList, lines);
    LineSplitter splitter;
    std::deque<LineSplitter::Line> found;
    for (const QByteArray& piece : pieces) {
        splitter.Feed(std::string_view(piece.constData(), std::size_t(piece.size())), found);
    }
    splitter.Finish(found);
    QStringList shown;
    for (const LineSplitter::Line& line : found) {
        QVERIFY(line.text.size() <= LineSplitter::kMaxLineBytes);
        shown << QStringLiteral("%1 %2")
                     .arg(line.number)
                     .arg(line.tooLong ? QStringLiteral("!") : QString::fromLatin1(line.text));
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
