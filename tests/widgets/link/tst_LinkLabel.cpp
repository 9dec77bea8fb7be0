#include "FixedMetric.h"
#include "tests/support/DataColumns.h"
#include "widgets/link/CursorTable.h"
#include "widgets/link/LinkLabel.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEnterEvent>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include <stdexcept>

using namespace quillon::platform;

// Stands in for the desktop's handlers of some schemes, so the default opener can be followed
// to the end without starting a browser or a mail program.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

// A form with an entry that has the focus, the label, and the entry the label names.
struct AccelForm {
    QWidget window;
    QLineEdit* first = new QLineEdit;
    TLinkLabel* label = new TLinkLabel;
    QLineEdit* edit = new QLineEdit;

    explicit AccelForm(const QString& caption) {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(first);
        layout->addWidget(label);
        layout->addWidget(edit);
        label->setCaption(caption);
        label->setFocusControl(edit);
    }
    bool Activate() {
        window.show();
        if (!QTest::qWaitForWindowActive(&window)) {
            return false;
        }
        first->setFocus();
        return QTest::qWaitFor([this] { return first->hasFocus(); });
    }
};

class TestLinkLabel : public QObject {
    Q_OBJECT

    QStringList calls;
    QList<QUrl> opened;

    void Enter(TLinkLabel& label) {
        QEnterEvent event(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QApplication::sendEvent(&label, &event);
    }
    void Leave(TLinkLabel& label) {
        QEvent event(QEvent::Leave);
        QApplication::sendEvent(&label, &event);
    }
    void Track(TLinkLabel& label) {
        label.OnClick = [this](QObject*) { calls << QStringLiteral("OnClick"); };
        label.OnExecuteLink = [this](QObject*) { calls << QStringLiteral("OnExecuteLink"); };
        label.OnMouseEnter = [this](QObject*) { calls << QStringLiteral("OnMouseEnter"); };
        label.OnMouseExit = [this](QObject*) { calls << QStringLiteral("OnMouseExit"); };
    }

private slots:
    void init() {
        calls.clear();
        opened.clear();
        TLinkLabel::OpenUrl = [this](const QUrl& url) {
            calls << QStringLiteral("open");
            opened << url;
        };
    }
    void cleanup() { TLinkLabel::OpenUrl = &TLinkLabel::OpenUrlWithDesktop; }

    void newLabel() {
        TLinkLabel label;
        QCOMPARE(label.Style(), TLinkLabel::lsCustom);
        QCOMPARE(label.LinkActive(), false);
        QCOMPARE(label.LinkType(), TLinkLabel::ltWWW);
        QCOMPARE(label.AutoSize(), true);
        QCOMPARE(label.size(), QSize(65, 17));
        QCOMPARE(label.HoverColor(), label.Color());
        QCOMPARE(label.Transparent(), false);
        QVERIFY(!label.LinkedAdress().isEmpty());
        Track(label);
        QTest::mouseClick(&label, Qt::LeftButton);
        QCOMPARE(calls, QStringList{QStringLiteral("OnClick")});
    }

    void cursorResource() {
        TLinkLabel label;
        const QCursor cursor = TCursorTable::Get(TLinkLabel::kLinkCursor);
        QCOMPARE(cursor.shape(), Qt::BitmapCursor);
        QCOMPARE(cursor.pixmap().size(), QSize(32, 32));
        QCOMPARE(cursor.hotSpot(), QPoint(7, 1));
        // The fingertip is drawn; the corner is see-through.
        const QImage image = cursor.pixmap().toImage();
        QCOMPARE(qAlpha(image.pixel(7, 1)), 255);
        QCOMPARE(qAlpha(image.pixel(31, 31)), 0);

        const QImage palette(QStringLiteral(":/widgets/link/TLINKLABEL"));
        QCOMPARE(palette.size(), QSize(24, 24));
    }

    // Every appearance write on a preset label makes the style custom and keeps the rest.
    void appearanceRule_data() {
        quillon::testing::AddColumns<QString, QVariant>({"property", "value"});
        QTest::newRow("BevelStyle") << "BevelStyle" << QVariant::fromValue(TLinkLabel::bvRaised);
        QTest::newRow("BevelWidth") << "BevelWidth" << QVariant(3);
        QTest::newRow("Color") << "Color" << QVariant(int(clMaroon));
        QTest::newRow("HighlightColor") << "HighlightColor" << QVariant(int(clRed));
        QTest::newRow("HighlightOffset") << "HighlightOffset" << QVariant(4);
        QTest::newRow("HighlightPos")
            << "HighlightPos" << QVariant::fromValue(TLinkLabel::hpTopRight);
        QTest::newRow("HoverColor") << "HoverColor" << QVariant(int(clYellow));
        QTest::newRow("HoverFontColor") << "HoverFontColor" << QVariant(int(clRed));
        QTest::newRow("Layout") << "Layout" << QVariant::fromValue(TLinkLabel::tlBottom);
        QTest::newRow("ShadowColor") << "ShadowColor" << QVariant(int(clBlack));
        QTest::newRow("ShadowOffset") << "ShadowOffset" << QVariant(5);
        QTest::newRow("ShortenFilenames") << "ShortenFilenames" << QVariant(true);
        QTest::newRow("ShowAccelChar") << "ShowAccelChar" << QVariant(true);
        QTest::newRow("ShowHighlight") << "ShowHighlight" << QVariant(true);
        QTest::newRow("ShowShadow") << "ShowShadow" << QVariant(true);
        QTest::newRow("Transparent") << "Transparent" << QVariant(true);
        QTest::newRow("UnderlineOnEnter") << "UnderlineOnEnter" << QVariant(false);
    }
    void appearanceRule() {
        QFETCH(QString, property);
        QFETCH(QVariant, value);
        TLinkLabel label;
        label.setStyle(TLinkLabel::lsLink);
        const QByteArray name = property.toLatin1();

        // Writing the current value again is no change and keeps the preset.
        QVERIFY(label.setProperty(name, label.property(name)));
        QCOMPARE(label.Style(), TLinkLabel::lsLink);

        QVERIFY(label.setProperty(name, value));
        QCOMPARE(label.property(name).toInt(), value.toInt());
        QCOMPARE(label.Style(), TLinkLabel::lsCustom);
        QCOMPARE(label.LinkActive(), true);
        QCOMPARE(label.FontColor(), int(clNavy));
        if (property != QLatin1String("HoverFontColor")) {
            QCOMPARE(label.HoverFontColor(), int(clBlue));
        }
    }

    // Plain stores and the border width never touch the style.
    void writesOutsideTheRule() {
        TLinkLabel label;
        label.setStyle(TLinkLabel::lsLink);
        label.setBorderWidth(3);
        label.setLinkActive(false);
        label.setLinkType(TLinkLabel::ltNews);
        label.setLinkedAdress(QStringLiteral("comp.lang"));
        label.setWordWrap(true);
        label.setAlignment(TLinkLabel::taCenter);
        QCOMPARE(label.Style(), TLinkLabel::lsLink);
        QCOMPARE(label.BorderWidth(), 3);
    }

    void outOfRangeWordsAreIgnored_data() {
        quillon::testing::AddColumns<QString, int>({"property", "value"});
        for (const char* name : {"BevelWidth", "BorderWidth", "HighlightOffset", "ShadowOffset"}) {
            QTest::addRow("%s negative", name) << name << -1;
            QTest::addRow("%s too large", name) << name << 65536;
        }
    }
    void outOfRangeWordsAreIgnored() {
        QFETCH(QString, property);
        QFETCH(int, value);
        TLinkLabel label;
        label.setStyle(TLinkLabel::lsLink);
        const QByteArray name = property.toLatin1();
        const QVariant before = label.property(name);
        label.setProperty(name, value);
        QCOMPARE(label.property(name), before);
        QCOMPARE(label.Style(), TLinkLabel::lsLink);
    }

    void presets_data() {
        quillon::testing::AddColumns<int, QVariantMap>({"style", "fields"});
        QTest::newRow("ls3DText") << int(TLinkLabel::ls3DText)
                                  << QVariantMap{{"BevelStyle", TLinkLabel::bvNone},
                                                 {"BevelWidth", 1},
                                                 {"Color", int(clBtnFace)},
                                                 {"HighlightColor", int(clBtnHighlight)},
                                                 {"HighlightOffset", 1},
                                                 {"HighlightPos", TLinkLabel::hpTopLeft},
                                                 {"LinkActive", false},
                                                 {"ShadowColor", int(clBtnShadow)},
                                                 {"ShadowOffset", 1},
                                                 {"ShowHighlight", true},
                                                 {"ShowShadow", true}};
        QTest::newRow("lsLink") << int(TLinkLabel::lsLink)
                                << QVariantMap{{"BevelStyle", TLinkLabel::bvNone},
                                               {"BevelWidth", 1},
                                               {"FontColor", int(clNavy)},
                                               {"HoverColor", int(clYellow)}, // the Color
                                               {"HoverFontColor", int(clBlue)},
                                               {"LinkActive", true},
                                               {"LinkType", TLinkLabel::ltWWW},
                                               {"ShowAccelChar", false},
                                               {"ShowHighlight", false},
                                               {"ShowShadow", false},
                                               {"UnderlineOnEnter", true}};
        QTest::newRow("lsPath") << int(TLinkLabel::lsPath)
                                << QVariantMap{{"LinkActive", false},
                                               {"ShortenFilenames", true},
                                               {"ShowAccelChar", false},
                                               {"ShowHighlight", false},
                                               {"ShowShadow", false}};
        QTest::newRow("lsWindow") << int(TLinkLabel::lsWindow)
                                  << QVariantMap{{"BevelStyle", TLinkLabel::bvSingle},
                                                 {"BevelWidth", 1},
                                                 {"BorderWidth", 2},
                                                 {"Color", int(clWindow)},
                                                 {"FontColor", int(clWindowText)},
                                                 {"Layout", TLinkLabel::tlCenter},
                                                 {"LinkActive", false},
                                                 {"ShowHighlight", false},
                                                 {"ShowShadow", false}};
    }
    // A preset sets the fields of its row and leaves every other property as it was.
    void presets() {
        QFETCH(int, style);
        QFETCH(QVariantMap, fields);
        TLinkLabel label;
        // Settings that differ from every preset, made while the style is custom.
        label.setBevelStyle(TLinkLabel::bvRaised);
        label.setBevelWidth(4);
        label.setBorderWidth(5);
        label.setColor(clYellow);
        label.setHighlightOffset(6);
        label.setHighlightPos(TLinkLabel::hpTopRight);
        label.setHoverFontColor(clRed);
        label.setShadowOffset(3);
        label.setShortenFilenames(true);
        label.setShowHighlight(true);
        label.setShowShadow(true);
        label.setUnderlineOnEnter(false);
        label.setFontColor(clMaroon);
        label.setLinkActive(true);
        label.setLinkType(TLinkLabel::ltNews);
        label.setLinkedAdress(QStringLiteral("comp.lang"));

        const QMetaObject& meta = TLinkLabel::staticMetaObject;
        QVariantMap before;
        for (int i = meta.propertyOffset(); i < meta.propertyCount(); ++i) {
            before.insert(meta.property(i).name(), meta.property(i).read(&label));
        }
        label.setStyle(static_cast<TLinkLabel::TLabelStyle>(style));
        QCOMPARE(int(label.Style()), style);
        for (auto it = before.cbegin(); it != before.cend(); ++it) {
            if (it.key() == QLatin1String("Style") || it.key() == QLatin1String("Caption")) {
                continue;
            }
            const QVariant expected = fields.value(it.key(), it.value());
            const QVariant actual = label.property(it.key().toLatin1());
            const bool same = expected.typeId() == QMetaType::QString
                                  ? actual.toString() == expected.toString()
                                  : actual == expected || actual.toInt() == expected.toInt();
            if (!same) {
                QFAIL(qPrintable(QStringLiteral("%1 is %2, expected %3")
                                     .arg(it.key(), actual.toString(), expected.toString())));
            }
        }
    }

    void presetsOnlyTouchTheirFields() {
        TLinkLabel label;
        label.setStyle(TLinkLabel::lsPath);
        label.setStyle(TLinkLabel::lsLink);
        QCOMPARE(label.ShortenFilenames(), true);

        // Writing the current style again applies nothing.
        label.setLinkActive(false);
        label.setStyle(TLinkLabel::lsLink);
        QCOMPARE(label.LinkActive(), false);
    }

    void click_data() {
        quillon::testing::AddColumns<int, QString, QString>({"linkType", "address", "target"});
        QTest::newRow("e-mail") << int(TLinkLabel::ltEMail) << "support@example.com"
                                << "mailto:support@example.com";
        QTest::newRow("news") << int(TLinkLabel::ltNews) << "comp.lang.c"
                              << "news:comp.lang.c";
        QTest::newRow("web with scheme") << int(TLinkLabel::ltWWW) << "https://www.example.com/x"
                                         << "https://www.example.com/x";
        QTest::newRow("web without scheme") << int(TLinkLabel::ltWWW) << "www.example.com"
                                            << "www.example.com";
        QTest::newRow("shell characters")
            << int(TLinkLabel::ltWWW) << "http://example.com/a;b&c|d`e$(reboot) >x"
            << "http://example.com/a;b&c|d`e$(reboot) >x";
    }
    void click() {
        QFETCH(int, linkType);
        QFETCH(QString, address);
        QFETCH(QString, target);
        TLinkLabel label;
        Track(label);
        label.setLinkActive(true);
        label.setLinkType(static_cast<TLinkLabel::TLinkType>(linkType));
        label.setLinkedAdress(address);
        QTest::mouseClick(&label, Qt::LeftButton);
        QCOMPARE(calls, (QStringList{QStringLiteral("OnClick"), QStringLiteral("OnExecuteLink"),
                                     QStringLiteral("open")}));
        QCOMPARE(opened.size(), 1);
        // The whole address arrives as one URL, character for character.
        QCOMPARE(QUrl::fromPercentEncoding(opened.first().toEncoded()), target);
    }

    void desktopHandlerGetsOneUrl_data() {
        quillon::testing::AddColumns<int, QString, QString>({"linkType", "address", "url"});
        QTest::newRow("web") << int(TLinkLabel::ltWWW) << "https://www.example.com/a?b=1"
                             << "https://www.example.com/a?b=1";
        QTest::newRow("web without scheme") << int(TLinkLabel::ltWWW) << "www.example.com"
                                            << "http://www.example.com";
        QTest::newRow("e-mail") << int(TLinkLabel::ltEMail) << "support@example.com"
                                << "mailto:support@example.com";
        QTest::newRow("shell characters") << int(TLinkLabel::ltWWW) << "http://x.example/;ls|sh"
                                          << "http://x.example/;ls|sh";
    }
    void desktopHandlerGetsOneUrl() {
        QFETCH(int, linkType);
        QFETCH(QString, address);
        QFETCH(QString, url);
        TLinkLabel::OpenUrl = &TLinkLabel::OpenUrlWithDesktop;
        UrlRecorder recorder;
        for (const char* scheme : {"http", "https", "mailto"}) {
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &recorder, "open");
        }
        TLinkLabel label;
        label.setLinkActive(true);
        label.setLinkType(static_cast<TLinkLabel::TLinkType>(linkType));
        label.setLinkedAdress(address);
        label.Click();
        for (const char* scheme : {"http", "https", "mailto"}) {
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
        }
        QCOMPARE(recorder.urls.size(), 1);
        QCOMPARE(QUrl::fromPercentEncoding(recorder.urls.first().toEncoded()), url);
    }

