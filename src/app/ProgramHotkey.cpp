#include "app/ProgramHotkey.h"

#include "platform/GlobalHotkey.h"
#include "platform/MessageBoxes.h"
#include "settings/Constants.h"
#include "settings/SystemSettings.h"

#include <cstdio>

namespace {
TProgramHotkey* Current = nullptr;
}

TProgramHotkey::TProgramHotkey(std::function<void()> pressed, QObject* parent)
    : QObject(parent), m_hotkey(new TGlobalHotkey(this))
{
    connect(m_hotkey, &TGlobalHotkey::activated, this, [pressed] { pressed(); });
    Current = this;
}

TProgramHotkey::~TProgramHotkey()
{
    if (Current == this)
        Current = nullptr;
}

TProgramHotkey* TProgramHotkey::Instance()
{
    return Current;
}

bool TProgramHotkey::Apply(bool tellUser)
{
    m_lastError.clear();
    const QString stored = SystemSettings ? SystemSettings->GlobalHotkey() : QString();
    if (!TGlobalHotkey::Available()) {
        m_hotkey->setShortcut(QKeySequence());
        return stored.isEmpty();
    }
    if (m_hotkey->setShortcut(QKeySequence::fromString(stored, QKeySequence::PortableText),
                              &m_lastError))
        return true;
    if (tellUser) {
        QString line = m_lastError;
        std::fprintf(stderr, "kestrolin: %s\n", qUtf8Printable(line.replace(u'\r', u' ')));
        std::fflush(stderr);
        ShowMessage(m_lastError, Constants::ProductName, MB::OK | MB::ICONWARNING);
    }
    return false;
}
