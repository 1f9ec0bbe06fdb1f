#include "controls/XiButton.h"

#include <QDialog>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QImage solidGlyph(QColor color)
{
    QImage g(24, 24, QImage::Format_RGB32);
    g.fill(color);
    return g;
}

// The bounding box of the pixels of one colour.
QRect pixelsOf(const QImage &image, QColor color)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == color)
                box |= QRect(x, y, 1, 1);
    return box;
}

bool hasPixel(const QImage &image, QColor color)
{
    return !pixelsOf(image, color).isNull();
}

// A 41 × 35 glyph-only button in csGraySkin, as in the board's top bar.
struct GlyphButton
{
    QWidget parent;
    TXiButton *button = new TXiButton(&parent);
    GlyphButton()
    {
        button->resize(41, 35);
        button->setColorScheme(TColorScheme::csGraySkin);
        parent.resize(100, 100);
        parent.show();
    }
};

void sendEnter(QWidget *w)
{
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)));
    QCoreApplication::sendEvent(w, &enter);
}

} // namespace

class TestXiButton : public QObject
{
    Q_OBJECT

private slots:
    void creationState()
    {
        TXiButton b;
        QCOMPARE(b.size(), QSize(75, 25));
        QCOMPARE(b.colorScheme(), TColorScheme::csSilver);
        QCOMPARE(b.color(ColorFace), QColor(0xE0, 0xE0, 0xE0));
        QCOMPARE(b.color(OverColorGrad), QColor(Qt::white));
        QCOMPARE(b.color(DownColorGrad), QColor(Qt::white));
        QCOMPARE(b.color(DisabledColorGrad), QColor(Qt::white));
        QCOMPARE(b.spacing(), 4);
        QVERIFY(b.hotTrack() && b.gradient() && b.ctl3D() && b.transparentGlyph());
        QCOMPARE(b.dailyStock(), -99);
    }

    void schemesAndCustomColours()
    {
        TXiButton b;
        b.setColorScheme(TColorScheme::csGraySkin);
        b.setColor(ColorFace, QColor(1, 2, 3));
        QCOMPARE(b.colorScheme(), TColorScheme::csGraySkin);
        b.setColorScheme(TColorScheme::csCustom);
        QCOMPARE(b.color(ColorFace), QColor(1, 2, 3));
        QCOMPARE(b.color(ColorBorder), QColor(0xB2, 0xB4, 0xC0));
        // Every scheme but csCustom sets all 25 colours; the classic ones share csSilver's
        // disabled set.
        const auto silver = *schemeColors(TColorScheme::csSilver);
        for (int i = 0; i < colorSchemeCount; ++i) {
            const auto scheme = static_cast<TColorScheme>(i);
            const auto colors = schemeColors(scheme);
            QCOMPARE(colors.has_value(), scheme != TColorScheme::csCustom);
            if (colors && i <= int(TColorScheme::csGra)) {
                for (int c = DisabledColorFace; c <= DisabledColorText; ++c)
                    QCOMPARE((*colors)[c], silver[c]);
            }
        }
        QCOMPARE((*schemeColors(TColorScheme::csSky))[ColorGrad], QColor(0x6C, 0xB6, 0xFF));
        QVERIFY(schemeHasWhiteFont(TColorScheme::csLila));
        QVERIFY(!schemeHasWhiteFont(TColorScheme::csGra));
    }

    void glyphPlacement_data()
    {
        QTest::addColumn<bool>("pressed");
        QTest::addColumn<QPoint>("topLeft");
        QTest::newRow("normal") << false << QPoint(8, 5);
        QTest::newRow("pressed") << true << QPoint(9, 6);
    }

    void glyphPlacement()
    {
        QFETCH(bool, pressed);
        QFETCH(QPoint, topLeft);
        GlyphButton f;
        f.button->setTransparentGlyph(false);
        f.button->setGlyph(solidGlyph(Qt::blue));
        if (pressed)
            QTest::mousePress(f.button, Qt::LeftButton, {}, QPoint(20, 17));
        const QRect blue = pixelsOf(f.button->grab().toImage(), Qt::blue);
        QCOMPARE(blue, QRect(topLeft, QSize(24, 24)));
    }

    void transparentGlyphLeavesOutTopLeftColour()
    {
        GlyphButton f;
        QImage g = solidGlyph(Qt::blue);
        g.setPixelColor(0, 0, Qt::red);
        g.setPixelColor(5, 5, Qt::red);
        f.button->setGlyph(g);
        const QImage shot = f.button->grab().toImage();
        QVERIFY(!hasPixel(shot, Qt::red));
        QCOMPARE(shot.pixelColor(8 + 5, 5 + 5), QColor(0xE0, 0xDF, 0xE3));
    }

