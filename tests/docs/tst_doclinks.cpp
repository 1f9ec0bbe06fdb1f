// Every relative link and picture in README.md and docs/ leads somewhere: the file exists, and a
// link to a heading (#...) finds that heading as a Markdown viewer names it.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString root = QStringLiteral(TAVLIX_SOURCE_DIR);

// The lines of a Markdown file outside fenced code blocks.
QStringList proseLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines;
    bool fenced = false;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        if (line.trimmed().startsWith(u"```"_s)) {
            fenced = !fenced;
            lines.append(QString());
            continue;
        }
        lines.append(fenced ? QString() : line);
    }
    return lines;
}

// A heading's anchor: lower case, without punctuation, spaces as hyphens.
QString anchorOf(QString heading)
{
    heading = heading.trimmed().toLower();
    heading.remove(
        QRegularExpression(u"[^\\w\\- ]"_s, QRegularExpression::UseUnicodePropertiesOption));
    return heading.replace(u' ', u'-');
}

QStringList anchorsIn(const QString &path)
{
    QStringList anchors;
    static const QRegularExpression heading(u"^#{1,6}\\s+(.*)$"_s);
    for (const QString &line : proseLines(path)) {
        if (const auto m = heading.match(line); m.hasMatch())
            anchors.append(anchorOf(m.captured(1)));
    }
    return anchors;
}

QStringList documents()
{
    QStringList files {root + u"/README.md"_s};
    for (const QString &name : QDir(root + u"/docs"_s).entryList({u"*.md"_s}, QDir::Files))
        files.append(root + u"/docs/"_s + name);
    return files;
}

} // namespace

class TestDocLinks : public QObject
{
    Q_OBJECT

private slots:
    void anchorsAsViewersNameThem_data()
    {
        QTest::addColumn<QString>("heading");
        QTest::addColumn<QString>("anchor");
        QTest::newRow("words") << "The data source on SQL Server"
                               << "the-data-source-on-sql-server";
        QTest::newRow("apostrophe") << "The data source's user name"
                                    << "the-data-sources-user-name";
        QTest::newRow("quotes and parentheses") << "The settings (\"SPISKO.INI\")"
                                                << "the-settings-spiskoini";
        QTest::newRow("Swedish letters") << "Ändra läge"
                                         << "ändra-läge";
    }

    void anchorsAsViewersNameThem()
    {
        QFETCH(QString, heading);
        QFETCH(QString, anchor);
        QCOMPARE(anchorOf(heading), anchor);
    }

    void linksResolve_data()
    {
        QTest::addColumn<QString>("document");
        QTest::addColumn<QString>("target");
        static const QRegularExpression link(u"!?\\[[^\\]]*\\]\\(([^)\\s]+)\\)"_s);
        int links = 0;
        for (const QString &document : documents()) {
            const QStringList lines = proseLines(document);
            QVERIFY2(!lines.isEmpty(), qPrintable(document));
            for (qsizetype i = 0; i < lines.size(); ++i) {
                for (const auto &m : link.globalMatch(lines[i])) {
                    const QString target = m.captured(1);
                    if (target.contains(u"://"_s) || target.startsWith(u"mailto:"_s))
                        continue;
                    const QString where =
                        QDir(root).relativeFilePath(document) + u':' + QString::number(i + 1);
                    QTest::newRow(qPrintable(where + u' ' + target)) << document << target;
                    ++links;
                }
            }
        }
        QVERIFY(links > 0);
    }

    void linksResolve()
    {
        QFETCH(QString, document);
        QFETCH(QString, target);
        const QString file = target.section(u'#', 0, 0);
        const QString anchor = target.section(u'#', 1);
        const QString path = file.isEmpty() ? document : QFileInfo(document).dir().filePath(file);
        QVERIFY2(QFileInfo(path).isFile(), qPrintable(path + u" does not exist"_s));
        if (!anchor.isEmpty())
            QVERIFY2(anchorsIn(path).contains(anchor),
                     qPrintable(u"no heading #"_s + anchor + u" in "_s + path));
    }
};

QTEST_GUILESS_MAIN(TestDocLinks)
#include "tst_doclinks.moc"
