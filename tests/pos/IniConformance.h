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

// A file in UTF-16LE with its byte-order mark.
inline QByteArray utf16(const char *utf8)
{
    QByteArray bytes("\xFF\xFE", 2);
    for (const QChar c : QString::fromUtf8(utf8)) {
        bytes.append(char(c.unicode() & 0xFF));
        bytes.append(char(c.unicode() >> 8));
    }
    return bytes;
}

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

// Adds a row unless it names another section than the one wanted.
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

// Adds the columns and the rows; with onlySection set, only the rows whose section is given exactly
// so (the shared settings always name "SALVIO").
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

    // Names the caller gives lose leading and trailing spaces, but no other blanks, on lookup
    // and on write (conformance tests on Windows: a name passed with spaces finds the entry and
    // is written without them; one with a tab finds nothing). The value is written as given.
    const QByteArray x1 = "[SALVIO]\r\nTAVLIX_X=1\r\n";
    rows.read("spaced key name", x1, s, "  TAVLIX_X  ", "d", "1");
    rows.read("spaced section name", x1, "  SALVIO ", "TAVLIX_X", "d", "1");
    rows.read("a tab is not trimmed from a name", x1, s, "\tTAVLIX_X", "d", "d");
    rows.write("spaced key replaces, adds nothing", x1, s, " TAVLIX_X  ", "2",
               "[SALVIO]\r\nTAVLIX_X=2\r\n");
    rows.write("spaced names written without spaces", {}, "  SALVIO ", " TAVLIX_Y ", " 7 ",
               "[SALVIO]\r\nTAVLIX_Y= 7 \r\n");

    // A line whose first non-blank character is ';' is a comment, also after blanks; a key passed
    // with a leading ';' is written as a comment line and never read back (conformance tests).
    rows.read("a ;-line is no key", "[SALVIO]\r\n;TAVLIX_X=1\r\n", s, ";TAVLIX_X", "d", "d");
    rows.read("a ;-line after blanks is no key", "[SALVIO]\r\n \t;TAVLIX_X=1\r\n", s, ";TAVLIX_X",
              "d", "d");
    rows.write("a ;-key never replaces a comment", "[SALVIO]\r\nTAVLIX_X=1\r\n;TAVLIX_Y=1\r\n", s,
               ";TAVLIX_Y", "2", "[SALVIO]\r\nTAVLIX_X=1\r\n;TAVLIX_Y=2\r\n;TAVLIX_Y=1\r\n");

    // A header without its closing bracket opens the section named by the rest of the line,
    // trimmed (conformance tests).
    rows.read("header without ]", "[SALVIO   \r\nTAVLIX_X=7\r\n", s, "TAVLIX_X", "d", "7");
    rows.write("header without ]: replaced in place", "[SALVIO\r\nTAVLIX_X=1\r\n", s, "TAVLIX_X",
               "2", "[SALVIO\r\nTAVLIX_X=2\r\n");

    // Every line the functions write ends in CR LF, also a replaced last line that had no line
    // end (conformance tests).
    rows.write("replaced on a last line without line end", "[SALVIO]\r\nTAVLIX_X=1", s, "TAVLIX_X",
               "2", "[SALVIO]\r\nTAVLIX_X=2\r\n");

    // A new key follows the section's last entry; comments and blank lines that close the
    // section stay after it (conformance tests: new keys follow the existing ones).
    rows.write("new key before the comments closing its section",
               "[SALVIO]\r\nTAVLIX_X=1\r\n; note\r\nNR=2\r\n; window\r\n\r\n[Kassa]\r\nNr=1\r\n", s,
               "TAVLIX_Y", "5",
               "[SALVIO]\r\nTAVLIX_X=1\r\n; note\r\nNR=2\r\nTAVLIX_Y=5\r\n; window\r\n\r\n"
               "[Kassa]\r\nNr=1\r\n");
    rows.write("new key in a section of comments only", "[SALVIO]\r\n; set by the board\r\n", s,
               "TAVLIX_X", "1", "[SALVIO]\r\nTAVLIX_X=1\r\n; set by the board\r\n");

    // The default loses its trailing blanks (documented for GetPrivateProfileString; the
    // conformance tests pass "default  " and get "default"). Leading ones stay.
    rows.read("default loses trailing blanks", "[SALVIO]\r\n", s, "TAVLIX_X", "one two  ",
              "one two");
    rows.read("default of a missing file", {}, s, "TAVLIX_X", "  -1  ", "  -1");

    // A file that begins with the UTF-16LE byte-order mark is Unicode: read as such and written
    // back in UTF-16LE with its mark and CR LF line ends (documented: the functions write Unicode
    // to a file created in Unicode; conformance tests, also for a file of the mark alone, which
    // gets a blank first line).
    rows.read("UTF-16LE read", utf16("[SALVIO]\r\nNAMN=K\u00f6k \u03a9\r\n"), s, "NAMN", "d",
              "K\u00f6k \u03a9");
    rows.write("UTF-16LE replaced in place", utf16("[SALVIO]\r\nTAVLIX_X=1\r\nNAMN=\u03a9\r\n"), s,
               "TAVLIX_X", "2", utf16("[SALVIO]\r\nTAVLIX_X=2\r\nNAMN=\u03a9\r\n"));
    rows.write("UTF-16LE key added", utf16("[SALVIO]\nTAVLIX_X=1\n"), s, "NAMN", "K\u00f6k \u03a9",
               utf16("[SALVIO]\nTAVLIX_X=1\nNAMN=K\u00f6k \u03a9\r\n"));
    rows.write("UTF-16LE file of the mark alone", utf16(""), s, "TAVLIX_X", "1",
               utf16("\r\n[SALVIO]\r\nTAVLIX_X=1\r\n"));
}

} // namespace IniConformance