    void graySkinLooks_data()
    {
        QTest::addColumn<int>("action");
        QTest::addColumn<QColor>("face");
        QTest::addColumn<bool>("whiteText");
        QTest::newRow("normal") << 0 << QColor(0xE0, 0xDF, 0xE3) << false;
        QTest::newRow("pointed at") << 1 << QColor(0xA8, 0xAB, 0xAC) << true;
        QTest::newRow("pressed") << 2 << QColor(0xA8, 0xAB, 0xAC) << true;
    }

    void graySkinLooks()
    {
        QFETCH(int, action);
        QFETCH(QColor, face);
        QFETCH(bool, whiteText);
        GlyphButton f;
        f.button->setCaption(QStringLiteral("WWWW"));
        QFont font = f.button->font();
        font.setPixelSize(16);
        f.button->setFont(font);
        if (action == 1)
            sendEnter(f.button);
        if (action == 2)
            QTest::mousePress(f.button, Qt::LeftButton, {}, QPoint(3, 3));
        f.button->clearFocus();
        const QImage shot = f.button->renderFace();
        QCOMPARE(shot.pixelColor(3, 30), face);
        QCOMPARE(hasPixel(shot, Qt::white), whiteText);
    }

    void gradientRows()
    {
        const QColor face(0xE0, 0xE0, 0xE0), grad(0xBC, 0xBC, 0xBC);
        QCOMPARE(gradientRow(face, grad, 0, 25), face);
        QCOMPARE(gradientRow(face, grad, 24, 25), QColor(0xBD, 0xBD, 0xBD));
        // 224 - 12 * 36 / 25 = 206.72
        TXiButton b;
        b.setColor(ColorGrad, grad);
        QCOMPARE(b.renderFace().pixelColor(37, 12), QColor(207, 207, 207));
        b.setGradient(false);
        QCOMPARE(b.renderFace().pixelColor(37, 12), face);
    }

    void disabledFocusedShowsDisabledSet()
    {
        XiPaintState s;
        s.colors = *schemeColors(TColorScheme::csGraySkin);
        s.scheme = TColorScheme::csGraySkin;
        s.focused = true;
        QCOMPARE(activeColorSet(s)[0], QColor(0xA8, 0xAB, 0xAC));
        s.enabled = false;
        QCOMPARE(activeColorSet(s)[0], QColor(0xE0, 0xDF, 0xE3));
        QCOMPARE(activeColorSet(s)[5], QColor(0xAC, 0xA8, 0x99));
        QCOMPARE(markColor(s), QColor(0x76, 0x7A, 0x7C));
    }

    void dailyStockColour_data()
    {
        QTest::addColumn<int>("stock");
        QTest::addColumn<bool>("red");
        QTest::newRow("0") << 0 << true;
        QTest::newRow("-5") << -5 << true;
        QTest::newRow("-99") << -99 << false;
        QTest::newRow("3") << 3 << false;
    }

    void dailyStockColour()
    {
        QFETCH(int, stock);
        QFETCH(bool, red);
        TXiButton b;
        b.resize(80, 40);
        b.setColorScheme(TColorScheme::csVit);
        b.setExtraCaption(QStringLiteral("888"));
        b.setDailyStock(stock);
        const QImage face = b.renderFace();
        bool anyRed = false;
        for (int y = 0; y < face.height(); ++y)
            for (int x = 0; x < face.width(); ++x) {
                const QColor c = face.pixelColor(x, y);
                anyRed = anyRed || (c.red() > 200 && c.green() < 80 && c.blue() < 80);
            }
        QCOMPARE(anyRed, red);
    }

    void marksAndRoundedClipping()
    {
        QWidget parent;
        parent.resize(120, 80);
        auto *b = new TXiButton(&parent);
        b->resize(80, 40);
        b->setColorScheme(TColorScheme::csGraySkin);
        b->setMenuButton(true);
        b->setStaticButton(true);
        b->setTabStop(false); // neither focus nor pointer: the normal look
        b->setHotTrack(false);
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        const QImage shot = b->grab().toImage();
        const QColor mark(0x76, 0x7A, 0x7C);
        for (int y : {40 - 10, 40 - 8, 40 - 6})
            QCOMPARE(shot.pixelColor(80 - 13, y), mark);
        QCOMPARE(shot.pixelColor(80 - 5, 40 - 10),
                 QColor(0xE0, 0xDF, 0xE3)); // the line ends before
        QCOMPARE(shot.pixelColor(80 - 11, 3), mark);
        QCOMPARE(shot.pixelColor(80 - 7, 7), mark);
        QCOMPARE(shot.pixelColor(80 - 6, 8), QColor(0xE0, 0xDF, 0xE3));
        QVERIFY(b->mask().isEmpty());

        b->setRounded(true);
        b->repaint();
        const QRegion clip = b->mask();
        QVERIFY(!clip.isEmpty());
        QVERIFY(!clip.contains(QPoint(0, 0))); // the corners are cut off
        QVERIFY(clip.contains(QPoint(40, 20)));
        QVERIFY(clip.contains(QPoint(40, 1)));
    }

