#include "E2eSupport.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRect>
#include <QStandardPaths>
#include <QTest>

#include <unistd.h>

QString TProgram::startAndWait(const QStringList& arguments)
{
    start(arguments);
    const QString window = waitForWindow();
    if (!window.isEmpty())
        waitForPages(window);
    return window;
}

double differingShare(const QImage& a, const QImage& b)
{
    if (a.size() != b.size() || a.isNull())
        return 1.0;
    qint64 differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            differing += a.pixel(x, y) != b.pixel(x, y);
    return double(differing) / (double(a.width()) * a.height());
}

bool waitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(50);
    }
    return true;
}

TDisplay::~TDisplay()
{
    for (auto* p : {m_tray.get(), m_xvfb.get()}) {
        if (p && p->state() != QProcess::NotRunning) {
            p->terminate();
            if (!p->waitForFinished(3000))
                p->kill();
            p->waitForFinished(3000);
        }
    }
}

bool TDisplay::start(bool withTray, QString* why)
{
    const QString xvfb = QStandardPaths::findExecutable("Xvfb");
    if (xvfb.isEmpty()) {
        *why = "Xvfb is not installed (apt-get install xvfb)";
        return false;
    }
    if (QStandardPaths::findExecutable("xdotool").isEmpty()) {
        *why = "xdotool is not installed (apt-get install xdotool)";
        return false;
    }
    // A display number of our own: start at a number derived from the process id and take the
    // first one without a socket.
    for (int n = 100 + getpid() % 400, tries = 0; tries < 50; ++n, ++tries) {
        if (QFile::exists(QString("/tmp/.X11-unix/X%1").arg(n)) ||
            QFile::exists(QString("/tmp/.X%1-lock").arg(n)))
            continue;
        m_name = QString(":%1").arg(n);
        m_xvfb = std::make_unique<QProcess>();
        m_xvfb->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_xvfb->setStandardOutputFile(QProcess::nullDevice());
        m_xvfb->start(xvfb, {m_name, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
        if (!m_xvfb->waitForStarted(5000))
            continue;
        if (waitUntil([&] { return QFile::exists(QString("/tmp/.X11-unix/X%1").arg(n)); }, 10000))
            break;
        m_xvfb->kill();
        m_xvfb->waitForFinished();
        m_xvfb.reset();
    }
    if (!m_xvfb) {
        *why = "Xvfb did not start";
        return false;
    }
    if (withTray && !QStandardPaths::findExecutable("trayer").isEmpty()) {
        // A tray host that came too early for the new server ends at once: it is started again.
        for (int tries = 0; tries < 3; ++tries) {
            m_tray = std::make_unique<QProcess>();
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("DISPLAY", m_name);
            m_tray->setProcessEnvironment(env);
            m_tray->setStandardOutputFile(QProcess::nullDevice());
            m_tray->setStandardErrorFile(QProcess::nullDevice());
            // A tray at the top left, out of the way of the program at the bottom right.
            m_tray->start("trayer", {"--edge", "top", "--align", "left", "--widthtype", "pixel",
                                     "--width", "200", "--height", "24", "--SetDockType", "true"});
            m_tray->waitForStarted(5000);
            // The tray is there once its window is.
            if (waitUntil(
                    [this] {
                        return !xdotool({"search", "--class", "trayer"}).isEmpty() ||
                               m_tray->state() == QProcess::NotRunning;
                    },
                    10000) &&
                m_tray->state() == QProcess::Running)
                break;
            m_tray->kill();
            m_tray->waitForFinished(3000);
        }
    }
    return true;
}

QString TDisplay::xdotool(const QStringList& args, int timeoutMs) const
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", m_name);
    p.setProcessEnvironment(env);
    p.start("xdotool", args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
    }
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

QImage TDisplay::screenshot() const
{
    QProcess p;
    p.start("import", {"-display", m_name, "-window", "root", "png:-"});
    if (!p.waitForFinished(20000))
        return {};
    return QImage::fromData(p.readAllStandardOutput(), "PNG");
}

void TDisplay::click(const QPoint& point) const
{
    xdotool({"mousemove", "--sync", QString::number(point.x()), QString::number(point.y())});
    xdotool({"click", "1"});
}

void TDisplay::altDrag(const QPoint& from, const QPoint& to) const
{
    xdotool({"mousemove", "--sync", QString::number(from.x()), QString::number(from.y())});
    xdotool({"keydown", "alt"});
    xdotool({"mousedown", "1"});
    for (int step = 1; step <= 10; ++step) {
        const QPoint p = from + (to - from) * step / 10;
        xdotool({"mousemove", "--sync", QString::number(p.x()), QString::number(p.y())});
    }
    xdotool({"mouseup", "1"});
    xdotool({"keyup", "alt"});
}

QString TProgram::markerScript() const
{
    const QString path = file("run.sh");
    write("run.sh", "#!/bin/sh\necho \"$1\" >> \"" + file("marker.txt").toUtf8() + "\"\n");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

QStringList TProgram::markerLines() const
{
    return QString::fromUtf8(read("marker.txt")).split('\n', Qt::SkipEmptyParts);
}

TProgram::TProgram(const TDisplay& display) : m_display(display)
{
    const QString copy = m_dir.filePath("kestrolin");
    QFile::copy(KESTROLIN_PROGRAM, copy);
    QFile::setPermissions(copy, QFile::permissions(KESTROLIN_PROGRAM));
    // Files the program keeps beside itself come along, with the marker that makes the folder
    // portable: the settings are written here, not into the per-user folder.
    const QDir source = QFileInfo(KESTROLIN_PROGRAM).dir();
    for (const QString& name : source.entryList({"*.ico", "portable"}, QDir::Files))
        QFile::copy(source.filePath(name), m_dir.filePath(name));
    QDir(m_runtime.path()).mkpath("config");
    QDir(m_runtime.path()).mkpath("home");
    QFile::setPermissions(m_runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TProgram::~TProgram()
{
    stop();
}

QProcessEnvironment TProgram::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", m_display.name());
    env.remove("QT_QPA_PLATFORM");
    env.remove("WAYLAND_DISPLAY");
    env.insert("XDG_RUNTIME_DIR", m_runtime.path());
    env.insert("XDG_CONFIG_HOME", m_runtime.path() + "/config");
    env.insert("HOME", m_runtime.path() + "/home");
    return env;
}

QProcess* TProgram::start(const QStringList& arguments)
{
    auto p = std::make_unique<QProcess>();
    p->setProcessEnvironment(environment());
    p->setWorkingDirectory(m_dir.path());
    p->setProcessChannelMode(QProcess::ForwardedChannels);
    p->start(file("kestrolin"), arguments);
    p->waitForStarted(5000);
    m_processes.push_back(std::move(p));
    return m_processes.back().get();
}

TProgram::TRun TProgram::run(const QStringList& arguments, const QProcessEnvironment& environment,
                             int timeoutMs) const
{
    QProcess p;
    p.setProcessEnvironment(environment);
    p.setWorkingDirectory(m_dir.path());
    p.start(file("kestrolin"), arguments);
    TRun result;
    result.finished = p.waitForFinished(timeoutMs);
    if (!result.finished) {
        p.kill();
        p.waitForFinished(3000);
    }
    result.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    result.out = QString::fromUtf8(p.readAllStandardOutput());
    result.err = QString::fromUtf8(p.readAllStandardError());
    return result;
}

QString TProgram::waitForWindow(int timeoutMs) const
{
    QString id;
    waitUntil(
        [&] {
            id = m_display.xdotool({"search", "--onlyvisible", "--name", "^Kestrolin$"})
                     .section('\n', 0, 0);
            return !id.isEmpty();
        },
        timeoutMs);
    return id;
}

bool TProgram::waitForPages(const QString& window, int timeoutMs) const
{
    QRect last;
    int same = 0;
    return waitUntil(
        [&] {
            const QRect now = windowGeometry(window);
            same = now == last ? same + 1 : 0;
            last = now;
            return now.height() > 100 && same >= 3;
        },
        timeoutMs);
}

QRect TProgram::windowGeometry(const QString& window) const
{
    const QString out = m_display.xdotool({"getwindowgeometry", "--shell", window});
    QRect r;
    for (const QString& line : out.split('\n')) {
        const QString key = line.section('=', 0, 0), value = line.section('=', 1);
        if (key == "X")
            r.moveLeft(value.toInt());
        else if (key == "Y")
            r.moveTop(value.toInt());
        else if (key == "WIDTH")
            r.setWidth(value.toInt());
        else if (key == "HEIGHT")
            r.setHeight(value.toInt());
    }
    return r;
}

bool TProgram::isVisible(const QString& window) const
{
    const QString visible = m_display.xdotool({"search", "--onlyvisible", "--name", "^Kestrolin$"});
    return visible.split('\n').contains(window);
}

QByteArray TProgram::read(const QString& name) const
{
    QFile f(file(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void TProgram::write(const QString& name, const QByteArray& bytes) const
{
    QFile f(file(name));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

void TProgram::stop()
{
    for (auto& p : m_processes) {
        if (p->state() == QProcess::NotRunning)
            continue;
        p->terminate();
        if (!p->waitForFinished(5000)) {
            p->kill();
            p->waitForFinished(3000);
        }
    }
}
