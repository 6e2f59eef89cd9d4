#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <cstdint>

// Notices between the program's windows. They are delivered synchronously: the sender waits
// until the receiver has handled them. A command travels as its address in the profile (a hover
// names the button under the pointer); 0 and -1 stand for no command.
enum TUserMessage : int
{
    UM_COMMAND_ENTER = 0x401,
    UM_COMMAND_LEAVE = 0x402,
    UM_COMMAND_RUN = 0x403,
    UM_COMMAND_CLEARED = 0x404,
    UM_COMMAND_CHANGED = 0x405,
    UM_COMMAND_FILLED = 0x406,
    UM_COMMAND_MOVED = 0x407,
    UM_HISTORY_REPLACE = 0x408,
    UM_RESHOW = 0x40A,
    UM_HISTORY_CLEAR = 0x40B,
};

class TMessageEvent : public QEvent
{
public:
    // All notices share one event type; the message number tells them apart.
    static QEvent::Type eventType()
    {
        static const QEvent::Type type = QEvent::Type(QEvent::registerEventType());
        return type;
    }

    TMessageEvent(int message, intptr_t wParam, intptr_t lParam)
        : QEvent(eventType()), m_message(message), m_wParam(wParam), m_lParam(lParam)
    {}

    int message() const { return m_message; }
    intptr_t wParam() const { return m_wParam; }
    intptr_t lParam() const { return m_lParam; }
    // What the receiver answers, like a window procedure's result.
    intptr_t result = 0;

private:
    int m_message;
    intptr_t m_wParam;
    intptr_t m_lParam;
};

// Delivers a notice and waits for it to be handled; a null receiver is ignored.
inline intptr_t SendMessage(QObject* receiver, int message, intptr_t wParam = 0,
                            intptr_t lParam = 0)
{
    if (!receiver)
        return 0;
    TMessageEvent event(message, wParam, lParam);
    QCoreApplication::sendEvent(receiver, &event);
    return event.result;
}

template <typename T> intptr_t toParam(T* pointer)
{
    return reinterpret_cast<intptr_t>(pointer);
}
