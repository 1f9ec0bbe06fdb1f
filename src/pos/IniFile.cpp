#include "IniFile.h"

#include "Cp1252.h"
#include "FileRewrite.h"
#include "TavlixError.h"

#include <QFile>
#include <QSaveFile>

#include <optional>
#include <vector>

namespace {

// One line of the file as bytes, with its line ending kept apart so it can be written back as is.
struct Line
{
    QByteArray text;
    QByteArray ending;
};

// A line ends with CR LF, LF or a lone CR.
std::vector<Line> splitLines(const QByteArray &bytes)
{
    std::vector<Line> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = start;
        while (end < bytes.size() && bytes.at(end) != '\r' && bytes.at(end) != '\n')
            ++end;
        qsizetype next = end;
        if (next < bytes.size() && bytes.at(next) == '\r')
            ++next;
        if (next < bytes.size() && bytes.at(next) == '\n')
            ++next;
        lines.push_back({bytes.mid(start, end - start), bytes.mid(end, next - end)});
        start = next;
    }
    return lines;
}

std::optional<QString> sectionName(const QByteArray &line)
{
    const QByteArray t = line.trimmed();
    if (!t.startsWith('['))
        return std::nullopt;
    const qsizetype close = t.indexOf(']');
    if (close < 0)
        return std::nullopt;
    return Cp1252::decode(t.mid(1, close - 1)).trimmed();
}

std::optional<QString> keyName(const QByteArray &line)
{
    const qsizetype eq = line.indexOf('=');
    if (eq < 0)
        return std::nullopt;
    return Cp1252::decode(line.left(eq)).trimmed();
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString valueOf(const QByteArray &line)
{
    QString value = Cp1252::decode(line.mid(line.indexOf('=') + 1)).trimmed();
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == u'"' || first == u'\'') && value.back() == first)
            value = value.mid(1, value.size() - 2);
    }
    return value;
}

// A value is one line of the file: each line break in it (CR LF, LF or a lone CR) becomes a space.
QString oneLine(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    text.replace(u'\r', u' ');
    text.replace(u'\n', u' ');
    return text;
}

// Where a section and one of its keys stand in the file.
struct Place
{
    std::optional<size_t> section; // header line
    std::optional<size_t> key; // entry line
    size_t sectionEnd = 0; // one past the section's last non-blank line
};

Place locate(const std::vector<Line> &lines, const QString &section, const QString &key)
{
    Place place;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (const auto name = sectionName(lines[i].text)) {
            if (place.section)
                break; // the next section begins
            if (sameName(*name, section)) {
                place.section = i;
                place.sectionEnd = i + 1;
            }
            continue;
        }
        if (!place.section)
            continue;
        if (!lines[i].text.trimmed().isEmpty())
            place.sectionEnd = i + 1;
        if (!place.key) {
            if (const auto name = keyName(lines[i].text); name && sameName(*name, key))
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
        return def;
    const std::vector<Line> lines = splitLines(file.readAll());
    const Place place = locate(lines, section, key);
    if (!place.key)
        return def;
    return valueOf(lines[*place.key].text);
}

void writeString(const QString &path, const QString &section, const QString &key,
                 const QString &value)
{
    const auto fail = [&path] {
        throw TavlixError(QStringLiteral("Unable to write to %1").arg(path));
    };
    const QByteArray text = Cp1252::encode(oneLine(value));

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

    std::vector<Line> lines = splitLines(bytes);
    // New lines take the file's own line ending; a new file gets CR LF.
    QByteArray eol = QByteArrayLiteral("\r\n");
    if (!lines.empty() && !lines.front().ending.isEmpty())
        eol = lines.front().ending;

    const QByteArray entry = Cp1252::encode(key) + '=' + text;
    const Place place = locate(lines, section, key);
    if (place.key) {
        Line &line = lines[*place.key];
        line.text = line.text.left(line.text.indexOf('=') + 1) + text;
    } else if (place.section) {
        const size_t at = place.sectionEnd;
        if (at == lines.size() && !lines.empty() && lines.back().ending.isEmpty())
            lines.back().ending = eol;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), Line {entry, eol});
    } else {
        if (!lines.empty() && lines.back().ending.isEmpty())
            lines.back().ending = eol;
        lines.push_back({'[' + Cp1252::encode(section) + ']', eol});
        lines.push_back({entry, eol});
    }

    QByteArray out;
    out.reserve(bytes.size() + entry.size() + 16);
    for (const Line &line : lines)
        out += line.text + line.ending;

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
