#pragma once

#include "PtyClient.h"

#include <QTest>

// The check every raw-line suite makes after a command: the next whole frame is the reply
// to that command (same sequence number) with the expected code. A macro, so that a
// failure names the line of the suite, not this header.
#define QUILLON_EXPECT_REPLY(cl, fr, timeoutMs, wantSeq, wantCode)                                 \
    do {                                                                                           \
        QCOMPARE((cl).Receive(fr, timeoutMs), PtyClient::Result::Frame);                           \
        QCOMPARE(int((fr).seq), int(wantSeq));                                                     \
        QCOMPARE(int((fr).code), int(wantCode));                                                   \
    } while (false)
