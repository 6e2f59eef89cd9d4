#pragma once

#include <QImage>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

// An X display of its own (Xvfb, no window manager) with a tray host.
class TDisplay
{
public:
    ~TDisplay();
    // False (with the reason) when Xvfb is not installed or does not start.
    bool start(bool withTray, QString* why);
    QString name() const { return m_name; }
    QImage screenshot() const;
    // Runs xdotool on this display; returns its standard output, trimmed.
    QString xdotool(const QStringList& args, int timeoutMs = 10000) const;
    // Moves the pointer there and clicks the left button. The X server hands the program the
    // move before the click, so nothing needs to wait in between.
    void click(const QPoint& point) const;
    // Drags with the left button and Alt held from one point to another, in small steps.
    void altDrag(const QPoint& from, const QPoint& to) const;

private:
    QString m_name;
    std::unique_ptr<QProcess> m_xvfb;
    std::unique_ptr<QProcess> m_tray;
};

// The real program in a temporary folder of its own, made portable as the build folder is.
class TProgram
{
public:
    explicit TProgram(const TDisplay& display);
    ~TProgram();

    QString folder() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }
    QByteArray read(const QString& name) const;
    void write(const QString& name, const QByteArray& bytes) const;

    // Writes run.sh, a script that notes its first argument as a line of marker.txt; returns
    // its path.
    QString markerScript() const;
    // The lines the marker script has noted so far.
    QStringList markerLines() const;

    // Starts a copy; several copies may run at once (the single-instance rule decides).
    QProcess* start(const QStringList& arguments = {});

    // Runs a copy with these arguments to its end (killed after timeoutMs).
    struct TRun
    {
        bool finished = false;
        int exitCode = -1;
        QString out;
        QString err;
    };
    TRun run(const QStringList& arguments, const QProcessEnvironment& environment,
             int timeoutMs = 20000) const;
    TRun run(const QStringList& arguments) const { return run(arguments, environment()); }
    // Starts a copy and returns its window once the pages are in it; empty when no window
    // came.
    QString startAndWait(const QStringList& arguments = {});
    // Waits for the main window to be mapped and returns its X window id.
    QString waitForWindow(int timeoutMs = 15000) const;
    // Waits until the window shows its pages (taller than the loading gauge) and stands still:
    // it is sized and placed in several steps as the pages come in, and a click aimed before
    // the last of them lands elsewhere.
    bool waitForPages(const QString& window, int timeoutMs = 15000) const;
    // The window's geometry as "x y w h" read with xdotool.
    QRect windowGeometry(const QString& window) const;
    bool isVisible(const QString& window) const;
    // Ends every copy started here; the first one normally (SIGTERM).
    void stop();

    QProcessEnvironment environment() const;

private:
    const TDisplay& m_display;
    QTemporaryDir m_dir;
    QTemporaryDir m_runtime;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

// The share of pixels that differ between two pictures; 1 when their sizes differ.
double differingShare(const QImage& a, const QImage& b);

bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 10000);
