#pragma once

#include <QObject>
#include <QString>

class QCheckBox;
class QLabel;
class QWidget;

// How the board signals tickets that a refresh added, in "SPISKO.INI" [SKARM]:
// NYBLINKA ("J" by default): their cards pulse a frame for a few seconds;
// NYLJUD ("N" by default): a short sound once per refresh that added tickets.
struct NewTicketSignal
{
    bool flash = true;
    bool sound = false;
};

NewTicketSignal readNewTicketSignal(const QString &path);

// The two tick boxes of the settings window, with their heading, in the free space above the
// sample card between the arrow buttons and the right-hand column. A key is written only when its
// box was changed, so a save leaves a file without these keys as the ten board keys make it.
class NewTicketBoxes : public QObject
{
    Q_OBJECT

public:
    explicit NewTicketBoxes(QWidget *window);

    QLabel *heading = nullptr;
    QCheckBox *cb_NyBlinka = nullptr;
    QCheckBox *cb_NyLjud = nullptr;

    void load(const QString &path);
    // Throws TavlixError when the file cannot be written.
    void save(const QString &path);

private:
    NewTicketSignal m_loaded;
};