    void captionLines_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("nyRadbryt");
        QTest::addColumn<int>("width");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("shift");
        // Each character measures 10 pixels.
        QTest::newRow("forced break at two blanks")
            << "Kaffe  latte" << true << 200 << QStringList {u"Kaffe"_s, u"latte"_s} << 0;
        QTest::newRow("three pieces move up")
            << "a  b  c" << true << 200 << QStringList {u"a"_s, u"b"_s, u"c"_s} << -10;
        QTest::newRow("more than four pieces")
            << "a  b  c  d  e" << true << 200 << QStringList {u"a"_s, u"b"_s, u"c"_s, u"d"_s}
            << -10;
        QTest::newRow("word wrap at a blank")
            << "Stor stark" << true << 60 << QStringList {u"Stor "_s, u"stark"_s} << 0;
        QTest::newRow("word wrap in three lines")
            << "Pasta med extra ost" << true << 60
            << QStringList {u"Pasta "_s, u"med "_s, u"extra ost"_s} << -10;
        QTest::newRow("cut in the middle")
            << "Kycklingsallad" << false << 60 << QStringList {u"Kycklin"_s, u"gsallad"_s} << 0;
    }

    void captionLines()
    {
        QFETCH(QString, caption);
        QFETCH(bool, nyRadbryt);
        QFETCH(int, width);
        QFETCH(QStringList, lines);
        QFETCH(int, shift);
        const auto measure = [](const QString &t) {
            return int(t.size()) * 10;
        };
        const CaptionLines got = splitCaption(caption, nyRadbryt, width, measure);
        QCOMPARE(got.lines, lines);
        QCOMPARE(got.tyShift, shift);
    }

    void clickNeedsPressAndReleaseOnButton()
    {
        GlyphButton f;
        QSignalSpy clicks(f.button, &TXiButton::OnClick);
        QTest::mouseClick(f.button, Qt::LeftButton, {}, QPoint(20, 17));
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(f.button->look(), TXiButton::Look::Normal);

        QTest::mousePress(f.button, Qt::LeftButton, {}, QPoint(20, 17));
        QCOMPARE(f.button->look(), TXiButton::Look::Down);
        QTest::mouseMove(f.button, QPoint(80, 80));
        QTest::mouseRelease(f.button, Qt::LeftButton, {}, QPoint(80, 80));
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(f.button->look(), TXiButton::Look::Normal);
        QVERIFY(!f.button->isHeld());
    }

    void pointerAndHotTrack()
    {
        GlyphButton f;
        sendEnter(f.button);
        QCOMPARE(f.button->look(), TXiButton::Look::Over);
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(f.button, &leave);
        QCOMPARE(f.button->look(), TXiButton::Look::Normal);
        f.button->setHotTrack(false);
        sendEnter(f.button);
        QCOMPARE(f.button->look(), TXiButton::Look::Normal);
    }

    void keys()
    {
        GlyphButton f;
        QSignalSpy clicks(f.button, &TXiButton::OnClick);
        f.parent.activateWindow();
        f.button->setFocus();
        QTest::keyPress(f.button, Qt::Key_Space);
        QCOMPARE(f.button->look(), TXiButton::Look::Down);
        QTest::keyRelease(f.button, Qt::Key_Space);
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(f.button->look(), TXiButton::Look::Normal);
    }

    // Enter delivered to the focused button clicks it, whatever modifier is held.
    void enterClicks_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::newRow("Return") << int(Qt::Key_Return) << Qt::KeyboardModifiers();
        QTest::newRow("Shift+Return")
            << int(Qt::Key_Return) << Qt::KeyboardModifiers(Qt::ShiftModifier);
        QTest::newRow("Ctrl+Return")
            << int(Qt::Key_Return) << Qt::KeyboardModifiers(Qt::ControlModifier);
        QTest::newRow("keypad Enter")
            << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier);
        QTest::newRow("Ctrl+Shift+keypad Enter")
            << int(Qt::Key_Enter) << (Qt::ControlModifier | Qt::ShiftModifier | Qt::KeypadModifier);
    }

    void enterClicks()
    {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        GlyphButton f;
        QSignalSpy clicks(f.button, &TXiButton::OnClick);
        f.parent.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f.parent));
        f.button->setFocus();
        QTest::keyClick(f.button, Qt::Key(key), modifiers);
        QCOMPARE(clicks.count(), 1);
    }

    // Only the left button takes the focus; a focused button would show the over colours.
    void onlyLeftPressTakesFocus_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::newRow("right") << Qt::RightButton << Qt::KeyboardModifiers();
        QTest::newRow("middle") << Qt::MiddleButton << Qt::KeyboardModifiers();
        QTest::newRow("right with Ctrl")
            << Qt::RightButton << Qt::KeyboardModifiers(Qt::ControlModifier);
    }

    void onlyLeftPressTakesFocus()
    {
        QFETCH(Qt::MouseButton, button);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        GlyphButton f;
        auto *other = new TXiButton(&f.parent);
        other->move(0, 50);
        other->show();
        f.parent.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f.parent));
        other->setFocus();
        QVERIFY(other->hasFocus());
        QTest::mousePress(f.button, button, modifiers, QPoint(20, 17));
        QVERIFY(!f.button->hasFocus());
        QVERIFY(other->hasFocus());
        QCOMPARE(f.button->look(), TXiButton::Look::Normal);
        QCOMPARE(f.button->renderFace().pixelColor(5, 30), QColor(0xE0, 0xDF, 0xE3));
        QTest::mouseRelease(f.button, button, modifiers, QPoint(20, 17));
        QVERIFY(!f.button->hasFocus());

        QTest::mousePress(f.button, Qt::LeftButton, {}, QPoint(20, 17));
        QVERIFY(f.button->hasFocus());
        QTest::mouseRelease(f.button, Qt::LeftButton, {}, QPoint(20, 17));
    }

    void clickSetsModalResultThenRaisesOnClick()
    {
        QDialog dialog;
        auto *b = new TXiButton(&dialog);
        b->setModalResult(QDialog::Accepted);
        bool closedBeforeClick = false;
        connect(b, &TXiButton::OnClick, this,
                [&] { closedBeforeClick = dialog.result() == QDialog::Accepted; });
        dialog.show();
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(10, 10));
        QVERIFY(closedBeforeClick);
        QVERIFY(!dialog.isVisible());
    }

    void cancelAndAccelerator()
    {
        QWidget window;
        auto *b = new TXiButton(&window);
        b->setCaption(QStringLiteral("&Stäng"));
        auto *other = new TXiButton(&window);
        other->move(0, 40);
        QSignalSpy clicks(b, &TXiButton::OnClick);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        other->setFocus();
        QTest::keyClick(&window, Qt::Key_Escape);
        QCOMPARE(clicks.count(), 0);
        b->setCancel(true);
        QTest::keyClick(other, Qt::Key_Escape);
        QCOMPARE(clicks.count(), 1);
        QTest::keyClick(other, Qt::Key_S, Qt::AltModifier);
        QCOMPARE(clicks.count(), 2);
        b->setEnabled(false);
        QTest::keyClick(other, Qt::Key_S, Qt::AltModifier);
        QCOMPARE(clicks.count(), 2);
    }

    void defaultButtonAnswersEnter()
    {
        QWidget window;
        auto *b = new TXiButton(&window);
        auto *other = new TXiButton(&window);
        other->move(0, 40);
        QSignalSpy clicks(b, &TXiButton::OnClick);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        other->setFocus();
        b->setDefault(true);
        QTest::keyClick(other, Qt::Key_Return);
        QCOMPARE(clicks.count(), 1);
        b->setDefault(false);
        QTest::keyClick(other, Qt::Key_Return);
        QCOMPARE(clicks.count(), 1);
    }

    void setShortcutGesture()
    {
        GlyphButton f;
        QSignalSpy gestures(f.button, &TXiButton::OnSetShortcut);
        QTest::mousePress(f.button, Qt::RightButton, Qt::ControlModifier, QPoint(5, 5));
        QCOMPARE(gestures.count(), 0);
        f.button->setSetShortcut(true);
        QTest::mousePress(f.button, Qt::RightButton, Qt::ControlModifier, QPoint(5, 5));
        QCOMPARE(gestures.count(), 1);
        QCOMPARE(f.button->look(), TXiButton::Look::Normal);
    }

    void focusShowsOverSet()
    {
        GlyphButton f;
        f.parent.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f.parent));
        f.button->setFocus();
        QVERIFY(f.button->hasFocus());
        QCOMPARE(f.button->renderFace().pixelColor(5, 30), QColor(0xA8, 0xAB, 0xAC));
        QCOMPARE(f.button->renderFace().pixelColor(3, 30),
                 QColor(0x80, 0x80, 0x80)); // focus outline
    }
};

QTEST_MAIN(TestXiButton)
#include "tst_xibutton.moc"
