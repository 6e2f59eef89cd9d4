#include "platform/GlobalHotkey.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <vector>

namespace {

constexpr xcb_keysym_t NumLockKeysym = 0xff7f;
constexpr quint8 BadAccess = 10;

// The X keysym of a Qt key: Latin-1 keys are their own code (letters in lower case), the rest
// from a short table of the keys a shortcut is made of.
xcb_keysym_t KeysymOf(int key)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return xcb_keysym_t(key - Qt::Key_A + 'a');
    if (key >= 0x20 && key <= 0x7e)
        return xcb_keysym_t(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        return xcb_keysym_t(0xffbe + (key - Qt::Key_F1));
    switch (key) {
    case Qt::Key_Escape:
        return 0xff1b;
    case Qt::Key_Tab:
        return 0xff09;
    case Qt::Key_Backspace:
        return 0xff08;
    case Qt::Key_Return:
        return 0xff0d;
    case Qt::Key_Enter:
        return 0xff8d;
    case Qt::Key_Insert:
        return 0xff63;
    case Qt::Key_Delete:
        return 0xffff;
    case Qt::Key_Pause:
        return 0xff13;
    case Qt::Key_Print:
        return 0xff61;
    case Qt::Key_Home:
        return 0xff50;
    case Qt::Key_Left:
        return 0xff51;
    case Qt::Key_Up:
        return 0xff52;
    case Qt::Key_Right:
        return 0xff53;
    case Qt::Key_Down:
        return 0xff54;
    case Qt::Key_PageUp:
        return 0xff55;
    case Qt::Key_PageDown:
        return 0xff56;
    case Qt::Key_End:
        return 0xff57;
    default:
        return 0;
    }
}

quint16 ModifiersOf(Qt::KeyboardModifiers modifiers)
{
    quint16 mask = 0;
    if (modifiers & Qt::ShiftModifier)
        mask |= XCB_MOD_MASK_SHIFT;
    if (modifiers & Qt::ControlModifier)
        mask |= XCB_MOD_MASK_CONTROL;
    if (modifiers & Qt::AltModifier)
        mask |= XCB_MOD_MASK_1;
    if (modifiers & Qt::MetaModifier)
        mask |= XCB_MOD_MASK_4;
    return mask;
}

// Every key code that makes the keysym on this keyboard (without a modifier or with Shift).
std::vector<xcb_keycode_t> KeycodesOf(xcb_connection_t* c, xcb_keysym_t keysym)
{
    std::vector<xcb_keycode_t> codes;
    const xcb_setup_t* setup = xcb_get_setup(c);
    const int first = setup->min_keycode;
    const int count = setup->max_keycode - setup->min_keycode + 1;
    xcb_get_keyboard_mapping_reply_t* reply = xcb_get_keyboard_mapping_reply(
        c, xcb_get_keyboard_mapping(c, xcb_keycode_t(first), quint8(count)), nullptr);
    if (!reply)
        return codes;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply);
    const int perCode = reply->keysyms_per_keycode;
    const int total = xcb_get_keyboard_mapping_keysyms_length(reply);
    for (int code = 0; code < count; ++code)
        for (int column = 0; column < perCode && column < 2; ++column) {
            const int index = code * perCode + column;
            if (index < total && syms[index] == keysym) {
                codes.push_back(xcb_keycode_t(first + code));
                break;
            }
        }
    std::free(reply);
    return codes;
}

// The modifier bit NumLock sets on this keyboard (usually Mod2).
quint16 NumLockMask(xcb_connection_t* c)
{
    const std::vector<xcb_keycode_t> numLock = KeycodesOf(c, NumLockKeysym);
    quint16 mask = XCB_MOD_MASK_2;
    xcb_get_modifier_mapping_reply_t* reply =
        xcb_get_modifier_mapping_reply(c, xcb_get_modifier_mapping(c), nullptr);
    if (!reply)
        return mask;
    const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(reply);
    const int perModifier = reply->keycodes_per_modifier;
    for (int modifier = 0; modifier < 8; ++modifier)
        for (int k = 0; k < perModifier; ++k)
            for (xcb_keycode_t code : numLock)
                if (code != 0 && codes[modifier * perModifier + k] == code)
                    mask = quint16(1 << modifier);
    std::free(reply);
    return mask;
}

} // namespace

struct TGlobalHotkey::TImpl : public QAbstractNativeEventFilter
{
    TGlobalHotkey* owner = nullptr;
    xcb_connection_t* connection = nullptr;
    xcb_window_t root = 0;
    std::vector<xcb_keycode_t> keycodes;
    quint16 modifiers = 0;
    quint16 ignored = 0; // CapsLock and NumLock: the key works whatever they are
    bool down = false;
    bool filterInstalled = false;

