#include "FixedMetric.h"
#include "tests/support/DataColumns.h"
#include "tests/support/LoadedForm.h"
#include "ui_InfoLinks.h"
#include "widgets/link/LinkLabel.h"

#include <QFontInfo>
#include <QTest>

using namespace quillon::platform;

// The Info page's two link labels, set up from a Designer form as uic writes it.
class TestLinkLabelForm : public QObject {
    Q_OBJECT

private slots:
    void init() { TLinkLabel::TextExtent = FixedMetric{8, 0}; }
    void cleanup() {
        TLinkLabel::TextExtent = &TLinkLabel::MeasureWithFontMetrics;
        TLinkLabel::OpenUrl = &TLinkLabel::OpenUrlWithDesktop;
    }

    void labelsSizeThemselves_data() {
        quillon::testing::AddColumns<QString, int>({"name", "top"});
        QTest::newRow("e-mail") << "LinkLabel2" << 152;
        QTest::newRow("web") << "LinkLabel1" << 176;
    }
    void labelsSizeThemselves() {
        QFETCH(QString, name);
        QFETCH(int, top);
        quillon::testing::LoadedForm<Ui::InfoLinks> form;
        auto* label = form.Find<TLinkLabel>(name);
        QVERIFY(label != nullptr);
        QCOMPARE(QFontInfo(label->font()).pixelSize(), 16);
        // 20 for the text line, 2 for the highlight and 1 for the shadow, whatever the form
        // stored; the width is the text's plus the same 3.
        QCOMPARE(label->height(), 23);
        QCOMPARE(label->width(), 8 * static_cast<int>(label->Caption().size()) + 3);
        QCOMPARE(label->pos(), QPoint(24, top));
        form.widget.show();
        QCOMPARE(label->height(), 23);
    }

    void settingsArrive() {
        quillon::testing::LoadedForm<Ui::InfoLinks> form;
        const Ui::InfoLinks& ui = form.ui;
        for (TLinkLabel* label : {ui.LinkLabel1, ui.LinkLabel2}) {
            QCOMPARE(label->Style(), TLinkLabel::lsCustom);
            QCOMPARE(label->Color(), int(clActiveBorder));
            QCOMPARE(label->HighlightColor(), int(clInfoBk));
            QCOMPARE(label->HoverColor(), int(clInactiveCaptionText));
            QCOMPARE(label->HoverFontColor(), int(clActiveCaption));
            QCOMPARE(label->FontColor(), int(clBlue));
            QCOMPARE(label->ShowAccelChar(), false);
            QVERIFY(label->LinkActive());
        }
        QCOMPARE(ui.LinkLabel1->LinkType(), TLinkLabel::ltWWW);
        QCOMPARE(ui.LinkLabel2->LinkType(), TLinkLabel::ltEMail);
    }

    void linksOpenTheirTargets() {
        QList<QUrl> opened;
        TLinkLabel::OpenUrl = [&](const QUrl& url) { opened << url; };
        quillon::testing::LoadedForm<Ui::InfoLinks> form;
        const Ui::InfoLinks& ui = form.ui;
        QTest::mouseClick(ui.LinkLabel2, Qt::LeftButton);
        QTest::mouseClick(ui.LinkLabel1, Qt::LeftButton);
        QCOMPARE(opened, (QList<QUrl>{QUrl(QStringLiteral("mailto:support@quillon.example")),
                                      QUrl(QStringLiteral("https://www.quillon.example/"))}));
    }
};

QTEST_MAIN(TestLinkLabelForm)
#include "tst_LinkLabelForm.moc"
