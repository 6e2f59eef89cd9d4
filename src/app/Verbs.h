#pragma once

#include "settings/ProgramArguments.h"

#include <QObject>
#include <QPointer>

#include <functional>

class TfmMain;

// The one place where a verb from the command line, from another copy or from the global hotkey
// is carried out. The window verbs act through the same calls as the tray menu; the verbs about
// the pages and commands are handed to the hooks below, which the profile's owner fills. Without
// a window (a start with --list, --export or --import and no copy running) only those hooks
// work.
class TVerbs : public QObject
{
    Q_OBJECT
public:
    explicit TVerbs(QObject* parent = nullptr);

    // --run: page and button counted from 1, or (page 0) the command with this description.
    std::function<TVerbResult(int page, int button, const QString& description)> Run;
    // --add: a file, folder or link; page counted from 1, 0 for the page shown.
    std::function<TVerbResult(const QString& path, int page)> Add;
    // --list, as text or as JSON.
    std::function<TVerbResult(bool json)> List;
    std::function<TVerbResult(const QString& file)> Export;
    std::function<TVerbResult(const QString& file)> Import;

    // The main window the window verbs act on; none: they fail.
    void SetWindow(TfmMain* window) { m_window = window; }

    // Carries out a verb and answers through reply, at once or (while the window is still
    // loading its pages) once it has loaded.
    void Execute(const TProgramArguments& verb,
                 const std::function<void(const TVerbResult&)>& reply);
    // The same, for a caller that can wait: only without a window or with its pages loaded.
    TVerbResult ExecuteNow(const TProgramArguments& verb);

    // The global hotkey and --toggle: the window comes to the front on the screen with the
    // pointer, or hides when it is in front already.
    void Toggle();
    void Show();
    void Hide();

private:
    bool WindowLoading() const;

    QPointer<TfmMain> m_window;
};
