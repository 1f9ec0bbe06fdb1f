#include "FileHelpers.h"
#include "board/ErrorLog.h"
#include "pos/FileMode.h"
#include "pos/InstallDir.h"
#include "pos/TavlixError.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

class TestErrorLog : public QObject
{
    Q_OBJECT

private slots:
    void entryFormat_data()
    {
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<QString>("entry");
        QTest::newRow("colon") << QChar(u':') << "2026-01-05 07:04 Fel: Login failed";
        QTest::newRow("dot separator, date keeps hyphens")
            << QChar(u'.') << "2026-01-05 07.04 Fel: Login failed";
    }

    void entryFormat()
    {
        QFETCH(QChar, separator);
        QFETCH(QString, entry);
        const QDateTime when(QDate(2026, 1, 5), QTime(7, 4, 59));
        QCOMPARE(logEntry(when, separator, QStringLiteral("Login failed")), entry);
    }

    void appendsEntries()
    {
        QTemporaryDir dir;
        setInstallDirOverride(dir.path());
        const QString log = dir.filePath(QStringLiteral("tavlix.log"));

        LogError(QStringLiteral("första"));
        const QByteArray first = readBytes(log);
        const QRegularExpression line(
            QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d\\D\\d\\d Fel: f\\x{f6}rsta\\r\\n$"));
        QVERIFY2(line.match(QString::fromLatin1(first)).hasMatch(), first.constData());

        LogError(QStringLiteral("rad ett\r\nrad två"));
        const QByteArray both = readBytes(log);
        QVERIFY(both.startsWith(first));
        QVERIFY(both.endsWith(" Fel: rad ett\r\nrad tv\xe5\r\n"));
        QCOMPARE(both.count("\r\n"), 3);
        setInstallDirOverride({});
    }

    // The log names the server and the login: for the board's user and group alone, whatever
    // the umask it was started with, and a log an older board left readable is narrowed.
    void logIsForTheBoardsGroupAlone_data()
    {
        QTest::addColumn<bool>("oldReadableLog");
        QTest::newRow("new") << false;
        QTest::newRow("left readable by an older board") << true;
    }

    void logIsForTheBoardsGroupAlone()
    {
        QFETCH(bool, oldReadableLog);
        QTemporaryDir dir;
        setInstallDirOverride(dir.path());
        const QString log = dir.filePath(QStringLiteral("tavlix.log"));
        const mode_t before = ::umask(022);
        if (oldReadableLog)
            writeBytes(log, "2025-01-01 10:00 Fel: gammal\r\n");
        useBoardFileMode();
        LogError(QStringLiteral("ny"));
        ::umask(before);
        setInstallDirOverride({});
        QCOMPARE(QFile::permissions(log), boardFilePermissions);
        QCOMPARE(readBytes(log).count("\r\n"), oldReadableLog ? 2 : 1);
    }

    void unwritableLogRaises()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("tavlix.log"))); // a directory in its place
        setInstallDirOverride(dir.path());
        QVERIFY_THROWS_EXCEPTION(TavlixError, LogError(QStringLiteral("x")));
        setInstallDirOverride({});
    }
};

QTEST_GUILESS_MAIN(TestErrorLog)
#include "tst_errorlog.moc"
