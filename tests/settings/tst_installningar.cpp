#include "FileHelpers.h"
#include "controls/Panel.h"
#include "controls/XiButton.h"
#include "pos/ErrorReport.h"
#include "pos/InstallDir.h"
#include "settings/Installningar.h"
#include "settings/NewTicketSettings.h"
#include "settings/OtherBoardsSettings.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

struct SettingsFixture
{
    QTemporaryDir install;
    QStringList reports;
    explicit SettingsFixture(const QByteArray &spisko = {})
    {
        setInstallDirOverride(install.path());
        if (!spisko.isEmpty())
            writeBytes(file(), spisko);
        ErrorReport::setSink([this](ErrorReport::Kind, const QString &title, const QString &text) {
            reports.append(title + u'|' + text);
        });
    }
    ~SettingsFixture()
    {
        ErrorReport::setSink({});
        setInstallDirOverride({});
    }
    QString file() const { return install.filePath(u"SPISKO.INI"_s); }
};

class TestInstallningar : public QObject
{
    Q_OBJECT

private slots:
    void design()
    {
        SettingsFixture f;
        TF_Installningar w;
        QCOMPARE(w.ed_Bredd->geometry(), QRect(104, 12, 49, 24));
        QCOMPARE(w.bu_Vaster->geometry(), QRect(159, 13, 35, 30));
        QCOMPARE(w.bu_Hoger->geometry(), QRect(195, 13, 35, 30));
        QCOMPARE(w.ed_Vanster->geometry(), QRect(104, 44, 49, 24));
        QCOMPARE(w.pa_Mall->geometry(), QRect(0, 83, 225, 313));
        QCOMPARE(w.pa_FotMall->height(), 31);
        QCOMPARE(w.pa_MallKlocka->width(), 64);
        QCOMPARE(w.pa_MallKlocka->caption(), u"02:01"_s);
        QCOMPARE(w.co_Rader->geometry(), QRect(463, 12, 39, 24));
        QCOMPARE(w.Panel1->geometry(), QRect(318, 80, 185, 94));
        QCOMPARE(w.pa_FotMallRod->color(), QColor(0xE2, 0x62, 0x5F));
        QCOMPARE(w.co_Uppdatera->geometry(), QRect(406, 184, 40, 24));
        QCOMPARE(w.cb_UpdateAll->text(), u"Rita om alla vid uppdatering"_s);
        QCOMPARE(w.co_BongUtskrift->geometry(), QRect(315, 288, 185, 24));
        QCOMPARE(w.cb_Horisontalt->text(), u"Rita bongarna horisontalt"_s);
        QCOMPARE(w.bu_BytSkarm->geometry(), QRect(321, 348, 41, 35));
        QCOMPARE(w.bu_stang->geometry(), QRect(454, 349, 41, 35));
        for (TXiButton *b : {w.bu_Vaster, w.bu_Hoger, w.bu_VansterVanster, w.bu_VansterHoger,
                             w.bu_BytSkarm, w.bu_stang}) {
            QCOMPARE(b->colorScheme(), TColorScheme::csGraySkin);
            QVERIFY(b->hotTrack() && b->gradient() && !b->rounded());
            QCOMPARE(b->glyph().size(), QSize(24, 24));
            QVERIFY(b->caption().isEmpty());
        }
        // The focus order, from the width edit on.
        QWidget *at = w.ed_Bredd;
        const QList<QWidget *> order {w.bu_Vaster,    w.bu_Hoger,        w.co_Rader,
                                      w.ed_GronSek,   w.ed_GulSek,       w.ed_RodSek,
                                      w.co_Uppdatera, w.bu_BytSkarm,     w.bu_stang,
                                      w.cb_UpdateAll, w.bu_VansterHoger, w.bu_VansterVanster,
                                      w.ed_Vanster,   w.co_BongUtskrift, w.cb_Horisontalt};
        for (QWidget *next : order) {
            at = at->nextInFocusChain();
            while (at->focusProxy() || !(at->focusPolicy() & Qt::TabFocus))
                at = at->nextInFocusChain();
            QCOMPARE(at, next);
        }
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QString dir = QStringLiteral(QT_TESTCASE_BUILDDIR "/shots");
        QDir().mkpath(dir);
        QVERIFY(w.grab().save(dir + u"/settings.png"_s));
    }

