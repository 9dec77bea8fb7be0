#pragma once

#include "platform/gui/TApplication.h"

#include <QtTest>

// Like QTEST_MAIN, but with the panel's own application object, so message boxes carry
// its title and exceptions reach its general error report.
#define QUILLON_TEST_MAIN(TestClass)                                                               \
    int main(int argc, char** argv) {                                                              \
        TApplication app(argc, argv);                                                              \
        TApplication::setStyle(QStringLiteral("Windows"));                                         \
        app.setApplicationName(QStringLiteral("Quillon"));                                         \
        app.setTitle(QStringLiteral("Quillon"));                                                   \
        TestClass test;                                                                            \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
