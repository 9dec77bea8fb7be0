#include "adapter/Vantrel.h"
#include "tests/support/DataColumns.h"
#include "tests/support/VantrelRecorder.h"

#include <QtTest>

using quillon::platform::TApplicationWindow;

namespace {

// Sits behind the component's hook and sees what it lets through.
class TailHook final : public quillon::platform::IMessageHook {
public:
    bool HookMessage(quillon::platform::TMessage& msg) override {
        seen.push_back(msg.Msg);
        return false;
    }
    std::vector<uint32_t> seen;
};

QString Hex(int v) {
    return QString::number(v, 16);
}

} // namespace

class TestVantrel : public QObject {
    Q_OBJECT

    std::unique_ptr<TVantrel> vantrel;
    QStringList events;

    void BindAll() {
        vantrel->OnOpen = [this](QObject* s, uint8_t port) {
            QCOMPARE(s, vantrel.get());
            events << "open:" + QString::number(port);
        };
        vantrel->OnClose = [this](QObject*) { events << "close"; };
        vantrel->OnTimeOut = [this](QObject*) { events << "timeout"; };
        vantrel->OnI2CDataAvail = [this](QObject*, TI2CData d) {
            events << "data:" + Hex(d[0]) + "," + Hex(d[128]);
        };
        vantrel->OnWriteI2CRegs = [this](QObject*, uint8_t t) {
            events << "write:" + QString::number(t);
        };
        vantrel->OnUnknownCMD = [this](QObject*) { events << "unknown"; };
        vantrel->OnSlvAdrOP = [this](QObject*, uint8_t op) {
            events << "op:" + QString::number(op);
        };
        vantrel->OnSlvAdrRead = [this](QObject*, uint8_t a) { events << "adr:" + Hex(a); };
        vantrel->OnGetVersion = [this](QObject*, const char* v) {
            events << "version:" + QString::fromLatin1(v);
        };
    }

    void Notify(uintptr_t code, intptr_t arg) {
        TApplicationWindow::Instance().SendMessage(TVantrel::MessageNumber(), code, arg);
    }

private slots:
    void init() {
        recorder::Reset();
        events.clear();
        vantrel = std::make_unique<TVantrel>(nullptr);
    }
    void cleanup() { vantrel.reset(); }

    void codeTable_data();
    void codeTable();
    void emptySlotsRaiseNothingButDataIsKept();
    void openGetsLowByteOfPortAbove255();
    void otherMessagesPassUntouched();
    void designStateInstallsNoHook();
    void lifecycleCallsTheLibrary();
    void propertiesAlwaysGoToTheLibrary();
    void commandsForwardArgumentsAndStatus_data();
    void commandsForwardArgumentsAndStatus();
    void handlerExceptionReachesTheSender();
};

void TestVantrel::codeTable_data() {
    // libraryCall: asked of the library while dispatching
    quillon::testing::AddColumns<qulonglong, qlonglong, QStringList, QString>(
        {"code", "arg", "expected", "libraryCall"});

    QTest::newRow("2 time-out") << qulonglong(VANTREL_NOTIFY_TIMEOUT) << 0ll
                                << QStringList{"timeout"} << "";
    QTest::newRow("8 open") << qulonglong(VANTREL_NOTIFY_OPENED) << 0ll << QStringList{"open:5"}
                            << "GetComPort";
    QTest::newRow("9 close") << qulonglong(VANTREL_NOTIFY_CLOSED) << 0ll << QStringList{"close"}
                             << "";
    QTest::newRow("a low byte only")
        << qulonglong(VANTREL_NOTIFY_ADDRESS_READ) << 0x12C4ll << QStringList{"adr:c4"} << "";
    QTest::newRow("a negative arg")
        << qulonglong(VANTREL_NOTIFY_ADDRESS_READ) << -2ll << QStringList{"adr:fe"} << "";
    QTest::newRow("c changed") << qulonglong(VANTREL_NOTIFY_ADDRESS_CHANGED) << 0x77ll
                               << QStringList{"op:1"} << "";
    QTest::newRow("i data") << qulonglong(VANTREL_NOTIFY_MASTER_DATA) << 0ll
                            << QStringList{"data:5a,99"} << "GetI2CData";
    QTest::newRow("s saved") << qulonglong(VANTREL_NOTIFY_ADDRESS_SAVED) << 0ll
                             << QStringList{"op:2"} << "";
    QTest::newRow("v version") << qulonglong(VANTREL_NOTIFY_VERSION) << 0ll
                               << QStringList{"version:Recorder 1.0"} << "GetVersion";
    QTest::newRow("w") << qulonglong(VANTREL_NOTIFY_WRITTEN) << 0ll << QStringList{"write:0"} << "";
    QTest::newRow("x") << qulonglong(VANTREL_NOTIFY_WRITTEN_INT1) << 0ll << QStringList{"write:1"}
                       << "";
    QTest::newRow("y") << qulonglong(VANTREL_NOTIFY_WRITTEN_INT2) << 0ll << QStringList{"write:2"}
                       << "";
    // Unknown codes are consumed and raise nothing, not even OnUnknownCMD.
    for (const char* c : {"t", "u", "z", "b"}) {
        QTest::newRow(c) << qulonglong(c[0]) << 0ll << QStringList{} << "";
    }
    QTest::newRow("0") << 0ull << 0ll << QStringList{} << "";
    QTest::newRow("w in a wider word")
        << qulonglong(0x100 + VANTREL_NOTIFY_WRITTEN) << 0ll << QStringList{} << "";
    QTest::newRow("8 in a wider word")
        << qulonglong(0x10000 + VANTREL_NOTIFY_OPENED) << 0ll << QStringList{} << "";
}

