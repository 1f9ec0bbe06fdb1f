#include "OtherBoardsSettings.h"

#include "pos/IniFile.h"
#include "pos/TextUtils.h"

#include <QCheckBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>

namespace {

const QString skarm = QStringLiteral("SKARM");
const QString synka = QStringLiteral("SYNKA");
const QString klaraAntal = QStringLiteral("KLARAANTAL");

int doneLimitOf(const QString &text, int fallback)
{
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    return ok ? std::clamp(n, 1, maxDoneLimit) : fallback;
}

} // namespace

OtherBoardsSettings readOtherBoardsSettings(const QString &path)
{
    OtherBoardsSettings s;
    s.follow = JNToBool(IniFile::readString(path, skarm, synka, QStringLiteral("J")));
    s.doneLimit = doneLimitOf(IniFile::readString(path, skarm, klaraAntal, {}), s.doneLimit);
    return s;
}

OtherBoardsBoxes::OtherBoardsBoxes(QWidget *window)
    : QObject(window)
{
    // A strip of its own under everything else, which the sample card never reaches.
    const int top = window->height();
    window->resize(window->width(), top + stripHeight);
    heading = new QLabel(QStringLiteral("Andra tavlor"), window);
    heading->move(8, top + 10);
    heading->adjustSize();
    cb_Synka = new QCheckBox(QStringLiteral("Följ deras ändringar"), window);
    cb_Synka->setGeometry(100, top + 9, 150, 17);
    doneHeading = new QLabel(QStringLiteral("Klara visar högst"), window);
    doneHeading->move(318, top + 10);
    doneHeading->adjustSize();
    ed_KlaraAntal = new QLineEdit(window);
    ed_KlaraAntal->setGeometry(440, top + 6, 56, 22);
    ed_KlaraAntal->setValidator(new QIntValidator(1, maxDoneLimit, ed_KlaraAntal));
}

void OtherBoardsBoxes::load(const QString &path)
{
    m_loaded = readOtherBoardsSettings(path);
    cb_Synka->setChecked(m_loaded.follow);
    ed_KlaraAntal->setText(QString::number(m_loaded.doneLimit));
}

void OtherBoardsBoxes::save(const QString &path)
{
    if (cb_Synka->isChecked() != m_loaded.follow) {
        IniFile::writeString(path, skarm, synka, BoolToJN(cb_Synka->isChecked()));
        m_loaded.follow = cb_Synka->isChecked();
    }
    // A number left half typed keeps the stored one.
    const int limit = doneLimitOf(ed_KlaraAntal->text(), m_loaded.doneLimit);
    if (limit != m_loaded.doneLimit) {
        IniFile::writeString(path, skarm, klaraAntal, QString::number(limit));
        m_loaded.doneLimit = limit;
    }
}
