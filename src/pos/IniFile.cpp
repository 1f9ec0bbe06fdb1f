#include "IniFile.h"

#include "Cp1252.h"
#include "FileRewrite.h"
#include "TavlixError.h"

#include <QFile>
#include <QSaveFile>

#include <optional>
#include <vector>

namespace {

// One line of the file, with its line ending kept apart so it can be written back as is.
struct Line
{
    QString text;
    QString ending;
};

// The file's text: Windows-1252, or UTF-16LE when the file begins with that byte-order mark.
// Windows-1252 decodes every byte to its own character, so unchanged lines are written back
// byte for byte.
struct Document
{
    bool utf16 = false;
    std::vector<Line> lines;
};

const QByteArray utf16Mark("\xFF\xFE", 2);

// A line ends with CR LF, LF or a lone CR.
std::vector<Line> splitLines(const QString &text)
{
    std::vector<Line> lines;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && text.at(end) != u'\r' && text.at(end) != u'\n')
            ++end;
        qsizetype next = end;
        if (next < text.size() && text.at(next) == u'\r')
            ++next;
        if (next < text.size() && text.at(next) == u'\n')
            ++next;
        lines.push_back({text.mid(start, end - start), text.mid(end, next - end)});
        start = next;
    }
    return lines;
}

Document parse(const QByteArray &bytes)
{
    Document doc;
    doc.utf16 = bytes.startsWith(utf16Mark);
    QString text;
    if (doc.utf16) {
        text.reserve(bytes.size() / 2);
        for (qsizetype i = 2; i + 1 < bytes.size(); i += 2)
            text.append(QChar(char16_t(uchar(bytes.at(i)) | uchar(bytes.at(i + 1)) << 8)));
    } else {
        text = Cp1252::decode(bytes);
    }
    doc.lines = splitLines(text);
    return doc;
}

QByteArray serialize(const Document &doc)
{
    QString text;
    for (const Line &line : doc.lines)
        text += line.text + line.ending;
    if (!doc.utf16)
        return Cp1252::encode(text);
    QByteArray bytes = utf16Mark;
    bytes.reserve(2 + text.size() * 2);
    for (const QChar c : text) {
        bytes.append(char(c.unicode() & 0xFF));
        bytes.append(char(c.unicode() >> 8));
    }
    return bytes;
}

// The blanks around a line: ASCII white space.
bool isBlank(QChar c)
{
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

QStringView trimBlanks(QStringView s)
{
    while (!s.isEmpty() && isBlank(s.front()))
        s = s.sliced(1);
    while (!s.isEmpty() && isBlank(s.back()))
        s.chop(1);
    return s;
}

// A header opens its section even without the closing bracket: the rest of the line names it.
std::optional<QString> sectionName(const QString &line)
{
    const QStringView t = trimBlanks(line);
    if (!t.startsWith(u'['))
        return std::nullopt;
    const qsizetype close = t.indexOf(u']');
    return (close < 0 ? t.sliced(1) : t.sliced(1, close - 1)).toString().trimmed();
}

bool isComment(const QString &line)
{
    return trimBlanks(line).startsWith(u';');
}

std::optional<QString> keyName(const QString &line)
{
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0 || isComment(line))
        return std::nullopt;
    return line.left(eq).trimmed();
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString valueOf(const QString &line)
{
    QString value = line.mid(line.indexOf(u'=') + 1).trimmed();
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == u'"' || first == u'\'') && value.back() == first)
            value = value.mid(1, value.size() - 2);
    }
    return value;
}

// Trailing spaces, and only spaces, go: a default loses them when it is returned.
QString chopSpaces(QString text)
{
    while (text.endsWith(u' '))
        text.chop(1);
    return text;
}

// A value is one line of the file: each line break in it (CR LF, LF or a lone CR) becomes a space.
QString oneLine(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    text.replace(u'\r', u' ');
    text.replace(u'\n', u' ');
    return text;
}

