#include "controls/MessageBoxes.h"
#include "pos/ErrorReport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

class TestErrorReport : public QObject
{
    Q_OBJECT

private slots:
    void fullStop_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << "Unable to write to /x/SPISKO.INI"
                                << "Unable to write to /x/SPISKO.INI.";
        QTest::newRow("full stop kept") << "Klart."
                                        << "Klart.";
        QTest::newRow("sorts before the full stop") << "Fel!"
                                                    << "Fel!";
        QTest::newRow("quote") << "'abc' is not a valid integer value"
                               << "'abc' is not a valid integer value.";
        QTest::newRow("closing quote sorts before") << "value 'x'"
                                                    << "value 'x'";
        QTest::newRow("empty") << ""
                               << "";
    }

    void fullStop()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QCOMPARE(ErrorReport::withFullStop(text), shown);
    }

    void guardedShowsTheError()
    {
        QList<QStringList> shown;
        ErrorReport::setSink(
            [&shown](ErrorReport::Kind kind, const QString &title, const QString &text) {
                shown.append({kind == ErrorReport::Kind::Error ? QStringLiteral("error")
                                                               : QStringLiteral("warning"),
                              title, text});
            });
        QVERIFY(
            !ErrorReport::guarded([] { throw TavlixError(QStringLiteral("Tappade kontakten")); }));
        QVERIFY(ErrorReport::guarded([] {}));
        ErrorReport::showWarning(QStringLiteral("Kunde inte"));
        ErrorReport::setSink({});
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[0],
                 (QStringList {QStringLiteral("error"), QStringLiteral("Tavlix"),
                               QStringLiteral("Tappade kontakten.")}));
        QCOMPARE(shown[1],
                 (QStringList {QStringLiteral("warning"), QStringLiteral("Varning"),
                               QStringLiteral("Kunde inte")}));
    }

    // The real box: modal, one OK button, the right icon and title.
    void messageBoxLooks()
    {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString title;
        int buttons = 0;
        QTimer::singleShot(0, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            icon = box->icon();
            title = box->windowTitle();
            buttons = int(box->buttons().size());
            box->button(QMessageBox::Ok)->click();
        });
        installMessageBoxes();
        // The box waits for nothing: the warning's sequence goes on once it is closed.
        bool closed = false;
        ErrorReport::showWarning(QStringLiteral("Varning text"), [&closed] { closed = true; });
        QVERIFY(!closed);
        QTRY_VERIFY(closed);
        ErrorReport::setSink({});
        QCOMPARE(icon, QMessageBox::Warning);
        QCOMPARE(title, u"Varning");
        QCOMPARE(buttons, 1);
    }
};

QTEST_MAIN(TestErrorReport)
#include "tst_errorreport.moc"