    void clickWithoutLink_data() {
        quillon::testing::AddColumns<int, bool, bool, QString>(
            {"linkType", "active", "enabled", "address"});
        QTest::newRow("ltNone") << int(TLinkLabel::ltNone) << true << true << "x";
        QTest::newRow("inactive") << int(TLinkLabel::ltWWW) << false << true << "x";
        QTest::newRow("empty address") << int(TLinkLabel::ltEMail) << true << true << "";
        QTest::newRow("disabled") << int(TLinkLabel::ltWWW) << true << false << "x";
    }
    void clickWithoutLink() {
        QFETCH(int, linkType);
        QFETCH(bool, active);
        QFETCH(bool, enabled);
        QFETCH(QString, address);
        TLinkLabel label;
        Track(label);
        label.setLinkType(static_cast<TLinkLabel::TLinkType>(linkType));
        label.setLinkActive(active);
        label.setLinkedAdress(address);
        label.setEnabled(enabled);
        // A disabled widget gets no mouse input, so the click is made directly.
        label.Click();
        QCOMPARE(calls, QStringList{QStringLiteral("OnClick")});
    }

    void clickNeedsReleaseInside() {
        TLinkLabel label;
        Track(label);
        QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(2, 2));
        QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(200, 2));
        QTest::mouseClick(&label, Qt::RightButton);
        QVERIFY(calls.isEmpty());
    }

    void handlerExceptionReachesCaller() {
        TLinkLabel label;
        label.setLinkActive(true);
        label.OnClick = [](QObject*) { throw std::runtime_error("handler failed"); };
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, label.Click());
        QVERIFY(opened.isEmpty());
    }

    void hover() {
        TLinkLabel label;
        Track(label);
        label.setCursor(TCursorTable::crIBeam);
        label.setLinkActive(true);

        Enter(label);
        QVERIFY(label.IsHovering());
        QCOMPARE(label.Cursor(), TLinkLabel::kLinkCursor);
        QCOMPARE(label.cursor().hotSpot(), QPoint(7, 1));
        QCOMPARE(label.cursor().shape(), Qt::BitmapCursor);

        Leave(label);
        QVERIFY(!label.IsHovering());
        QCOMPARE(label.Cursor(), int(TCursorTable::crIBeam));
        QCOMPARE(label.cursor().shape(), Qt::IBeamCursor);
        QCOMPARE(calls,
                 (QStringList{QStringLiteral("OnMouseEnter"), QStringLiteral("OnMouseExit")}));
    }

    // The mouse moving straight from one link to the next: the first is back at rest before
    // the second reacts.
    void hoverMovesBetweenLabels() {
        QWidget form;
        form.resize(200, 100);
        TLinkLabel* labels[2] = {new TLinkLabel(&form), new TLinkLabel(&form)};
        for (int i = 0; i < 2; ++i) {
            labels[i]->setAutoSize(false);
            labels[i]->setGeometry(10, 10 + 20 * i, 100, 20);
            labels[i]->setLinkActive(true);
        }
        bool firstHoveringWhenSecondEntered = true;
        labels[1]->OnMouseEnter = [&](QObject*) {
            firstHoveringWhenSecondEntered = labels[0]->IsHovering();
            calls << QStringLiteral("second entered");
        };
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTest::mouseMove(&form, QPoint(50, 20));
        QTRY_VERIFY(labels[0]->IsHovering());
        QTest::mouseMove(&form, QPoint(50, 40));
        QTRY_VERIFY(labels[1]->IsHovering());
        QCOMPARE(calls, QStringList{QStringLiteral("second entered")});
        QVERIFY(!firstHoveringWhenSecondEntered);
        QCOMPARE(labels[0]->Cursor(), int(TCursorTable::crDefault));
        QCOMPARE(labels[1]->Cursor(), TLinkLabel::kLinkCursor);
    }

    void hoverIgnoredWithoutLink_data() {
        quillon::testing::AddColumns<bool, bool>({"active", "enabled"});
        QTest::newRow("link inactive") << false << true;
        QTest::newRow("disabled") << true << false;
    }
    void hoverIgnoredWithoutLink() {
        QFETCH(bool, active);
        QFETCH(bool, enabled);
        TLinkLabel label;
        Track(label);
        label.setLinkActive(active);
        label.setEnabled(enabled);
        Enter(label);
        QVERIFY(!label.IsHovering());
        QCOMPARE(label.Cursor(), int(TCursorTable::crDefault));
        QCOMPARE(label.testAttribute(Qt::WA_SetCursor), false);
        Leave(label);
        QCOMPARE(calls,
                 (QStringList{QStringLiteral("OnMouseEnter"), QStringLiteral("OnMouseExit")}));
    }

    // Switching the link off while hovering leaves the label hovering until it is switched on
    // again and the mouse leaves.
    void hoverStateOnlyChangesWithTheMouse() {
        TLinkLabel label;
        label.setLinkActive(true);
        Enter(label);
        label.setLinkActive(false);
        Leave(label);
        QVERIFY(label.IsHovering());
        QCOMPARE(label.Cursor(), TLinkLabel::kLinkCursor);
        label.setLinkActive(true);
        Leave(label);
        QVERIFY(!label.IsHovering());
        QCOMPARE(label.Cursor(), int(TCursorTable::crDefault));
    }

    void accelerator_data() {
        quillon::testing::AddColumns<QString, QChar, bool, bool, bool>(
            {"caption", "key", "showAccel", "enabled", "handled"});
        QTest::newRow("marked letter") << "&Name" << QChar('n') << true << true << true;
        QTest::newRow("upper case") << "Na&me" << QChar('M') << true << true << true;
        QTest::newRow("other letter") << "&Name" << QChar('a') << true << true << false;
        QTest::newRow("double ampersand") << "A&&B" << QChar('b') << true << true << false;
        QTest::newRow("after double") << "A&&&B" << QChar('b') << true << true << true;
        QTest::newRow("accelerators hidden") << "&Name" << QChar('n') << false << true << false;
        QTest::newRow("disabled label") << "&Name" << QChar('n') << true << false << false;
    }
    // Through the window shortcut (Alt+key) and through DialogChar itself.
    void accelerator() {
        QFETCH(QString, caption);
        QFETCH(QChar, key);
        QFETCH(bool, showAccel);
        QFETCH(bool, enabled);
        QFETCH(bool, handled);
        AccelForm form(caption);
        form.label->setShowAccelChar(showAccel);
        form.label->setEnabled(enabled);
        QVERIFY(form.Activate());
        QTest::keyClick(form.first, Qt::Key(key.toUpper().unicode()), Qt::AltModifier);
        QTRY_COMPARE(form.edit->hasFocus(), handled);

        form.first->setFocus();
        QTRY_VERIFY(form.first->hasFocus());
        QCOMPARE(form.label->DialogChar(key), handled);
        QTRY_COMPARE(form.edit->hasFocus(), handled);
    }

    void focusControlRemoved() {
        AccelForm form(QStringLiteral("&Name"));
        QCOMPARE(form.label->FocusControl(), form.edit);
        delete form.edit;
        QCOMPARE(form.label->FocusControl(), nullptr);
        QVERIFY(form.Activate());
        QTest::keyClick(form.first, Qt::Key_N, Qt::AltModifier);
        QCOMPARE(form.label->DialogChar(QLatin1Char('n')), false);
        QVERIFY(form.first->hasFocus());
    }
};

QTEST_MAIN(TestLinkLabel)
#include "tst_LinkLabel.moc"
