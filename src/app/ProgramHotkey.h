#pragma once

#include <QObject>
#include <QString>

#include <functional>

class TGlobalHotkey;

// The program's global hotkey: the combination the settings name, held while the program runs.
// Where the desktop lets no program take a key (Wayland), it holds nothing: the settings dialog
// shows the command to bind there instead.
class TProgramHotkey : public QObject
{
    Q_OBJECT
public:
    explicit TProgramHotkey(std::function<void()> pressed, QObject* parent = nullptr);
    ~TProgramHotkey() override;

    // Takes the combination stored in the settings, letting the previous one go. When it cannot
    // be taken, false; with tellUser the user is told why (a message box, and a line on the
    // standard error for whoever started the program from a terminal).
    bool Apply(bool tellUser);
    QString LastError() const { return m_lastError; }

    // The one of the running program, for the settings dialog's caller; null when none.
    static TProgramHotkey* Instance();

private:
    TGlobalHotkey* m_hotkey;
    QString m_lastError;
};
