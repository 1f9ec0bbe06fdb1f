#include "DatabaseLink.h"

#include "ErrorLog.h"
#include "TicketStatements.h"
#include "db/DataSourceRepair.h"
#include "db/SqlWork.h"
#include "pos/ErrorReport.h"
#include "pos/IniFile.h"
#include "pos/InstallDir.h"
#include "pos/Scramble.h"

#include <QCoreApplication>
#include <QDir>

#include <utility>

DatabaseLink::DatabaseLink(QTimer &updateTimer, QObject *parent)
    : QObject(parent)
    , m_updateTimer(updateTimer)
{
    ti_InitieraDB.setInterval(1000);
    ti_InitieraDB.setSingleShot(false);
    ti_SQLForsok.setInterval(1000);
    m_retryWait.setSingleShot(true);
    connect(&ti_InitieraDB, &QTimer::timeout, this, &DatabaseLink::ti_InitieraDBTimer);
    connect(&ti_SQLForsok, &QTimer::timeout, this, &DatabaseLink::ti_SQLForsokTimer);
    connect(&m_retryWait, &QTimer::timeout, this, &DatabaseLink::attempt);
    hooks.endApplication = [] {
        QCoreApplication::exit(0);
    };
}

QString DatabaseLink::missingSettingsText()
{
    return QStringLiteral("Kunde inte hitta databas inställningar, vänligen se till så att Salvio "
                          "klient är installerad med kontakt till DB server");
}

QString DatabaseLink::connectionFailureText()
{
    const QStringList lines = {
        QStringLiteral("Kunde inte ansluta till databasen - SQL Server!"),
        QStringLiteral("Felet kan bero på följande:"),
        QStringLiteral("Kör du flera kassor i ett nätverk?, och Salvio fungerar på huvuddatorn?"),
        QStringLiteral("- Huvudkassan har ändrat datornamn eller ip adress"),
        QStringLiteral("- Är Windows eller annan brandvägg igång och spärrar port 1433, 1434?"),
        QStringLiteral("- Kontrollera så att nätverksförbindelsen är ok"),
        QString(),
        QStringLiteral("Ingen av datorerna, varken huvudkassan eller klienterna kan starta Salvio"),
        QStringLiteral("- Är SQL server tjänsten stoppad?"),
        QStringLiteral("- SQL Server är avinstallerad"),
        QStringLiteral("- Kontrollera så att inte datorns namn eller ip adress har ändrats"),
        QString(),
        QStringLiteral("Kontakta support!"),
    };
    return lines.join(u'\r');
}

QString DatabaseLink::settingsFile()
{
    const QString dir = InstallDir();
    const QDir folder(dir.isEmpty() ? QStringLiteral(".") : dir);
    const QString exact = folder.filePath(QStringLiteral("krumel.ini"));
    if (QFileInfo(exact).isFile())
        return exact;
    const QStringList found = folder.entryList({QStringLiteral("krumel.ini")}, QDir::Files);
    return found.isEmpty() ? QString() : folder.filePath(found.first());
}

void DatabaseLink::status(const QString &text)
{
    if (hooks.setStatus)
        hooks.setStatus(text);
}

void DatabaseLink::end()
{
    m_state = State::Ending;
    m_updateTimer.stop();
    if (hooks.endApplication)
        hooks.endApplication();
}

void DatabaseLink::send(const QStringList &lines, bool returnsRows, TDatabase::Done done)
{
    const QString sql = m_db.sqlText(lines);
    m_db.noteStatement(sql);
    m_db.submit(
        [sql, returnsRows, timeout = m_db.driverTimeoutSeconds()](DatabaseThread &t) {
            if (!t.database().isOpen())
                throw TavlixError(QStringLiteral("Ingen kontakt med databasen"));
            if (returnsRows)
                SqlWork::select(t, sql, timeout);
            else
                SqlWork::execute(t, sql, timeout);
        },
        this, std::move(done));
}

void DatabaseLink::ti_InitieraDBTimer()
{
    ti_InitieraDB.stop();
    ConnectAtStart();
}

void DatabaseLink::ConnectAtStart()
{
    connectSequence(true, {});
}

void DatabaseLink::Reconnect(Then then)
{
    connectSequence(false, std::move(then));
}

void DatabaseLink::connectSequence(bool atStart, Then then)
{
    if (connecting() || isEnding()) {
        // One sequence at a time; the one under way rebuilds the board when it succeeds.
        if (then)
            then();
        return;
    }
    m_updateTimer.stop();
    m_atStart = atStart;
    m_then = std::move(then);
    if (!atStart)
        status(QStringLiteral("Ansluter till databas"));

    const QString settings = settingsFile();
    if (settings.isEmpty()) {
        m_state = State::Ending;
        ErrorReport::showWarning(missingSettingsText(), [this] { end(); });
        return;
    }

    QString password;
    QString alias;
    QString user;
    try {
        const QString section = QStringLiteral("DATABAS");
        alias = IniFile::readString(settings, section, QStringLiteral("ALIAS"), {});
        const QString losen = IniFile::readString(settings, section, QStringLiteral("LOSEN"), {});
        user =
            IniFile::readString(settings, section, QStringLiteral("ANVNAMN"), QStringLiteral("SA"));
        password = losen.isEmpty()
            ? QString()
            : Scramble(QStringLiteral("D"), losen, QStringLiteral("VarkoAB"));
    } catch (const TavlixError &e) {
        return stopSequence(e.message());
    }
    m_db.close();
    m_db.setParams(user, password);
    m_db.setAliasName(alias);
    m_dataSourceName = alias;
    ConnectWithRetry();
}

