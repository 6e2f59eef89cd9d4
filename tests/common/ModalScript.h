#pragma once

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <deque>
#include <functional>

// Acts on each modal dialog as it is shown, step by step; a dialog with no step left is
// cancelled, so no test can hang on one.
class TModalScript : public QObject
{
public:
    using Step = std::function<void(QDialog*)>;
    TModalScript() { qApp->installEventFilter(this); }
    ~TModalScript() override { qApp->removeEventFilter(this); }
    void then(Step step) { m_steps.push_back(std::move(step)); }
    int shown = 0;
    bool unexpected = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (event->type() == QEvent::Show && dialog && dialog->isModal()) {
            ++shown;
            QPointer<QDialog> guard(dialog);
            QTimer::singleShot(0, this, [this, guard] {
                if (!guard)
                    return;
                if (m_steps.empty()) {
                    unexpected = true;
                    guard->reject();
                    return;
                }
                Step step = std::move(m_steps.front());
                m_steps.pop_front();
                step(guard);
            });
        }
        return false;
    }

private:
    std::deque<Step> m_steps;
};