void TestVantrel::codeTable() {
    QFETCH(qulonglong, code);
    QFETCH(qlonglong, arg);
    QFETCH(QStringList, expected);
    QFETCH(QString, libraryCall);

    BindAll();
    recorder::State().comPort = 5;
    recorder::State().i2cData[0] = 0x5A;
    recorder::State().i2cData[128] = 0x99;
    TailHook tail;
    TApplicationWindow::Instance().HookMainWindow(&tail);
    recorder::Calls().clear();

    Notify(static_cast<uintptr_t>(code), static_cast<intptr_t>(arg));

    TApplicationWindow::Instance().UnhookMainWindow(&tail);
    QCOMPARE(events, expected);
    QVERIFY2(tail.seen.empty(), "the component's message must be consumed whatever its code");
    const std::string trace = recorder::Trace();
    QCOMPARE(QString::fromStdString(trace), libraryCall.isEmpty() ? "" : libraryCall + "()");
}

void TestVantrel::emptySlotsRaiseNothingButDataIsKept() {
    recorder::State().i2cData[0] = 0xA5;
    recorder::State().i2cData[1] = 0x3C;
    for (uintptr_t code :
         {VANTREL_NOTIFY_TIMEOUT, VANTREL_NOTIFY_OPENED, VANTREL_NOTIFY_CLOSED,
          VANTREL_NOTIFY_ADDRESS_READ, VANTREL_NOTIFY_ADDRESS_CHANGED, VANTREL_NOTIFY_MASTER_DATA,
          VANTREL_NOTIFY_ADDRESS_SAVED, VANTREL_NOTIFY_VERSION, VANTREL_NOTIFY_WRITTEN,
          VANTREL_NOTIFY_WRITTEN_INT1}) {
        Notify(code, 0x40);
    }
    QVERIFY(events.isEmpty());
    // Nobody listens for the port number or the version, so the library is not asked.
    QCOMPARE(recorder::CountOf("GetComPort"), 0);
    QCOMPARE(recorder::CountOf("GetVersion"), 0);
    QCOMPARE(recorder::CountOf("GetI2CData"), 1);
    QCOMPARE(TVantrel::ReceivedData()[0], uint8_t(0xA5));
    QCOMPARE(TVantrel::ReceivedData()[1], uint8_t(0x3C));
}

void TestVantrel::openGetsLowByteOfPortAbove255() {
    BindAll();
    recorder::State().comPort = 300;
    Notify(VANTREL_NOTIFY_OPENED, 0);
    QCOMPARE(events, QStringList{"open:44"});
    QCOMPARE(vantrel->Comport(), 300);
}

void TestVantrel::otherMessagesPassUntouched() {
    BindAll();
    TailHook tail;
    TApplicationWindow::Instance().HookMainWindow(&tail);
    const uint32_t other = TApplicationWindow::Instance().RegisterWindowMessage("Test.Other");
    TApplicationWindow::Instance().SendMessage(other, VANTREL_NOTIFY_WRITTEN, 0);
    TApplicationWindow::Instance().SendMessage(1124, VANTREL_NOTIFY_OPENED, 1);
    TApplicationWindow::Instance().UnhookMainWindow(&tail);
    QCOMPARE(tail.seen, (std::vector<uint32_t>{other, 1124}));
    QVERIFY(events.isEmpty());
}

