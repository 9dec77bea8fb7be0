#include "PanelTest.h"
#include "tests/support/DataColumns.h"
#include "tests/support/TestMain.h"
#include "tests/support/VantrelRecorder.h"
#include "widgets/link/LinkLabel.h"

#include <QLabel>

class TestInfoPage : public QObject {
    Q_OBJECT

    std::unique_ptr<TForm1> form;
    QList<QUrl> opened;

private slots:
    void init() {
        opened.clear();
        TLinkLabel::OpenUrl = [this](const QUrl& url) { opened << url; };
        // The layout's figures are those of a 16-pixel font whose text is 20 pixels high;
        // measure as such a font would, whatever face this machine substitutes.
        TLinkLabel::TextExtent = [](const QFont&, const QRect&, int, const QString& text) {
            return QSize(8 * int(text.size()), 20);
        };
        form = panel::FreshForm(&TForm1::TabSheet3);
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }
    void cleanup() {
        form.reset();
        TLinkLabel::OpenUrl = TLinkLabel::OpenUrlWithDesktop;
        TLinkLabel::TextExtent = &TLinkLabel::MeasureWithFontMetrics;
    }

    void textsFromTopToBottom();
    void linkLabelsSizeThemselves();
    void textsAre16PixelsHighOnAnyScreen();
    void clickOpensTheLink_data();
    void clickOpensTheLink();
};

void TestInfoPage::textsFromTopToBottom() {
    QCOMPARE(form->PageControl1->tabText(2), QString("Info"));
    QList<QWidget*> items;
    for (QWidget* w : form->Panel4->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        items << w;
    }
    std::sort(items.begin(), items.end(), [](QWidget* a, QWidget* b) { return a->y() < b->y(); });
    QStringList names, texts;
    for (QWidget* w : items) {
        names << w->objectName();
        if (auto* label = qobject_cast<QLabel*>(w)) {
            texts << label->text();
        } else if (auto* link = qobject_cast<TLinkLabel*>(w)) {
            texts << link->Caption();
        }
        QCOMPARE(w->x(), 24);
    }
    QCOMPARE(names, (QStringList{"Label6", "Label1", "Label2", "Label4", "Label5", "LinkLabel2",
                                 "LinkLabel1"}));
    QCOMPARE(texts.size(), 7);
    QCOMPARE(texts[0], QString("Quillon Adapter V1.0"));
    // A street line, a city line with a country letter and postcode, a telephone number in
    // international form, an e-mail and a web address under reserved example domains.
    QVERIFY(QRegularExpression("^[A-Z]{1,2}-[0-9A-Z ]+ \\S+").match(texts[3]).hasMatch());
    QVERIFY(QRegularExpression("\\+\\d").match(texts[4]).hasMatch());
    QVERIFY(texts[5].endsWith(".example") && texts[5].contains('@'));
    QVERIFY(texts[6].endsWith(".example") && !texts[6].contains("://"));
}

void TestInfoPage::linkLabelsSizeThemselves() {
    for (TLinkLabel* link : {form->LinkLabel1, form->LinkLabel2}) {
        QCOMPARE(link->height(), 23); // 20 + highlight offset 2 + shadow offset 1
        QCOMPARE(link->width(), 8 * int(link->Caption().size()) + 3);
        QVERIFY(link->AutoSize());
        QCOMPARE(link->Style(), TLinkLabel::lsCustom);
        QCOMPARE(link->Color(), quillon::platform::clActiveBorder);
        QCOMPARE(link->FontColor(), quillon::platform::clBlue);
    }
}

void TestInfoPage::textsAre16PixelsHighOnAnyScreen() {
    const auto items = form->Panel4->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    QCOMPARE(items.size(), 7);
    for (QWidget* w : items) {
        // A size in points would be 16 pixels only at 96 dots per inch.
        QCOMPARE(w->font().pixelSize(), 16);
        QCOMPARE(QFontInfo(w->font()).pixelSize(), 16);
        QCOMPARE(QFontInfo(w->font()).family(), QFontInfo(form->font()).family());
    }
}

void TestInfoPage::clickOpensTheLink_data() {
    quillon::testing::AddColumns<QString, QString>({"label", "url"});
    QTest::newRow("web") << QStringLiteral("LinkLabel1") << "https://www.quillon.example/";
    QTest::newRow("e-mail") << QStringLiteral("LinkLabel2") << "mailto:support@quillon.example";
}

void TestInfoPage::clickOpensTheLink() {
    QFETCH(QString, label);
    QFETCH(QString, url);
    panel::Click(form->findChild<TLinkLabel*>(label));
    QCOMPARE(opened, QList<QUrl>{QUrl(url)});
    QCOMPARE(form->StatusText(), QString()); // the page reports nothing
}

QUILLON_TEST_MAIN(TestInfoPage)
#include "tst_infopage.moc"
