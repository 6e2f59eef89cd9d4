#include "platform/GlobalHotkey.h"

QString TGlobalHotkey::DisplayText(const QKeySequence& keys)
{
    if (keys.isEmpty())
        return {};
    return QKeySequence(keys[0]).toString(QKeySequence::NativeText);
}

bool TGlobalHotkey::DesktopBindsKeys()
{
    // Also under XWayland: a grab there sees only the keys typed into X windows.
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           qEnvironmentVariable("XDG_SESSION_TYPE") == QStringLiteral("wayland");
}
