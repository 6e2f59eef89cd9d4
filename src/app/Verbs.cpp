#include "app/Verbs.h"

#include "app/Main.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

namespace {

// How often a verb that came while the pages load looks again whether they are there.
constexpr int LoadingRetryMs = 50;

TVerbResult NotAvailable()
{
    return {false, QStringLiteral("Эта команда программе пока недоступна.")};
}

TVerbResult NoWindow()
{
    return {false, QStringLiteral("Окна программы нет: эта команда работает только в запущенной "
                                  "программе.")};
}

} // namespace

TVerbs::TVerbs(QObject* parent) : QObject(parent) {}

bool TVerbs::WindowLoading() const
{
    return m_window && m_window->FirstActivation();
}

void TVerbs::Execute(const TProgramArguments& verb,
                     const std::function<void(const TVerbResult&)>& reply)
{
    // A verb that comes while the pages load waits for them: --run and --add need the buttons,
    // and a window hidden now would be shown again when the loading ends.
    if (WindowLoading()) {
        QTimer::singleShot(LoadingRetryMs, this, [this, verb, reply] { Execute(verb, reply); });
        return;
    }
    reply(ExecuteNow(verb));
}

TVerbResult TVerbs::ExecuteNow(const TProgramArguments& verb)
{
    switch (verb.verb) {
    case TVerb::None:
    case TVerb::Show:
        if (!m_window)
            return NoWindow();
        Show();
        return {true, {}};
    case TVerb::Toggle:
        if (!m_window)
            return NoWindow();
        Toggle();
        return {true, {}};
    case TVerb::Hide:
        if (!m_window)
            return NoWindow();
        Hide();
        return {true, {}};
    case TVerb::Quit:
        if (!m_window)
            return NoWindow();
        m_window->ExitActionExecute();
        return {true, {}};
    case TVerb::Run:
        return Run ? Run(verb.page, verb.button, verb.text) : NotAvailable();
    case TVerb::Add:
        return Add ? Add(verb.text, verb.addPage) : NotAvailable();
    case TVerb::List:
        return List ? List(verb.json) : NotAvailable();
    case TVerb::Export:
        return Export ? Export(verb.text) : NotAvailable();
    case TVerb::Import:
        return Import ? Import(verb.text) : NotAvailable();
    case TVerb::Version:
    case TVerb::Help:
        break;
    }
    return NotAvailable();
}

void TVerbs::Show()
{
    if (!m_window)
        return;
    TfmMain* window = m_window;
    // The window comes to the screen the user is looking at: the one with the pointer. It keeps
    // its place relative to that screen's work area, as if the screens were one.
    QScreen* pointerScreen = QGuiApplication::screenAt(QCursor::pos());
    const QRect from = window->WorkArea();
    window->RestoreFromTray();
    if (pointerScreen && !pointerScreen->availableGeometry().contains(from.center())) {
        const QRect to = pointerScreen->availableGeometry();
        const QPoint fromCorner = from.bottomRight();
        const QPoint offset = window->frameGeometry().topLeft() - fromCorner;
        window->move(to.bottomRight() + offset);
        window->KeepInWorkArea();
    }
    window->ActivateFromOtherInstance();
}

void TVerbs::Hide()
{
    if (m_window)
        m_window->HideToTray();
}

void TVerbs::Toggle()
{
    if (!m_window)
        return;
    // Shown but behind other windows counts as out of sight: it comes to the front instead.
    if (m_window->isVisible() && !m_window->isMinimized() && m_window->isActiveWindow())
        Hide();
    else
        Show();
}
