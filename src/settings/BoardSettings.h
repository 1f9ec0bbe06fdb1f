#pragma once

#include <QString>

// The board's own settings file, InstallDir + "SPISKO.INI", sections "BONG" and "SKARM".
QString boardSettingsPath();

// The values the board runs with, read once at start.
struct BoardSettings
{
    int bredd = 225; // card width
    int vanster = 0; // left offset of the layout
    int rader = 3; // card rows
    int gronsek = 280; // below: green
    int gulsek = 500; // above: yellow
    int rodsek = 1000; // above: red
    int updateMs = 10000; // refresh period
    bool repaint = false; // rebuild every cycle
    bool horizontal = false; // horizontal order
    QString namn = QStringLiteral("Alla"); // output device, "Alla" for all
};

BoardSettings readBoardSettings(const QString &path);

// The refresh period in milliseconds for UPDATE seconds: at least one second, so that the board
// never queries the database without pause, and at most the longest interval a Qt timer takes.
int refreshIntervalMs(int updateSeconds);

// The texts the settings window shows and saves. BREDD and VANSTER are numbers because the
// window's sample card holds them; every other value is shown exactly as stored.
struct SettingsTexts
{
    int bredd = 225;
    int vanster = 0;
    QString rader;
    QString gronsek;
    QString gulsek;
    QString rodsek;
    QString update;
    bool repaint = false;
    bool horizontal = false;
    QString namn;
};

SettingsTexts readSettingsTexts(const QString &path);

// What SaveSettings writes: the edits' texts, unchecked.
struct SavedTexts
{
    QString bredd, vanster, rader, gronsek, gulsek, rodsek, update;
    bool repaint = false;
    bool horizontal = false;
    QString namn;
};

// Writes the ten keys one by one in their order. A failed write throws TavlixError; the keys
// written before it keep their new values.
void writeSettingsTexts(const QString &path, const SavedTexts &texts);
