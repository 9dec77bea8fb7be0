// The command table against the protocol document's table of codes: each command's code,
// the payload sizes it is answered with, its reply codes and their payload sizes. The
// expected values are written out as the document gives them, so a table edited by mistake
// fails here.
#include "protocol/CommandTable.h"
#include "tests/support/DataColumns.h"

#include <QTest>

#include <vector>

using namespace quillon::protocol;
using quillon::testing::AddColumns;

class TestCommandTable : public QObject {
    Q_OBJECT
private slots:
    void commandsAsDocumented_data();
    void commandsAsDocumented();
    void noOtherFrameIsAnswered();
};

void TestCommandTable::commandsAsDocumented_data() {
    AddColumns<char, int, int, QByteArray, int, int>(
        {"command", "minPayload", "maxPayload", "replies", "minReply", "maxReply"});
    QTest::newRow("V version") << 'V' << 0 << 0 << QByteArray("v") << 1 << 64;
    QTest::newRow("W write, one reply per interrupt type")
        << 'W' << 2 << 17 << QByteArray("wxy") << 0 << 0;
    QTest::newRow("A read address") << 'A' << 0 << 0 << QByteArray("a") << 1 << 1;
    QTest::newRow("C change address") << 'C' << 1 << 1 << QByteArray("c") << 1 << 1;
    QTest::newRow("S save address") << 'S' << 0 << 0 << QByteArray("s") << 1 << 1;
    QTest::newRow("P pacing") << 'P' << 1 << 1 << QByteArray("p") << 1 << 1;
    QTest::newRow("Q counters") << 'Q' << 0 << 0 << QByteArray("q") << 20 << 20;
}

void TestCommandTable::commandsAsDocumented() {
    QFETCH(char, command);
    QFETCH(int, minPayload);
    QFETCH(int, maxPayload);
    QFETCH(QByteArray, replies);
    QFETCH(int, minReply);
    QFETCH(int, maxReply);
    const auto code = static_cast<uint8_t>(command);
    const CommandRule* rule = FindCommand(code);
    QVERIFY(rule != nullptr);

    // Zeros: a write's interrupt type 0.
    std::vector<uint8_t> payload(static_cast<std::size_t>(maxPayload) + 1, 0);
    const auto check = [&](int length) {
        return CheckCommand(1, code, payload.data(), static_cast<std::size_t>(length));
    };
    QCOMPARE(check(minPayload), CommandFault::None);
    QCOMPARE(check(maxPayload), CommandFault::None);
    QCOMPARE(check(maxPayload + 1), CommandFault::PayloadSize);
    if (minPayload > 0) {
        QCOMPARE(check(minPayload - 1), CommandFault::PayloadSize);
    }

    for (int type = 0; type < replies.size(); ++type) {
        payload[0] = static_cast<uint8_t>(type);
        const auto reply = static_cast<uint8_t>(replies[type]);
        QCOMPARE(check(minPayload), CommandFault::None);
        QCOMPARE(ReplyTo(*rule, payload.data()), reply);
        QCOMPARE(FindByReply(reply), rule);
        QVERIFY(ReplySizeFits(reply, static_cast<std::size_t>(minReply)));
        QVERIFY(ReplySizeFits(reply, static_cast<std::size_t>(maxReply)));
        QVERIFY(!ReplySizeFits(reply, static_cast<std::size_t>(maxReply) + 1));
        if (minReply > 0) {
            QVERIFY(!ReplySizeFits(reply, static_cast<std::size_t>(minReply) - 1));
        }
    }
    if (replies.size() > 1) {
        // The first interrupt type beyond the replies has none.
        payload[0] = static_cast<uint8_t>(replies.size());
        QCOMPARE(check(minPayload), CommandFault::InterruptType);
    }
}

void TestCommandTable::noOtherFrameIsAnswered() {
    // The seven commands of the document and nothing else.
    QCOMPARE(kCommandCount, std::size_t{7});
    const uint8_t none[1] = {};
    for (int code = 0; code <= 0xFF; ++code) {
        if (FindCommand(static_cast<uint8_t>(code)) == nullptr) {
            QCOMPARE(CheckCommand(1, static_cast<uint8_t>(code), none, 0),
                     CommandFault::UnknownCode);
        }
    }
    // SEQ 0 belongs to the adapter's unsolicited frames, and 'i' answers no command.
    QCOMPARE(CheckCommand(0, 'V', none, 0), CommandFault::UnsolicitedSeq);
    QVERIFY(FindByReply('i') == nullptr);
    QVERIFY(FindByReply('d') == nullptr);
    // Pacing takes release, hold, or the ask-only value, nothing else.
    for (int value = 0; value <= 0xFF; ++value) {
        const uint8_t payload[1] = {static_cast<uint8_t>(value)};
        const bool known = value == 0x00 || value == 0x01 || value == 0xFF;
        QCOMPARE(CheckCommand(1, 'P', payload, 1),
                 known ? CommandFault::None : CommandFault::PacingValue);
    }
}

QTEST_GUILESS_MAIN(TestCommandTable)
#include "tst_commandtable.moc"
