#pragma once

#include "BmpWriter.h"
#include "FileHelpers.h"
#include "KrumelFile.h"
#include "OdbcFixture.h"
#include "PosDatabase.h"
#include "board/CardArea.h"
#include "board/Mainform.h"
#include "board/PageColumn.h"
#include "controls/Panel.h"
#include "controls/XiButton.h"
#include "db/Database.h"
#include "db/Query.h"
#include "pos/ErrorReport.h"
#include "pos/InstallDir.h"
#include "pos/Scramble.h"
#include "settings/Installningar.h"

#include <QApplication>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

// Waits until the board has nothing under way with the database: every answer taken over.
inline bool settle(TF_Mainform &b, int timeoutMs = 30000)
{
    const bool idle = QTest::qWaitFor([&b] { return b.idle(); }, timeoutMs);
    if (!idle)
        qWarning("the board is still waiting for the database");
    return idle;
}

// The age of an open card, with the board's clock stopped so that it stays.
inline void setAge(TF_Mainform &b, size_t position, int seconds)
{
    b.model().clock().stop();
    b.model().setAge(b.MainList[position]->Number, seconds);
}

// The settings window, opened by its button once the device names have come.
inline TF_Installningar *openSettings(TF_Mainform &b)
{
    QTest::mouseClick(b.bu_Installningar, Qt::LeftButton, {}, QPoint(20, 17));
    TF_Installningar *w = nullptr;
    QTest::qWaitFor([&w] {
        w = qobject_cast<TF_Installningar *>(QApplication::activeModalWidget());
        return w != nullptr;
    });
    return w;
}

// One refresh cycle, to its end.
inline void cycle(TF_Mainform &b)
{
    b.ti_UpdateBongsTimer();
    settle(b);
}

// The cook selects a tab, and its cards stand.
inline void showTab(TF_Mainform &b, int index)
{
    b.PageControl1->setCurrentIndex(index);
    settle(b);
}

// A board in an installation folder of its own, on a fresh SQLite data source (or on the data
// source given, as the user given) that the test fills the way the point-of-sale system does.
struct BoardFixture
{
    OdbcFixture &odbc = OdbcFixture::instance();
    // The driver does not create a missing file, so OdbcFixture::setAway takes the database away.
    const QString dsn = odbc.addDataSource(odbc.uniqueName(QStringLiteral("Board")));
    QTemporaryDir install;
    TDatabase posDb;
    std::unique_ptr<PosDatabase> pos;
    int kitchen = 0;
    std::unique_ptr<TF_Mainform> board;
    QStringList reports;

    explicit BoardFixture(const QByteArray &spisko = {})
    {
        writeBytes(odbc.databaseFile(dsn), {}); // an empty file is an empty database
        setUp(spisko, {}, {});
    }

    // The fixture fills the tables as user; the board logs in as boardUser when one is given.
    BoardFixture(const QString &dataSource, const QString &user, const QString &password,
                 const QByteArray &spisko = {}, const QString &boardUser = {},
                 const QString &boardPassword = {})
        : dsn(dataSource)
    {
        setUp(spisko, user, password, boardUser, boardPassword);
    }

    void setUp(const QByteArray &spisko, const QString &user, const QString &password,
               const QString &boardUser = {}, const QString &boardPassword = {})
    {
        setInstallDirOverride(install.path());
        writeBytes(install.filePath(QStringLiteral("krumel.ini")),
                   boardUser.isEmpty() ? krumelBytes(dsn, user, password)
                                       : krumelBytes(dsn, boardUser, boardPassword));
        if (!spisko.isEmpty())
            writeBytes(install.filePath(QStringLiteral("SPISKO.INI")), spisko);
        posDb.setAliasName(dsn);
        posDb.setParams(user, password);
        posDb.open();
        pos = std::make_unique<PosDatabase>(posDb);
        pos->createSchema();
        kitchen = pos->deviceNumber(QStringLiteral("Kök"));
        ErrorReport::setSink([this](ErrorReport::Kind, const QString &title, const QString &text) {
            reports.append(title + u'|' + text);
        });
    }

    ~BoardFixture()
    {
        board.reset();
        ErrorReport::setSink({});
        setInstallDirOverride({});
    }

    // The board shown at the given size, connected, its first build done; no timer of its own
    // runs the start-up.
    TF_Mainform &start(QSize size = QSize(1200, 800), const QStringList &arguments = {})
    {
        board = std::make_unique<TF_Mainform>(arguments);
        board->link.ti_InitieraDB.stop();
        board->resize(size);
        board->show();
        if (!QTest::qWaitForWindowExposed(board.get()))
            qWarning("board not exposed");
        board->link.ConnectAtStart();
        settle(*board);
        return *board;
    }

    // A 1-bit ticket picture, 576 wide and the given height.
    static QByteArray picture(int height, int depth = 1)
    {
        QImage image(576, height, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        p.fillRect(20, 10, 536, 12, Qt::black);
        return bmpBytes(image, depth);
    }

    int add(int height = 300, int status = 0, std::optional<int> sekunder = std::nullopt,
            int ageSeconds = 0)
    {
        return pos->insertTicket(kitchen, status, sekunder,
                                 QDateTime::currentDateTime().addSecs(-ageSeconds),
                                 picture(height));
    }

    int addBytes(const QByteArray &bong)
    {
        return pos->insertTicket(kitchen, 0, std::nullopt, QDateTime::currentDateTime(), bong);
    }

    // The lines of the board's recent statements.
    QStringList statementsLogged() const
    {
        return board->link.database()
            .recentStatements()
            .join(u'\n')
            .split(QStringLiteral("\r\n"))
            .join(u'\n')
            .split(u'\n');
    }

    QList<QPoint> places(const CardList &list) const
    {
        QList<QPoint> out;
        for (const auto &r : list)
            out.append(r->Panel->pos());
        return out;
    }

    QList<QString> ids(const CardList &list) const
    {
        QList<QString> out;
        for (const auto &r : list)
            out.append(r->Id);
        return out;
    }
};