void TestVantrel::designStateInstallsNoHook() {
    vantrel.reset();
    recorder::Reset();
    TVantrel designed(nullptr, /*designing=*/true);
    QCOMPARE(recorder::CountOf("VantrelCreate"), 1);
    QVERIFY(!designed.IsHooked());
    QVERIFY(!TApplicationWindow::Instance().IsHooked(nullptr));
    bool raised = false;
    designed.OnClose = [&](QObject*) { raised = true; };
    TailHook tail;
    TApplicationWindow::Instance().HookMainWindow(&tail);
    Notify(VANTREL_NOTIFY_CLOSED, 0);
    TApplicationWindow::Instance().UnhookMainWindow(&tail);
    QVERIFY(!raised);
    QCOMPARE(tail.seen.size(), std::size_t(1)); // nobody consumed it
}

void TestVantrel::lifecycleCallsTheLibrary() {
    QVERIFY(vantrel->IsHooked());
    QCOMPARE(QString::fromStdString(recorder::Trace()), "VantrelCreate()");
    recorder::Calls().clear();
    vantrel.reset();
    QCOMPARE(QString::fromStdString(recorder::Trace()), "VantrelDestroy()");
    // Unhooked: a notification after destruction reaches nobody and crashes nothing.
    TailHook tail;
    TApplicationWindow::Instance().HookMainWindow(&tail);
    Notify(VANTREL_NOTIFY_CLOSED, 0);
    TApplicationWindow::Instance().UnhookMainWindow(&tail);
    QCOMPARE(tail.seen.size(), std::size_t(1));
}

void TestVantrel::propertiesAlwaysGoToTheLibrary() {
    vantrel->setComport(3);
    vantrel->setTimeOut(1500);
    QCOMPARE(QString::fromStdString(recorder::Trace()),
             "VantrelCreate() SetComPort(3) SetTimeOut(1500)");
    recorder::State().comPort = 7; // changed behind the component's back
    recorder::State().timeOut = 250;
    QCOMPARE(vantrel->Comport(), 7);
    QCOMPARE(vantrel->TimeOut(), uint16_t(250));
    // The 16-bit port number is widened without sign.
    recorder::State().comPort = 0xFFFF;
    QCOMPARE(vantrel->Comport(), 0xFFFF);
    QCOMPARE(vantrel->property("Comport").toInt(), 0xFFFF);
}

void TestVantrel::commandsForwardArgumentsAndStatus_data() {
    quillon::testing::AddColumns<QString, int, QString>({"command", "status", "trace"});
    // Statuses the library has no name for go back unchanged as well.
    for (int status : std::initializer_list<int>{VANTREL_STATUS_SENT, VANTREL_STATUS_PORT_CLOSED,
                                                 VANTREL_STATUS_BUSY, VANTREL_STATUS_INVALID, 7}) {
        const QString tag = QString::number(status);
        QTest::newRow(qPrintable("write " + tag)) << "write" << status << "WriteI2CRegs(0,2)";
        QTest::newRow(qPrintable("read " + tag)) << "read" << status << "ReadSlvAdr()";
        QTest::newRow(qPrintable("change " + tag)) << "change" << status << "ChangeSlvAdr(126)";
        QTest::newRow(qPrintable("save " + tag)) << "save" << status << "SaveSlvAdr()";
    }
}

void TestVantrel::commandsForwardArgumentsAndStatus() {
    QFETCH(QString, command);
    QFETCH(int, status);
    QFETCH(QString, trace);
    recorder::State().status = static_cast<uint8_t>(status);
    recorder::Calls().clear();
    uint8_t got = 0xEE;
    if (command == "write") {
        const uint8_t byte = 0xF7;
        got = vantrel->WriteI2CRegs(std::span(&byte, 1), VANTREL_INT_LINE2);
        QCOMPARE(recorder::Calls().front().data, std::vector<uint8_t>{0xF7});
    } else if (command == "read") {
        got = vantrel->ReadSlvAdr();
    } else if (command == "change") {
        got = vantrel->ChangeSlvAdr(0x7E);
    } else {
        got = vantrel->SaveSlvAdr();
    }
    QCOMPARE(int(got), status);
    QCOMPARE(QString::fromStdString(recorder::Trace()), trace);
}

void TestVantrel::handlerExceptionReachesTheSender() {
    vantrel->OnClose = [](QObject*) { throw std::runtime_error("from the handler"); };
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, Notify(VANTREL_NOTIFY_CLOSED, 0));
}

QTEST_GUILESS_MAIN(TestVantrel)
#include "tst_vantrel.moc"
