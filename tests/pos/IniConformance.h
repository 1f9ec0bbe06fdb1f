#pragma once

#include <QByteArray>
#include <QString>
#include <QTest>

// How the Windows profile functions (GetPrivateProfileString, WritePrivateProfileString), with
// which the point-of-sale programs keep "SETTINGS.INI" and "krumel.ini", read and edit a file, as
// one QtTest table. A row holds the file's bytes (empty: no file), one call and what it gives: the
// result of a read, or the file's bytes after a write. The comment above each row says where the
// behaviour is known from.
namespace IniConformance {

// The columns: "file", "write" (false: read), "section", "key", "text" (a read's default or a
// write's value), "result" (what a read gives) and "after" (the file after a write).
inline void addColumns()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("write");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QByteArray>("after");
}

// Adds the rows; with onlySection set, only those whose section is given exactly so.
class Rows
{
public:
    explicit Rows(const QString &onlySection)
        : m_onlySection(onlySection)
    {
    }

    void read(const char *name, const QByteArray &file, const char *section, const char *key,
              const char *def, const char *result) const
    {
        if (wanted(section))
            QTest::newRow(name) << file << false << text(section) << text(key) << text(def)
                                << text(result) << QByteArray();
    }

    void write(const char *name, const QByteArray &file, const char *section, const char *key,
               const char *value, const QByteArray &after) const
    {
        if (wanted(section))
            QTest::newRow(name) << file << true << text(section) << text(key) << text(value)
                                << QString() << after;
    }

private:
    static QString text(const char *utf8) { return QString::fromUtf8(utf8); }

    bool wanted(const char *section) const
    {
        return m_onlySection.isEmpty() || text(section) == m_onlySection;
    }

    QString m_onlySection;
};

inline void addRows(const QString &onlySection = {})
{
    addColumns();
    const Rows rows(onlySection);
    const char *s = "SALVIO";

    // Conformance tests on Windows read a file whose lines end in a lone CR exactly as one with
    // CR LF ends.
    rows.read("lone CR ends a line", "[SALVIO]\rTAVLIX_X=1\rTAVLIX_Y=2\r", s, "TAVLIX_Y", "d", "2");
    rows.write("lone CR: replaced in place", "[SALVIO]\rTAVLIX_X=1\rTAVLIX_Y=2\r", s, "TAVLIX_X",
               "5", "[SALVIO]\rTAVLIX_X=5\rTAVLIX_Y=2\r");
    // The added line ends as the file's lines do (the unit's own rule for every line it adds).
    rows.write("lone CR: key added", "[SALVIO]\rTAVLIX_X=1\r", s, "TAVLIX_Y", "5",
               "[SALVIO]\rTAVLIX_X=1\rTAVLIX_Y=5\r");
}

} // namespace IniConformance