void DatabaseLink::ConnectWithRetry()
{
    m_state = State::Connecting;
    m_attempt = 0;
    attempt();
}

void DatabaseLink::attempt()
{
    m_state = State::Connecting;
    ++m_attempt;
    m_db.openAsync(this, [this](std::exception_ptr error) { attemptDone(error); });
}

void DatabaseLink::attemptDone(std::exception_ptr error)
{
    if (!error)
        return connected(true);
    QString message;
    try {
        std::rethrow_exception(error);
    } catch (const TavlixError &e) {
        message = e.message();
    } catch (const std::exception &e) {
        message = QString::fromLocal8Bit(e.what());
    }
    try {
        switch (m_attempt) {
        case 1:
            // The repair names the login SA; a board that logs in as another user keeps its
            // data source as it is.
            if (m_db.userName().compare(QStringLiteral("SA"), Qt::CaseInsensitive) == 0) {
                try {
                    repairDataSource(m_dataSourceName);
                } catch (const DataSourceNotSaved &e) {
                    // A definition the board's user may not write must not end its database work.
                    LogError(e.message());
                }
            }
            return attempt();
        case 2:
            LogError(message);
            status(QStringLiteral("Ej kontakt med databasen"));
            return retryAfter(10);
        case 3:
            status(QStringLiteral("Försöker igen om 30 sekunder"));
            m_countdown = 30;
            ti_SQLForsok.setInterval(secondMs);
            ti_SQLForsok.start();
            m_state = State::RetryWait; // the countdown's last tick makes the fourth attempt
            return;
        default:
            ti_SQLForsok.stop();
            return connected(false);
        }
    } catch (const TavlixError &e) {
        stopSequence(e.message());
    }
}

void DatabaseLink::retryAfter(int seconds)
{
    m_state = State::RetryWait;
    m_retryWait.start(seconds * secondMs);
}

void DatabaseLink::ti_SQLForsokTimer()
{
    status(QStringLiteral("Ansluter igen om %1 sek").arg(m_countdown));
    --m_countdown;
    if (m_countdown > 0)
        return;
    ti_SQLForsok.stop();
    // The thirty seconds are over.
    if (m_state == State::RetryWait && m_attempt == 3)
        attempt();
}

void DatabaseLink::stopSequence(const QString &error)
{
    // A settings file, data source or log the board cannot use: no more database work until the
    // board is started again, and no box stands in the way of the kitchen meanwhile.
    ti_SQLForsok.stop();
    m_retryWait.stop();
    m_state = State::Idle;
    ErrorReport::showError(error);
    emit sequenceEnded(false);
    if (const Then then = std::exchange(m_then, {}))
        then();
}

void DatabaseLink::connected(bool ok)
{
    const Then then = std::exchange(m_then, {});
    if (!ok) {
        m_state = State::Ending;
        emit sequenceEnded(false);
        ErrorReport::showWarning(connectionFailureText(), [this] { end(); });
        if (then)
            then();
        return;
    }
    m_state = State::Connected;
    status(QStringLiteral("Databas kontakt OK"));
    m_updateTimer.start();
    emit sequenceEnded(true);
    if (m_atStart) {
        UpgradeTicketTable([this, then] {
            if (hooks.loadBongs)
                hooks.loadBongs(then);
            else if (then)
                then();
        });
    } else if (hooks.reloadBongs) {
        hooks.reloadBongs(then);
    } else if (then) {
        then();
    }
}

void DatabaseLink::CheckConnection(std::function<void(bool)> then)
{
    send(TicketStatements::healthCheck(), true, [this, then](std::exception_ptr error) {
        if (!error)
            return then(true);
        Reconnect([this, then] {
            // The refresh cycle starts the timer again at its end.
            m_updateTimer.stop();
            then(m_state == State::Connected);
        });
    });
}

void DatabaseLink::UpgradeTicketTable(Then then)
{
    send(TicketStatements::probeBongChanged(), true, [this, then](std::exception_ptr missing) {
        if (!missing) {
            if (then)
                then();
            return;
        }
        // Taken as the column being missing.
        send(TicketStatements::addBongChanged(), false, [then](std::exception_ptr error) {
            if (error) {
                // A login with only the rights the board needs may not alter the table. The board
                // never reads the column: it says why in the log and loads its tickets.
                try {
                    try {
                        std::rethrow_exception(error);
                    } catch (const TavlixError &e) {
                        LogError(QStringLiteral("Kolumnen BongChanged kunde inte läggas till i "
                                                "Tavlix: ")
                                 + e.message());
                    }
                } catch (const TavlixError &) {
                    // A log that cannot be written must not keep the tickets away.
                }
            }
            if (then)
                then();
        });
    });
}
