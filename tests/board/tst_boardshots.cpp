// Renders the board with a dozen tickets of mixed ages and heights, in both orders, to PNG files
// under the build directory (boardshots/), so that a person can look at them; once more with a
// very long first ticket, whose card must keep its footer in view.
#include "BoardFixture.h"
#include "TicketRenderer.h"
#include "board/CardFrame.h"
#include "board/NewTicketHighlight.h"
#include "board/ServiceSummary.h"

#include <QDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestBoardShots : public QObject
{
    Q_OBJECT

private slots:
    void orders_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("extraLines"); // added to the first ticket
        const QByteArray horizontal("[SKARM]\r\nHORIZONTAL=J\r\n");
        QTest::newRow("vertical") << QByteArray() << QStringLiteral("board-vertical.png") << 0;
        QTest::newRow("horizontal") << horizontal << QStringLiteral("board-horizontal.png") << 0;
        QTest::newRow("vertical, tall")
            << QByteArray() << QStringLiteral("board-vertical-tall.png") << 120;
        QTest::newRow("horizontal, tall")
            << horizontal << QStringLiteral("board-horizontal-tall.png") << 120;
    }

    void orders()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QString, file);
        QFETCH(int, extraLines);
        BoardFixture f(settings);
        QRandomGenerator random(11);
        const int ages[] = {20, 290, 700, 1300, 60, 510, 1100, 5, 400, 950, 2000, 130};
        for (int i = 0; i < 12; ++i) {
            const int id = f.pos->nextId();
            KitchenTicket kitchenTicket = randomTicket(id, QStringLiteral("Kök"), random);
            for (int line = 0; i == 0 && line < extraLines; ++line)
                kitchenTicket.lines.append(QStringLiteral("%1 x Pannkakor").arg(line + 1));
            const QImage ticket = renderTicket(kitchenTicket);
            f.pos->insertTicket(f.kitchen, 0, std::nullopt,
                                QDateTime::currentDateTime().addSecs(-ages[i]),
                                bmpBytes(ticket, i % 2 ? 24 : 1), id);
        }
        TF_Mainform &b = f.start(QSize(1920, 1080));
        b.model().tick(); // the first tick shows the clocks
        QCOMPARE(b.MainList.size(), size_t(12));
        const QString dir = QStringLiteral(QT_TESTCASE_BUILDDIR "/boardshots");
        QDir().mkpath(dir);
        QTest::qWait(400); // let the smooth passes run
        QVERIFY(b.grab().save(dir + u'/' + file));
    }

    // A ticket whose picture arrived cut short, between two that came whole.
    void placeholderCard()
    {
        BoardFixture f;
        QRandomGenerator random(7);
        for (int i = 0; i < 3; ++i) {
            const int id = f.pos->nextId();
            const QByteArray bytes =
                bmpBytes(renderTicket(randomTicket(id, QStringLiteral("Kök"), random)), 1);
            f.pos->insertTicket(f.kitchen, 0, std::nullopt,
                                QDateTime::currentDateTime().addSecs(-(120 + 200 * i)),
                                i == 1 ? bytes.left(4096) : bytes, id);
        }
        TF_Mainform &b = f.start(QSize(1200, 800));
        b.model().tick();
        QCOMPARE(b.MainList.size(), size_t(3));
        const QString dir = QStringLiteral(QT_TESTCASE_BUILDDIR "/boardshots");
        QDir().mkpath(dir);
        QTest::qWait(400); // let the smooth passes run
        QVERIFY(b.grab(QRect(0, 0, 480, 800)).save(dir + u"/board-placeholder.png"_s));
    }

    // A card selected from the keyboard, two tickets that the last refresh added, and the
    // summary in the top bar.
    void keysAndNewTickets()
    {
        BoardFixture f;
        QRandomGenerator random(5);
        const auto insert = [&](int age) {
            const int id = f.pos->nextId();
            const QImage ticket = renderTicket(randomTicket(id, QStringLiteral("Kök"), random));
            f.pos->insertTicket(f.kitchen, 0, std::nullopt,
                                QDateTime::currentDateTime().addSecs(-age), bmpBytes(ticket, 1),
                                id);
        };
        for (int age : {1250, 900, 610, 420, 300, 200, 95, 40})
            insert(age);
        TF_Mainform &b = f.start(QSize(1920, 1080));
        insert(5);
        insert(2);
        cycle(b);
        QCOMPARE(b.MainList.size(), size_t(10));
        b.model().tick();
        QTest::keyClick(&b, Qt::Key_4);
        CardFrame *pulse = b.findChild<NewTicketHighlight *>()->frameOf(b.MainList[8]->Number);
        QVERIFY(pulse);
        QTRY_COMPARE(b.findChild<ServiceSummary *>()->countText(), u"Pågående: 10"_s);
        QTRY_VERIFY(pulse->strength() > 230); // the pulse at its brightest
        const QString dir = QStringLiteral(QT_TESTCASE_BUILDDIR "/boardshots");
        QDir().mkpath(dir);
        const QPixmap shot = b.grab();
        QVERIFY(shot.save(dir + u"/board-keys.png"_s));
        // The size the README shows.
        QVERIFY(shot.scaledToWidth(960, Qt::SmoothTransformation)
                    .save(dir + u"/board-keys-small.png"_s));
    }
};

QTEST_MAIN(TestBoardShots)
#include "tst_boardshots.moc"
