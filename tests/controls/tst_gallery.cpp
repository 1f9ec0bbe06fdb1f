// Renders every colour scheme in its four looks and an image box at a few scales into PNG files
// under the build directory (gallery/), so that a person can look at them.
#include "controls/PixImageBox.h"
#include "controls/XiButton.h"

#include <QDir>
#include <QPainter>
#include <QTest>

namespace {

const char *const schemeNames[] = {
    "csDesert",    "csGrass",   "csSky",     "csSun",     "csRose",     "csSilver",
    "csCustom",    "csSvart",   "csRod",     "csGron",    "csGul",      "csBla",
    "csVit",       "csLila",    "csOrange",  "csGra",     "csGraySkin", "csRedSkin",
    "csGrassSkin", "csGulSkin", "csBlaSkin", "csDarkSkin"};

QString galleryDir()
{
    const QString dir = QStringLiteral(QT_TESTCASE_BUILDDIR "/gallery");
    QDir().mkpath(dir);
    return dir;
}

QImage ticket(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setPen(Qt::black);
    QFont f;
    f.setPixelSize(28);
    p.setFont(f);
    for (int y = 40; y < h; y += 40)
        p.drawText(20, y, QStringLiteral("2 x Köttbullar %1").arg(y / 40));
    p.drawRect(0, 0, w - 1, h - 1);
    return image;
}

} // namespace

class TestGallery : public QObject
{
    Q_OBJECT

private slots:
    void buttons()
    {
        const int cw = 110, ch = 44;
        QImage sheet(cw * 4 + 120, ch * colorSchemeCount, QImage::Format_RGB32);
        sheet.fill(QColor(0xF0, 0xF0, 0xF0));
        QPainter p(&sheet);
        QFont font;
        font.setPixelSize(13);
        for (int i = 0; i < colorSchemeCount; ++i) {
            p.setPen(Qt::black);
            p.setFont(font);
            p.drawText(4, i * ch + 26, QString::fromLatin1(schemeNames[i]));
            for (int look = 0; look < 4; ++look) {
                XiPaintState s;
                s.size = QSize(100, 36);
                s.caption = QStringLiteral("Kök");
                s.font = font;
                s.scheme = static_cast<TColorScheme>(i);
                s.colors = schemeColors(s.scheme).value_or(*schemeColors(TColorScheme::csSilver));
                s.look = look == 1 ? XiPaintState::Look::Over
                    : look == 2    ? XiPaintState::Look::Down
                                   : XiPaintState::Look::Normal;
                s.enabled = look != 3;
                s.parentBackground = QColor(0xF0, 0xF0, 0xF0);
                s.captionPrice = i % 3 == 0 ? QStringLiteral("45:-") : QString();
                s.menuButton = i % 4 == 1;
                QImage face = paintButtonImage(s);
                QPainter fp(&face);
                paintButtonMarks(fp, s);
                fp.end();
                p.drawImage(120 + look * cw, i * ch + 4, face);
            }
        }
        p.end();
        QVERIFY(sheet.save(galleryDir() + QStringLiteral("/schemes.png")));
    }

    void imageBoxScales()
    {
        QWidget window;
        window.resize(4 * 230, 420);
        window.setAutoFillBackground(true);
        const int scales[] = {25, 39, 50, 100};
        for (int i = 0; i < 4; ++i) {
            auto *box = new TPixImageBox(&window);
            box->setGeometry(i * 230, 0, 225, 400);
            box->setHorzScrollBarVisible(false);
            box->setColor(Qt::white);
            box->Image()->setPicture(ticket(576, 900));
            box->PictureLoaded();
            box->setImageScale(scales[i]);
        }
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(window.grab().save(galleryDir() + QStringLiteral("/imagebox.png")));
    }
};

QTEST_MAIN(TestGallery)
#include "tst_gallery.moc"
