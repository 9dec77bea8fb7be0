#include "tests/support/DataColumns.h"
#include "widgets/link/PathShortening.h"

#include <QTest>

namespace {

// One pixel per character keeps the limits readable.
int CharCount(const QString& s) {
    return static_cast<int>(s.size());
}

} // namespace

class TestPathShortening : public QObject {
    Q_OBJECT

private slots:
    void shortening_data() {
        quillon::testing::AddColumns<QString, int, QString>({"path", "limit", "expected"});
        const QString path = QStringLiteral("C:\\Programme\\Tools\\Data\\file.txt");
        QTest::newRow("fits") << path << CharCount(path) << path;
        QTest::newRow("first cut")
            << path << CharCount(path) - 1 << QStringLiteral("C:\\...\\Tools\\Data\\file.txt");
        QTest::newRow("second cut") << path << 24 << QStringLiteral("C:\\...\\Data\\file.txt");
        QTest::newRow("third cut") << path << 19 << QStringLiteral("C:\\...\\file.txt");
        QTest::newRow("drive dropped") << path << 14 << QStringLiteral("...\\file.txt");
        QTest::newRow("name only") << path << 11 << QStringLiteral("file.txt");
        QTest::newRow("never fits") << path << 2 << QStringLiteral("file.txt");
        QTest::newRow("no directory")
            << QStringLiteral("file.txt") << 2 << QStringLiteral("file.txt");
        QTest::newRow("relative") << QStringLiteral("a\\bb\\c.txt") << 9
                                  << QStringLiteral("...\\c.txt");
        QTest::newRow("rooted, no drive")
            << QStringLiteral("\\dir\\sub\\f") << 9 << QStringLiteral("\\...\\f");
        QTest::newRow("drive only") << QStringLiteral("C:file") << 5 << QStringLiteral("file");

        // "/" separates like "\", and the cut marks itself with the path's own separator.
        const QString home = QStringLiteral("/home/user/projects/quillon/docs/readme.txt");
        QTest::newRow("slash fits") << home << CharCount(home) << home;
        QTest::newRow("slash first cut")
            << home << CharCount(home) - 1
            << QStringLiteral("/.../user/projects/quillon/docs/readme.txt");
        QTest::newRow("slash four cuts") << home << 20 << QStringLiteral("/.../docs/readme.txt");
        QTest::newRow("slash root dropped") << home << 14 << QStringLiteral(".../readme.txt");
        QTest::newRow("slash name only") << home << 13 << QStringLiteral("readme.txt");
        QTest::newRow("slash file in root")
            << QStringLiteral("/readme.txt") << 10 << QStringLiteral("readme.txt");
        QTest::newRow("slash relative")
            << QStringLiteral("a/bb/c.txt") << 9 << QStringLiteral(".../c.txt");
        QTest::newRow("slash after drive") << QStringLiteral("C:/Programme/Tools/file.txt") << 24
                                           << QStringLiteral("C:/.../Tools/file.txt");
    }
    void shortening() {
        QFETCH(QString, path);
        QFETCH(int, limit);
        QFETCH(QString, expected);
        QCOMPARE(ShortenPath(path, limit, CharCount), expected);
    }
};

QTEST_APPLESS_MAIN(TestPathShortening)
#include "tst_PathShortening.moc"
