#include "NewTicketSettings.h"

#include "pos/IniFile.h"
#include "pos/TextUtils.h"

#include <QCheckBox>
#include <QLabel>

namespace {

const QString skarm = QStringLiteral("SKARM");
const QString nyBlinka = QStringLiteral("NYBLINKA");
const QString nyLjud = QStringLiteral("NYLJUD");

} // namespace

NewTicketSignal readNewTicketSignal(const QString &path)
{
    NewTicketSignal s;
    s.flash = JNToBool(IniFile::readString(path, skarm, nyBlinka, QStringLiteral("J")));
    s.sound = JNToBool(IniFile::readString(path, skarm, nyLjud, QStringLiteral("N")));
    return s;
}

NewTicketBoxes::NewTicketBoxes(QWidget *window)
    : QObject(window)
{
    heading = new QLabel(QStringLiteral("Ny bong"), window);
    heading->move(240, 12);
    heading->adjustSize();
    cb_NyBlinka = new QCheckBox(QStringLiteral("Blinka"), window);
    cb_NyBlinka->setGeometry(240, 30, 72, 17);
    cb_NyLjud = new QCheckBox(QStringLiteral("Ljud"), window);
    cb_NyLjud->setGeometry(240, 50, 72, 17);
}

void NewTicketBoxes::load(const QString &path)
{
    m_loaded = readNewTicketSignal(path);
    cb_NyBlinka->setChecked(m_loaded.flash);
    cb_NyLjud->setChecked(m_loaded.sound);
}

void NewTicketBoxes::save(const QString &path)
{
    if (cb_NyBlinka->isChecked() != m_loaded.flash) {
        IniFile::writeString(path, skarm, nyBlinka, BoolToJN(cb_NyBlinka->isChecked()));
        m_loaded.flash = cb_NyBlinka->isChecked();
    }
    if (cb_NyLjud->isChecked() != m_loaded.sound) {
        IniFile::writeString(path, skarm, nyLjud, BoolToJN(cb_NyLjud->isChecked()));
        m_loaded.sound = cb_NyLjud->isChecked();
    }
}
