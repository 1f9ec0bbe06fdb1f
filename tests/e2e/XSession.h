#pragma once

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTest>
#include <QThread>

// A virtual X server with a window manager, and the tools that look at it and drive it.
class XSession
{
public:
    bool start()
    {
        // Xvfb picks a free display itself and names it once it accepts connections.
        m_xvfb.setProgram(QStringLiteral(TAVLIX_XVFB));
        m_xvfb.setArguments({QStringLiteral("-displayfd"), QStringLiteral("1"),
                             QStringLiteral("-screen"), QStringLiteral("0"),
                             QStringLiteral("1920x1080x24"), QStringLiteral("-nolisten"),
                             QStringLiteral("tcp")});
        m_xvfb.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_xvfb.start();
        if (!m_xvfb.waitForStarted(10000))
            return false;
        QByteArray number;
        if (!waitFor(
                [this, &number] {
                    number += m_xvfb.readAllStandardOutput();
                    return number.contains('\n') || m_xvfb.state() != QProcess::Running;
                },
                10000)
            || m_xvfb.state() != QProcess::Running)
            return false;
        m_display = u':' + QString::fromLatin1(number.trimmed());
        m_wm.setProgram(QStringLiteral(TAVLIX_OPENBOX));
        m_wm.setProcessEnvironment(environment());
        m_wm.setStandardOutputFile(QProcess::nullDevice());
        m_wm.setStandardErrorFile(QProcess::nullDevice());
        m_wm.start();
        if (!m_wm.waitForStarted(10000))
            return false;
        // A window mapped while the window manager is still starting can stay unmapped.
        return waitFor([this] { return windowManagerReady(); }, 10000)
            && m_wm.state() == QProcess::Running;
    }

    // The root window names the window manager's check window, and that window exists.
    bool windowManagerReady() const
    {
        const QString root = xprop({QStringLiteral("-root"), wmCheck()});
        const qsizetype at = root.lastIndexOf(QStringLiteral("0x"));
        if (at < 0)
            return false;
        return !xprop({QStringLiteral("-id"), root.mid(at), wmCheck()}).isEmpty();
    }

    ~XSession()
    {
        for (QProcess *p : {&m_wm, &m_xvfb}) {
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                if (!p->waitForFinished(3000))
                    p->kill();
                p->waitForFinished(3000);
            }
        }
    }

    QString display() const { return m_display; }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), m_display);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        return env;
    }

    QString xdotool(const QStringList &arguments) const
    {
        return run(QStringLiteral(TAVLIX_XDOTOOL), arguments);
    }

    QString xprop(const QStringList &arguments) const
    {
        return run(QStringLiteral(TAVLIX_XPROP), arguments);
    }

    void click(QPoint at) const
    {
        xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y())});
        QThread::msleep(80);
        xdotool({QStringLiteral("click"), QStringLiteral("1")});
    }

    // A click at a point of a window's client area.
    void clickIn(const QString &window, QPoint at) const
    {
        xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), window,
                 QString::number(at.x()), QString::number(at.y())});
        QThread::msleep(80);
        xdotool({QStringLiteral("click"), QStringLiteral("1")});
    }

    QImage screenshot() const
    {
        const QString file =
            QStringLiteral("/tmp/tavlix-e2e-%1.png").arg(QCoreApplication::applicationPid());
        QProcess p;
        p.setProcessEnvironment(environment());
        p.start(QStringLiteral(TAVLIX_SCREENSHOT), {file});
        p.waitForFinished(10000);
        QImage image(file);
        QFile::remove(file);
        return image;
    }

    // Keeps a screenshot of the screen as the current test function failed on it.
    void saveFailureScreenshot() const
    {
        const QString dir = QStringLiteral(QT_TESTCASE_BUILDDIR "/failures");
        QDir().mkpath(dir);
        const QString file = dir + QLatin1Char('/')
            + QString::fromLatin1(QTest::currentTestFunction()) + QStringLiteral(".png");
        screenshot().save(file);
        qWarning("screenshot of the failure: %s", qPrintable(file));
    }

    // The geometry of a window as "x y width height", from xdotool.
    QRect geometry(const QString &window) const
    {
        const QString shell =
            xdotool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window});
        QRect r;
        for (const QString &line : shell.split(u'\n')) {
            const QString value = line.section(u'=', 1);
            if (line.startsWith(u"X="))
                r.moveLeft(value.toInt());
            else if (line.startsWith(u"Y="))
                r.moveTop(value.toInt());
            else if (line.startsWith(u"WIDTH="))
                r.setWidth(value.toInt());
            else if (line.startsWith(u"HEIGHT="))
                r.setHeight(value.toInt());
        }
        return r;
    }

    QString activeWindowName() const
    {
        return xdotool({QStringLiteral("getactivewindow"), QStringLiteral("getwindowname")});
    }

    // Polls check, handling events, until it holds or the time is up.
    template<typename Check> static bool waitFor(Check check, int ms)
    {
        QDeadlineTimer deadline(ms);
        while (!deadline.hasExpired()) {
            if (check())
                return true;
            QTest::qWait(100);
        }
        return check();
    }

private:
    static QString wmCheck() { return QStringLiteral("_NET_SUPPORTING_WM_CHECK"); }

    // A tool's output, or empty when it failed.
    QString run(const QString &program, const QStringList &arguments) const
    {
        QProcess p;
        p.setProcessEnvironment(environment());
        p.start(program, arguments);
        p.waitForFinished(10000);
        return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0
            ? QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed()
            : QString();
    }

    QString m_display;
    QProcess m_xvfb;
    QProcess m_wm;
};
