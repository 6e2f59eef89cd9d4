#include "platform/GlobalHotkey.h"
#include "platform/win/WinShellCore.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>

namespace {

// The one hot key of the program, under this id in the thread's queue.
constexpr int HotkeyId = 0x4B45;

UINT VirtualKeyOf(int key)
{
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return UINT(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return UINT(VK_F1 + (key - Qt::Key_F1));
    switch (key) {
    case Qt::Key_Space:
        return VK_SPACE;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Tab:
        return VK_TAB;
    case Qt::Key_Backspace:
        return VK_BACK;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Insert:
        return VK_INSERT;
    case Qt::Key_Delete:
        return VK_DELETE;
    case Qt::Key_Pause:
        return VK_PAUSE;
    case Qt::Key_Print:
        return VK_SNAPSHOT;
    case Qt::Key_Home:
        return VK_HOME;
    case Qt::Key_End:
        return VK_END;
    case Qt::Key_PageUp:
        return VK_PRIOR;
    case Qt::Key_PageDown:
        return VK_NEXT;
    case Qt::Key_Left:
        return VK_LEFT;
    case Qt::Key_Up:
        return VK_UP;
    case Qt::Key_Right:
        return VK_RIGHT;
    case Qt::Key_Down:
        return VK_DOWN;
    default:
        return 0;
    }
}

UINT ModifiersOf(Qt::KeyboardModifiers modifiers)
{
    UINT mask = 0;
    if (modifiers & Qt::ShiftModifier)
        mask |= MOD_SHIFT;
    if (modifiers & Qt::ControlModifier)
        mask |= MOD_CONTROL;
    if (modifiers & Qt::AltModifier)
        mask |= MOD_ALT;
    if (modifiers & Qt::MetaModifier)
        mask |= MOD_WIN;
    return mask;
}

} // namespace

struct TGlobalHotkey::TImpl : public QAbstractNativeEventFilter
{
    TGlobalHotkey* owner = nullptr;
    bool registered = false;
    bool filterInstalled = false;

    ~TImpl() override
    {
        release();
        if (filterInstalled && QCoreApplication::instance())
            QCoreApplication::instance()->removeNativeEventFilter(this);
    }

    void release()
    {
        if (registered)
            winshell::UnregisterThreadHotkey(HotkeyId);
        registered = false;
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (!registered || eventType != "windows_generic_MSG")
            return false;
        if (!winshell::IsHotkeyMessage(*static_cast<const MSG*>(message), HotkeyId))
            return false;
        emit owner->activated();
        return true;
    }
};

TGlobalHotkey::TGlobalHotkey(QObject* parent) : QObject(parent), d(std::make_unique<TImpl>())
{
    d->owner = this;
}

TGlobalHotkey::~TGlobalHotkey() = default;

bool TGlobalHotkey::Available()
{
    return true;
}

bool TGlobalHotkey::setShortcut(const QKeySequence& keys, QString* error)
{
    d->release();
    m_keys = QKeySequence();
    if (keys.isEmpty())
        return true;
    const QString text = DisplayText(keys);
    const QKeyCombination combination = keys[0];
    const UINT virtualKey = VirtualKeyOf(int(combination.key()));
    DWORD code = 0;
    if (virtualKey == 0) {
        if (error)
            *error = QStringLiteral("Клавишу %1 нельзя сделать сочетанием для всего рабочего "
                                    "стола.")
                         .arg(text);
        return false;
    }
    if (!winshell::RegisterThreadHotkey(HotkeyId, ModifiersOf(combination.keyboardModifiers()),
                                        virtualKey, &code)) {
        if (error)
            *error = winshell::HotkeyHeldElsewhere(code)
                         ? QStringLiteral("Сочетание клавиш %1 уже занято другой программой.\r"
                                          "Выберите другое в настройках программы или отключите "
                                          "его.")
                               .arg(text)
                         : QStringLiteral("Система не дала занять сочетание клавиш %1.").arg(text);
        return false;
    }
    d->registered = true;
    if (!d->filterInstalled) {
        QCoreApplication::instance()->installNativeEventFilter(d.get());
        d->filterInstalled = true;
    }
    m_keys = QKeySequence(combination);
    return true;
}
