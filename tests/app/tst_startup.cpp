// What the program does before and as its window opens: its command line, which must work
// without a display, and the application icon the window and the desktop menu share.
#include "app/PanelCommandLine.h"
#include "app/QuillonApplication.h"
#include "app/UnitMain.h"
#include "tests/support/DataColumns.h"
#include "tests/support/TestMain.h"
#include "tests/support/VantrelRecorder.h"

#include <QProcess>

using quillon::app::PanelCommandLine;
using Action = PanelCommandLine::Action;
using Stream = PanelCommandLine::Stream;
Q_DECLARE_METATYPE(Action)
Q_DECLARE_METATYPE(Stream)

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void programWithoutDisplay_data();
    void programWithoutDisplay();
    void applicationIcon();
};

void TestStartup::parse_data() {
    quillon::testing::AddColumns<QStringList, Action, int, Stream, QString>(
        {"args", "action", "status", "stream", "textStart"});

    const int usage = PanelCommandLine::kStatusUsage;
    const QString version = QStringLiteral("quillon " QUILLON_VERSION "\n");
    QTest::newRow("none") << QStringList{} << Action::Run << 0 << Stream::Out << "";
    // A session manager restarts the program with -session; users pick a style or platform.
    QTest::newRow("toolkit's options")
        << QStringList{"-style", "fusion", "-session", "1a2b", "--reverse", "-platform=xcb"}
        << Action::Run << 0 << Stream::Out << "";
    QTest::newRow("help") << QStringList{"--help"} << Action::Exit << 0 << Stream::Out
                          << "Usage: quillon [OPTION]...\n";
    QTest::newRow("-h among toolkit options")
        << QStringList{"-style", "fusion", "-h"} << Action::Exit << 0 << Stream::Out
        << "Usage: quillon";
    QTest::newRow("version") << QStringList{"--version"} << Action::Exit << 0 << Stream::Out
                             << version;
    QTest::newRow("first answer wins")
        << QStringList{"--version", "--help"} << Action::Exit << 0 << Stream::Out << version;
    QTest::newRow("unknown") << QStringList{"--verbose"} << Action::Exit << usage << Stream::Err
                             << "quillon: unknown option '--verbose'";
    QTest::newRow("unknown wins over help") << QStringList{"--help", "-x"} << Action::Exit << usage
                                            << Stream::Err << "quillon: unknown option '-x'";
    // The toolkit's spelling with two dashes is not ours with one.
    QTest::newRow("-help is not --help") << QStringList{"-help"} << Action::Exit << usage
                                         << Stream::Err << "quillon: unknown option '-help'";
    QTest::newRow("argument") << QStringList{"/dev/ttyUSB0"} << Action::Exit << usage << Stream::Err
                              << "quillon: takes no arguments";
    QTest::newRow("value missing") << QStringList{"-style"} << Action::Exit << usage << Stream::Err
                                   << "quillon: option '-style' needs a value";
    QTest::newRow("value on a flag") << QStringList{"--version=2"} << Action::Exit << usage
                                     << Stream::Err << "quillon: option '--version' takes no value";
}

void TestStartup::parse() {
    QFETCH(QStringList, args);
    QFETCH(Action, action);
    QFETCH(int, status);
    QFETCH(Stream, stream);
    QFETCH(QString, textStart);

    std::vector<std::string> list;
    for (const QString& arg : args) {
        list.push_back(arg.toStdString());
    }
    const PanelCommandLine::Outcome outcome = PanelCommandLine::Parse(list);
    QCOMPARE(outcome.action, action);
    QCOMPARE(outcome.status, status);
    QCOMPARE(outcome.stream, stream);
    const QString text = QString::fromStdString(outcome.text);
    QVERIFY2(text.startsWith(textStart), qPrintable(text));
    if (stream == Stream::Err) {
        QCOMPARE(text.count('\n'), 1);
        QVERIFY(text.endsWith('\n'));
    }
}

// The program itself, with no display to connect to: what needs none must not try.
void TestStartup::programWithoutDisplay_data() {
    quillon::testing::AddColumns<QStringList, int, QString, QString>(
        {"args", "status", "out", "err"});
    QTest::newRow("version") << QStringList{"--version"} << 0
                             << PanelCommandLine::VersionText().c_str() << "";
    QTest::newRow("help") << QStringList{"-h"} << 0 << PanelCommandLine::HelpText().c_str() << "";
    QTest::newRow("unknown")
        << QStringList{"--bogus"} << PanelCommandLine::kStatusUsage << ""
        << "quillon: unknown option '--bogus' (quillon --help lists the options)\n";
}

void TestStartup::programWithoutDisplay() {
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        env.remove(QString::fromLatin1(name));
    }
    program.setProcessEnvironment(env);
    program.start(QDir(qEnvironmentVariable("QUILLON_BIN_DIR")).filePath("quillon"), args);
    QVERIFY2(program.waitForFinished(30000), qPrintable(program.errorString()));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), status);
    QCOMPARE(QString::fromUtf8(program.readAllStandardOutput()), out);
    QCOMPARE(QString::fromUtf8(program.readAllStandardError()), err);
}

void TestStartup::applicationIcon() {
    quillon::app::SetUpQuillonApplication(*qobject_cast<TApplication*>(qApp));
    const QIcon icon = QApplication::windowIcon();
    const QList<QSize> sizes = icon.availableSizes();
    QVERIFY2(sizes.contains(QSize(48, 48)) && sizes.contains(QSize(256, 256)),
             qPrintable(QString::number(sizes.size()) + " sizes"));
    // The menu's small sizes come from the 48 px rendering, not from an empty icon.
    const QImage small = icon.pixmap(QSize(32, 32)).toImage();
    QCOMPARE(small.size(), QSize(32, 32));
    QVERIFY(small.pixelColor(16, 16).alpha() > 0);

    recorder::Reset();
    TForm1 form;
    QCOMPARE(form.windowIcon().cacheKey(), icon.cacheKey());
}

QUILLON_TEST_MAIN(TestStartup)
#include "tst_startup.moc"