    ~TImpl() override
    {
        release();
        if (filterInstalled && QCoreApplication::instance())
            QCoreApplication::instance()->removeNativeEventFilter(this);
    }

    std::vector<quint16> variants() const
    {
        const quint16 lock = XCB_MOD_MASK_LOCK;
        return {modifiers, quint16(modifiers | lock), quint16(modifiers | ignored),
                quint16(modifiers | lock | ignored)};
    }

    void release()
    {
        if (!connection || keycodes.empty())
            return;
        for (xcb_keycode_t code : keycodes)
            for (quint16 variant : variants())
                xcb_ungrab_key(connection, code, root, variant);
        xcb_flush(connection);
        keycodes.clear();
        down = false;
    }

    // False with busy set when another client holds one of the grabs.
    bool grab(bool* busy)
    {
        *busy = false;
        std::vector<xcb_void_cookie_t> cookies;
        // owner_events off: the press and its release come to the root window even while one of
        // this program's windows has the focus, so the filter sees both.
        for (xcb_keycode_t code : keycodes)
            for (quint16 variant : variants())
                cookies.push_back(xcb_grab_key_checked(connection, 0, root, variant, code,
                                                       XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        bool ok = true;
        for (const xcb_void_cookie_t& cookie : cookies)
            if (xcb_generic_error_t* error = xcb_request_check(connection, cookie)) {
                ok = false;
                if (error->error_code == BadAccess)
                    *busy = true;
                std::free(error);
            }
        if (!ok)
            release();
        return ok;
    }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (keycodes.empty() || eventType != "xcb_generic_event_t")
            return false;
        auto* event = static_cast<xcb_generic_event_t*>(message);
        const quint8 type = event->response_type & 0x7f;
        if (type != XCB_KEY_PRESS && type != XCB_KEY_RELEASE)
            return false;
        auto* key = reinterpret_cast<xcb_key_press_event_t*>(event);
        bool ours = false;
        for (xcb_keycode_t code : keycodes)
            ours = ours || key->detail == code;
        if (!ours || key->event != root)
            return false;
        if (type == XCB_KEY_RELEASE) {
            down = false;
            return true;
        }
        const quint16 state = key->state & 0xff & ~(XCB_MOD_MASK_LOCK | ignored);
        if (state != modifiers)
            return false;
        // A held key repeats its presses: it counts once until it is let go.
        if (!down) {
            down = true;
            emit owner->activated();
        }
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
    return QGuiApplication::platformName() == QStringLiteral("xcb") && !DesktopBindsKeys();
}

bool TGlobalHotkey::setShortcut(const QKeySequence& keys, QString* error)
{
    d->release();
    m_keys = QKeySequence();
    if (keys.isEmpty())
        return true;
    const QString text = DisplayText(keys);
    auto fail = [&](const QString& message) {
        if (error)
            *error = message;
        return false;
    };
    if (!Available())
        return fail(QStringLiteral("На этом рабочем столе программа не может сама занять "
                                   "сочетание клавиш.\rНазначьте в настройках клавиатуры рабочего "
                                   "стола команду: %1")
                        .arg(ToggleCommandLine()));
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return fail(
            QStringLiteral("Нет связи с X-сервером: сочетание клавиш %1 не назначено.").arg(text));
    d->connection = x11->connection();
    d->root = xcb_setup_roots_iterator(xcb_get_setup(d->connection)).data->root;
    const QKeyCombination combination = keys[0];
    const xcb_keysym_t keysym = KeysymOf(int(combination.key()));
    d->keycodes = keysym ? KeycodesOf(d->connection, keysym) : std::vector<xcb_keycode_t>();
    if (d->keycodes.empty())
        return fail(QStringLiteral("Клавиши %1 нет на этой клавиатуре.").arg(text));
    d->modifiers = ModifiersOf(combination.keyboardModifiers());
    d->ignored = NumLockMask(d->connection);
    bool busy = false;
    if (!d->grab(&busy))
        return fail(busy ? QStringLiteral("Сочетание клавиш %1 уже занято другой программой.\r"
                                          "Выберите другое в настройках программы или отключите "
                                          "его.")
                               .arg(text)
                         : QStringLiteral("X-сервер не дал занять сочетание клавиш %1.").arg(text));
    if (!d->filterInstalled) {
        QCoreApplication::instance()->installNativeEventFilter(d.get());
        d->filterInstalled = true;
    }
    m_keys = QKeySequence(combination);
    return true;
}
