#include "DatabaseLink.h"

#include "ErrorLog.h"
#include "TicketStatements.h"
#include "db/DataSourceRepair.h"
#include "pos/ErrorReport.h"
#include "pos/IniFile.h"
#include "pos/InstallDir.h"
#include "pos/Scramble.h"

#include <QCoreApplication>
#include <QDir>

#include <optional>

DatabaseLink::DatabaseLink(QTimer &updateTimer, QObject *parent)
    : QObject(parent)
    , qu_Slask(m_db)
    , qu_Update(m_db)
    , qu_Slask2(m_db)
    , m_updateTimer(updateTimer)
{
    ti_InitieraDB.setInterval(1000);
    ti_InitieraDB.setSingleShot(false);
    ti_SQLForsok.setInterval(1000);
    connect(&ti_InitieraDB, &QTimer::timeout, this, &DatabaseLink::ti_InitieraDBTimer);
    connect(&ti_SQLForsok, &QTimer::timeout, this, &DatabaseLink::ti_SQLForsokTimer);
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
    m_ending = true;
    if (hooks.endApplication)
        hooks.endApplication();
}

void DatabaseLink::ti_InitieraDBTimer()
{
    ti_InitieraDB.stop();
    ErrorReport::guarded([this] { ConnectAtStart(); });
}

void DatabaseLink::ConnectAtStart()
{
    connectSequence(true);
}

void DatabaseLink::Reconnect()
{
    connectSequence(false);
}

void DatabaseLink::connectSequence(bool atStart)
{
    m_updateTimer.stop();
    if (!atStart)
        status(QStringLiteral("Ansluter till databas"));

    const QString settings = settingsFile();
    if (settings.isEmpty()) {
        ErrorReport::showWarning(missingSettingsText());
        end();
        return;
    }

    m_db.close();
    const QString section = QStringLiteral("DATABAS");
    const QString alias = IniFile::readString(settings, section, QStringLiteral("ALIAS"), {});
    const QString losen = IniFile::readString(settings, section, QStringLiteral("LOSEN"), {});
    const QString user =
        IniFile::readString(settings, section, QStringLiteral("ANVNAMN"), QStringLiteral("SA"));
    const QString password = losen.isEmpty()
        ? QString()
        : Scramble(QStringLiteral("D"), losen, QStringLiteral("VarkoAB"));

    m_db.setParams(user, password);
    m_db.setAliasName(alias);
    m_dataSourceName = alias;

    if (ConnectWithRetry()) {
        status(QStringLiteral("Databas kontakt OK"));
        m_updateTimer.start();
        if (atStart) {
            UpgradeTicketTable();
            if (hooks.loadBongs)
                hooks.loadBongs();
        } else if (hooks.reloadBongs) {
            hooks.reloadBongs();
        }
        return;
    }
    ti_SQLForsok.stop();
    ErrorReport::showWarning(connectionFailureText());
    end();
}

bool DatabaseLink::ConnectWithRetry()
{
    const auto attempt = [this]() -> std::optional<QString> {
        try {
            m_db.open();
            return std::nullopt;
        } catch (const TavlixError &e) {
            return e.message();
        }
    };

    if (!attempt())
        return true;
    try {
        repairDataSource(m_dataSourceName);
    } catch (const DataSourceNotSaved &e) {
        // A definition the board's user may not write must not end its database work for good.
        LogError(e.message());
    }
    const std::optional<QString> second = attempt();
    if (!second)
        return true;

    LogError(*second);
    status(QStringLiteral("Ej kontakt med databasen"));
    hooks.wait.handleEvents(0);
    WaitResponsive(10 * secondMs, hooks.wait);
    if (!attempt())
        return true;

    status(QStringLiteral("Försöker igen om 30 sekunder"));
    m_countdown = 30;
    ti_SQLForsok.setInterval(secondMs);
    ti_SQLForsok.start();
    hooks.wait.handleEvents(0);
    WaitResponsive(30 * secondMs, hooks.wait);
    const bool connected = !attempt();
    ti_SQLForsok.stop();
    return connected;
}

void DatabaseLink::ti_SQLForsokTimer()
{
    status(QStringLiteral("Ansluter igen om %1 sek").arg(m_countdown));
    --m_countdown;
    if (m_countdown <= 0)
        ti_SQLForsok.stop();
}

void DatabaseLink::CheckConnection()
{
    try {
        qu_Slask.close();
        qu_Slask.clearSql();
        qu_Slask.setLines(TicketStatements::healthCheck());
        qu_Slask.open();
        qu_Slask.close();
    } catch (const TavlixError &) {
        Reconnect();
        m_updateTimer.stop();
    }
}

void DatabaseLink::UpgradeTicketTable()
{
    try {
        qu_Slask.close();
        qu_Slask.clearSql();
        qu_Slask.setLines(TicketStatements::probeBongChanged());
        qu_Slask.open();
        qu_Slask.close();
    } catch (const TavlixError &) {
        // Taken as the column being missing.
        qu_Slask.close();
        qu_Slask.clearSql();
        qu_Slask.setLines(TicketStatements::addBongChanged());
        qu_Slask.execSql();
    }
}