// A section or key name as the caller gives it loses leading and trailing spaces, and only spaces.
QString callerName(const QString &name)
{
    const QString text = chopSpaces(oneLine(name));
    qsizetype begin = 0;
    while (begin < text.size() && text.at(begin) == u' ')
        ++begin;
    return text.mid(begin);
}

// Where a section and one of its keys stand in the file.
struct Place
{
    std::optional<size_t> section; // header line
    std::optional<size_t> key; // entry line
    size_t sectionEnd = 0; // one past the section's header or last entry
};

Place locate(const std::vector<Line> &lines, const QString &section, const QString &key)
{
    Place place;
    for (size_t i = 0; i < lines.size(); ++i) {
        const QString &text = lines[i].text;
        if (const auto name = sectionName(text)) {
            if (place.section)
                break; // the next section begins
            if (sameName(*name, section)) {
                place.section = i;
                place.sectionEnd = i + 1;
            }
            continue;
        }
        if (!place.section || isComment(text) || trimBlanks(text).isEmpty())
            continue;
        place.sectionEnd = i + 1;
        if (!place.key) {
            if (const auto name = keyName(text); name && sameName(*name, key))
                place.key = i;
        }
    }
    return place;
}

} // namespace

namespace IniFile {

QString readString(const QString &path, const QString &section, const QString &key,
                   const QString &def)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return chopSpaces(def);
    const Document doc = parse(file.readAll());
    const Place place = locate(doc.lines, callerName(section), callerName(key));
    if (!place.key)
        return chopSpaces(def);
    return valueOf(doc.lines[*place.key].text);
}

QByteArray withEntry(const QByteArray &bytes, const QString &section, const QString &key,
                     const QString &value)
{
    const QString sectionName = callerName(section);
    const QString keyName = callerName(key);
    const QString text = oneLine(value);

    Document doc = parse(bytes);
    std::vector<Line> &lines = doc.lines;
    // A file of the UTF-16 mark alone holds one empty line, as the profile functions see it.
    if (doc.utf16 && lines.empty())
        lines.push_back({});
    // New line ends follow the file's first line; a new file and a UTF-16 file get CR LF.
    QString eol = QStringLiteral("\r\n");
    if (!doc.utf16 && !lines.empty() && !lines.front().ending.isEmpty())
        eol = lines.front().ending;

    const QString entry = keyName + u'=' + text;
    const Place place = locate(lines, sectionName, keyName);
    if (place.key) {
        Line &line = lines[*place.key];
        line.text = line.text.left(line.text.indexOf(u'=') + 1) + text;
        if (line.ending.isEmpty())
            line.ending = eol;
    } else if (place.section) {
        const size_t at = place.sectionEnd;
        if (at == lines.size() && lines.back().ending.isEmpty())
            lines.back().ending = eol;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), Line {entry, eol});
    } else {
        if (!lines.empty() && lines.back().ending.isEmpty())
            lines.back().ending = eol;
        lines.push_back({u'[' + sectionName + u']', eol});
        lines.push_back({entry, eol});
    }
    return serialize(doc);
}

void writeString(const QString &path, const QString &section, const QString &key,
                 const QString &value)
{
    const auto fail = [&path] {
        throw TavlixError(QStringLiteral("Unable to write to %1").arg(path));
    };
    QByteArray bytes;
    QFile existing(path);
    const bool exists = existing.exists();
    if (exists) {
        // Opened for writing before anything is done, so that a file the board may not write
        // stays as it is.
        if (!existing.open(QIODevice::ReadWrite))
            fail();
        bytes = existing.readAll();
    }
    const QByteArray out = withEntry(bytes, section, key, value);
    if (exists) {
        if (!FileRewrite::rewrite(existing, bytes, out))
            fail();
        return;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size() || !file.commit())
        fail();
}

} // namespace IniFile
