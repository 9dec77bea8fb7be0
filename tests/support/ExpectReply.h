#pragma once

#include "PtyClient.h"

#include <QByteArray>
#include <QProcess>
#include <QTest>

inline QByteArray Payload(const quillon::protocol::ProtocolCodec::Frame& frame) {
    return QByteArray(reinterpret_cast<const char*>(frame.begin()), frame.length);
}

// The check every raw-line suite makes after a command: the next whole frame is the reply
// to that command (same sequence number) with the expected code. A macro, so that a
// failure names the line of the suite, not this header.
#define QUILLON_EXPECT_REPLY(cl, fr, timeoutMs, wantSeq, wantCode)                                 \
    do {                                                                                           \
        QCOMPARE((cl).Receive(fr, timeoutMs), PtyClient::Result::Frame);                           \
        QCOMPARE(int((fr).seq), int(wantSeq));                                                     \
        QCOMPARE(int((fr).code), int(wantCode));                                                   \
    } while (false)

// A simulator hanging up on its client: the client sees the line close, the reason is
// already in the log, and the simulator ends cleanly by itself.
#define QUILLON_EXPECT_HANGUP(cl, sim, timeoutMs)                                                  \
    do {                                                                                           \
        quillon::protocol::ProtocolCodec::Frame hangUpFrame;                                           \
        QCOMPARE((cl).Receive(hangUpFrame, timeoutMs), PtyClient::Result::HangUp);                 \
        QVERIFY2((sim).HasEvent("hangup"), qPrintable((sim).EventTexts().join(" | ")));            \
        QVERIFY((sim).WaitForExit(timeoutMs));                                                     \
        QCOMPARE((sim).Process().exitStatus(), QProcess::NormalExit);                              \
        QCOMPARE((sim).Process().exitCode(), 0);                                                   \
    } while (false)
