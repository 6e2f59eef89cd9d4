#pragma once

#include <QKeySequence>
#include <QObject>
#include <QString>

#include <memory>

// A key combination taken for the whole desktop: pressed anywhere, it reaches this program.
// X11 grabs the key on the root window, Windows registers a hot key. A Wayland desktop lets no
// program do that: there the desktop's own keyboard settings run a command instead.
class TGlobalHotkey : public QObject
{
    Q_OBJECT
public:
    explicit TGlobalHotkey(QObject* parent = nullptr);
    ~TGlobalHotkey() override;

    // Takes the combination (only the first of a sequence counts); an empty one lets the held
    // one go. False, with the message for the user, when the combination cannot be taken: held by
    // another program, a key the keyboard does not have, or a desktop that does not allow it.
    bool setShortcut(const QKeySequence& keys, QString* error = nullptr);
    QKeySequence shortcut() const { return m_keys; }

    // True where this program can take a key for the whole desktop at all.
    static bool Available();
    // True on a Wayland desktop: a key is bound to a command in the desktop's keyboard settings.
    static bool DesktopBindsKeys();
    // The command to bind there.
    static QString ToggleCommandLine() { return QStringLiteral("kestrolin --toggle"); }

    // The combination as the user reads it ("Ctrl+Alt+K").
    static QString DisplayText(const QKeySequence& keys);

signals:
    void activated();

private:
    struct TImpl;
    std::unique_ptr<TImpl> d;
    QKeySequence m_keys;
};
