#pragma once

#include <QObject>
#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;
class QWidget;

// How the board keeps up with the other boards on the same table, in "SPISKO.INI" [SKARM]:
// SYNKA ("J" by default): each refresh also takes away the cards of tickets that are no longer
// open in the table (finished on another board, or changed by other means);
// KLARAANTAL (100 by default, 1 to 10000): the most done tickets the tab "Klara" shows, the
// latest ones. Boards that know neither key leave them alone.
struct OtherBoardsSettings
{
    bool follow = true;
    int doneLimit = 100;
};

constexpr int maxDoneLimit = 10000;

OtherBoardsSettings readOtherBoardsSettings(const QString &path);

// The settings window's controls for both, in a strip along its bottom. A key is written only
// when its control was changed, so a save leaves a file without these keys as it was.
class OtherBoardsBoxes : public QObject
{
    Q_OBJECT

public:
    // Makes the window taller by stripHeight and stands in the new strip.
    explicit OtherBoardsBoxes(QWidget *window);
    static constexpr int stripHeight = 36;

    QLabel *heading = nullptr;
    QCheckBox *cb_Synka = nullptr;
    QLabel *doneHeading = nullptr;
    QLineEdit *ed_KlaraAntal = nullptr;

    void load(const QString &path);
    // Throws TavlixError when the file cannot be written.
    void save(const QString &path);

private:
    OtherBoardsSettings m_loaded;
};