    void loadChangeAndSave()
    {
        SettingsFixture f(
            "; min skärm\r\n[BONG]\r\nBREDD=230\r\nVANSTER=5\r\n[SKARM]\r\nRADER=abc\r\n"
            "GRONSEK=200\r\nREPAINT=J\r\nNAMN=Grill\r\n");
        TF_Installningar w;
        QCOMPARE(w.ed_Bredd->text(), u"230"_s);
        QCOMPARE(w.ed_Vanster->text(), u"5"_s);
        QCOMPARE(w.pa_Mall->geometry(), QRect(5, 83, 230, 313));
        QCOMPARE(w.co_Rader->currentText(), u"abc"_s);
        QCOMPARE(w.ed_GronSek->text(), u"200"_s);
        QCOMPARE(w.ed_GulSek->text(), u"500"_s);
        QCOMPARE(w.co_Uppdatera->currentText(), u"10"_s);
        QVERIFY(w.cb_UpdateAll->isChecked());
        QVERIFY(!w.cb_Horisontalt->isChecked());
        QCOMPARE(w.co_BongUtskrift->currentText(), u"Grill"_s);
        w.setDeviceNames({u"Alla"_s, u"Bar"_s});
        QCOMPARE(w.co_BongUtskrift->currentText(), u"Grill"_s);

        QTest::mouseClick(w.bu_Hoger, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(w.ed_Bredd->text(), u"231"_s);
        QCOMPARE(w.pa_Mall->width(), 231);
        for (int i = 0; i < 6; ++i)
            QTest::mouseClick(w.bu_VansterVanster, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(w.ed_Vanster->text(), u"-1"_s);
        QCOMPARE(w.pa_Mall->x(), -1);
        w.co_Rader->setCurrentIndex(3);
        w.cb_Horisontalt->setChecked(true);
        w.co_BongUtskrift->setEditText(u"Kök"_s);
        w.show();
        QTest::mouseClick(w.bu_stang, Qt::LeftButton, {}, QPoint(20, 17));
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QCOMPARE(readBytes(f.file()),
                 QByteArray("; min skärm\r\n[BONG]\r\nBREDD=231\r\nVANSTER=-1\r\n[SKARM]\r\n"
                            "RADER=4\r\nGRONSEK=200\r\nREPAINT=J\r\nNAMN=K\xf6k\r\nGULSEK=500\r\n"
                            "RODSEK=1000\r\nUPDATE=10\r\nHORIZONTAL=J\r\n"));
    }

    void saveCreatesAMissingFile()
    {
        SettingsFixture f;
        TF_Installningar w;
        w.SaveSettings();
        QCOMPARE(
            readBytes(f.file()),
            QByteArray("[BONG]\r\nBREDD=225\r\nVANSTER=0\r\n[SKARM]\r\nRADER=3\r\nGRONSEK=280\r\n"
                       "GULSEK=500\r\nRODSEK=1000\r\nUPDATE=10\r\nREPAINT=N\r\nHORIZONTAL=N\r\n"
                       "NAMN=Alla\r\n"));
    }

    void closeBoxDoesNotSave()
    {
        SettingsFixture f("[BONG]\r\nBREDD=230\r\n");
        TF_Installningar w;
        w.show();
        QTest::mouseClick(w.bu_Hoger, Qt::LeftButton, {}, QPoint(10, 10));
        w.close();
        QCOMPARE(readBytes(f.file()), QByteArray("[BONG]\r\nBREDD=230\r\n"));
    }

    void failedSaveKeepsTheWindowOpen()
    {
        SettingsFixture f;
        QDir(f.install.path()).mkdir(u"SPISKO.INI"_s);
        TF_Installningar w;
        w.show();
        QTest::mouseClick(w.bu_stang, Qt::LeftButton, {}, QPoint(20, 17));
        QCOMPARE(f.reports, QStringList {u"Tavlix|Unable to write to %1."_s.arg(f.file())});
        QVERIFY(w.isVisible());
    }

    void typingIsBlockedInTheLists()
    {
        SettingsFixture f;
        TF_Installningar w;
        w.show();
        for (QComboBox *box : {w.co_Rader, w.co_Uppdatera}) {
            const QString before = box->currentText();
            box->setFocus();
            QTest::keyClicks(box, u"7a "_s);
            QTest::keyClick(box, Qt::Key_Backspace);
            QTest::keyClick(box, Qt::Key_Delete);
            QCOMPARE(box->currentText(), before);
        }
        w.co_BongUtskrift->setFocus();
        w.co_BongUtskrift->lineEdit()->selectAll();
        QTest::keyClicks(w.co_BongUtskrift, u"Bar 2"_s);
        QCOMPARE(w.co_BongUtskrift->currentText(), u"Bar 2"_s);
    }

    void tabWalksTheFocusOrder()
    {
        SettingsFixture f;
        TF_Installningar w;
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QCOMPARE(QApplication::focusWidget(), w.ed_Bredd);
        const QList<QWidget *> order {
            w.bu_Vaster, w.bu_Hoger, w.co_Rader, w.ed_GronSek, w.ed_GulSek, w.ed_RodSek,
            w.co_Uppdatera, w.bu_BytSkarm, w.bu_stang, w.cb_UpdateAll, w.bu_VansterHoger,
            w.bu_VansterVanster, w.ed_Vanster, w.co_BongUtskrift, w.cb_Horisontalt,
            // the boxes added later come last, after every control of the original order
            w.newTicketBoxes->cb_NyBlinka, w.newTicketBoxes->cb_NyLjud,
            w.otherBoardsBoxes->cb_Synka, w.otherBoardsBoxes->ed_KlaraAntal, w.ed_Bredd};
        for (QWidget *next : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        for (qsizetype i = order.size() - 2; i >= 0; --i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
            QCOMPARE(QApplication::focusWidget(), order[i]);
        }
    }

    void escapeKeepsTheWindowOpen()
    {
        SettingsFixture f("[BONG]\r\nBREDD=230\r\n");
        TF_Installningar w;
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        for (QWidget *at : QList<QWidget *> {w.ed_Bredd, w.bu_Hoger, w.co_Rader, w.ed_GronSek,
                                             w.co_BongUtskrift, w.cb_Horisontalt}) {
            at->setFocus();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            QVERIFY2(w.isVisible(), at->metaObject()->className());
        }
        QCOMPARE(readBytes(f.file()), QByteArray("[BONG]\r\nBREDD=230\r\n"));
    }

    void listsSelectTheStoredEntry_data()
    {
        QTest::addColumn<QByteArray>("spisko");
        QTest::addColumn<int>("rader");
        QTest::addColumn<int>("update");
        QTest::addColumn<QString>("afterDown");
        QTest::newRow("defaults") << QByteArray() << 2 << 1 << u"4"_s;
        QTest::newRow("stored") << QByteArray("[SKARM]\r\nRADER=4\r\nUPDATE=25\r\n") << 3 << 4
                                << u"5"_s;
        QTest::newRow("not in the lists")
            << QByteArray("[SKARM]\r\nRADER=7\r\nUPDATE=12\r\n") << -1 << -1 << u"1"_s;
    }

    void listsSelectTheStoredEntry()
    {
        QFETCH(QByteArray, spisko);
        QFETCH(int, rader);
        QFETCH(int, update);
        QFETCH(QString, afterDown);
        SettingsFixture f(spisko);
        TF_Installningar w;
        const QString shown = w.co_Rader->currentText();
        QCOMPARE(w.co_Rader->currentIndex(), rader);
        QCOMPARE(w.co_Uppdatera->currentIndex(), update);
        if (rader >= 0) {
            QCOMPARE(w.co_Rader->itemText(rader), shown);
            QCOMPARE(w.co_Uppdatera->itemText(update), w.co_Uppdatera->currentText());
        } else {
            QCOMPARE(shown, u"7"_s);
            QCOMPARE(w.co_Uppdatera->currentText(), u"12"_s);
        }
        // The arrow keys start from the stored entry.
        w.show();
        w.co_Rader->setFocus();
        QTest::keyClick(w.co_Rader, Qt::Key_Down);
        QCOMPARE(w.co_Rader->currentText(), afterDown);
    }

    void storedDeviceIsTheCurrentEntry()
    {
        SettingsFixture f("[SKARM]\r\nNAMN=Grill\r\n");
        TF_Installningar w;
        w.setDeviceNames({u"Alla"_s, u"Bar"_s, u"Grill"_s});
        QCOMPARE(w.co_BongUtskrift->currentIndex(), 2);
        QCOMPARE(w.co_BongUtskrift->currentText(), u"Grill"_s);
    }

    void typedDeviceNameKeepsItsCase()
    {
        SettingsFixture f;
        TF_Installningar w;
        w.setDeviceNames({u"Alla"_s, u"Bar"_s, u"Grill"_s});
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.co_BongUtskrift->setFocus();
        w.co_BongUtskrift->lineEdit()->selectAll();
        QTest::keyClicks(w.co_BongUtskrift, u"bar"_s);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); // the focus leaves
        QCOMPARE(QApplication::focusWidget(), w.cb_Horisontalt);
        QCOMPARE(w.co_BongUtskrift->currentText(), u"bar"_s);
        w.co_BongUtskrift->setFocus();
        w.co_BongUtskrift->lineEdit()->selectAll();
        QTest::keyClicks(w.co_BongUtskrift, u"Gr"_s);
        w.ed_Bredd->setFocus();
        QCOMPARE(w.co_BongUtskrift->currentText(), u"Gr"_s);
        w.SaveSettings();
        QVERIFY(readBytes(f.file()).contains("\r\nNAMN=Gr\r\n"));
    }

    void opensCentredWithItsFrame()
    {
        SettingsFixture f;
        TF_Installningar w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QRect area = w.screen()->availableGeometry();
        const auto centred = [&] {
            const QRect frame = w.frameGeometry();
            return frame != w.geometry()
                && qAbs((frame.left() - area.left()) - (area.right() - frame.right())) <= 1
                && qAbs((frame.top() - area.top()) - (area.bottom() - frame.bottom())) <= 1;
        };
        QTRY_VERIFY(centred());
    }

    void arrowButtonWithoutANumber()
    {
        SettingsFixture f;
        TF_Installningar w;
        w.show();
        w.ed_Bredd->setText(u"abc"_s);
        w.ed_BreddExit(); // leaving the edit: nothing happens
        QCOMPARE(w.pa_Mall->width(), 225);
        QVERIFY(f.reports.isEmpty());
        QTest::mouseClick(w.bu_Hoger, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(f.reports, QStringList {u"Tavlix|'abc' is not a valid integer value."_s});
        QCOMPARE(w.ed_Bredd->text(), u"abc"_s);
        QCOMPARE(w.pa_Mall->width(), 225);
        w.ed_Vanster->setText(u"12"_s);
        w.ed_VansterExit();
        QCOMPARE(w.pa_Mall->x(), 12);
    }

    void screenChangeOnlyWhenTheBoardIsMaximized()
    {
        SettingsFixture f;
        TF_Installningar w;
        bool maximized = false;
        int changes = 0;
        w.screenChange = [&] {
            return maximized && ++changes;
        };
        w.show();
        QTest::mouseClick(w.bu_BytSkarm, Qt::LeftButton, {}, QPoint(20, 17));
        QVERIFY(w.isVisible());
        maximized = true;
        QTest::mouseClick(w.bu_Hoger, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseClick(w.bu_BytSkarm, Qt::LeftButton, {}, QPoint(20, 17));
        QVERIFY(!w.isVisible());
        QCOMPARE(changes, 1);
        QCOMPARE(w.result(), int(QDialog::Rejected));
        QVERIFY(!QFile::exists(f.file())); // closed without saving
    }
};

QTEST_MAIN(TestInstallningar)
#include "tst_installningar.moc"
