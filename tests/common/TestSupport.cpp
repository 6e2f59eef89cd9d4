#include "TestSupport.h"

#include <QAbstractButton>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <algorithm>

TScriptedMessageBoxes::~TScriptedMessageBoxes()
{
    if (!m_answers.isEmpty())
        qWarning("%d scripted message box answer(s) were not used", int(m_answers.size()));
}

int TScriptedMessageBoxes::Show(const QString& text, const QString& caption, int flags)
{
    shown.append({text, caption, flags});
    if (m_answers.isEmpty()) {
        unexpected = true;
        QTest::qFail(qPrintable(QStringLiteral("unexpected message box: ") + caption +
                                QStringLiteral(": ") + text),
                     __FILE__, __LINE__);
        return IDCANCEL;
    }
    return m_answers.takeFirst();
}

namespace {

bool shownWith(const QWidget* widget, const QWidget* form)
{
    for (const QWidget* w = widget; w && w != form; w = w->parentWidget())
        if (w->isHidden() && !qobject_cast<const QStackedWidget*>(w->parentWidget()))
            return false;
    return true;
}

} // namespace

QStringList clippedCaptions(QWidget* form)
{
    QStringList clipped;
    for (QWidget* widget : form->findChildren<QWidget*>()) {
        QWidget* parent = widget->parentWidget();
        if (!parent || widget->isWindow() || !shownWith(widget, form))
            continue;
        auto name = [widget](const QString& text) {
            return widget->objectName() + QStringLiteral(": ") + text;
        };
        if (auto* tabs = qobject_cast<QTabWidget*>(widget)) {
            const QTabBar* bar = tabs->tabBar();
            for (int i = 0; i < bar->count(); ++i) {
                const QRect r = bar->tabRect(i);
                if (r.right() >= tabs->width() ||
                    r.width() < bar->fontMetrics().horizontalAdvance(bar->tabText(i)))
                    clipped << name(bar->tabText(i));
            }
            continue;
        }
        QString text;
        int needed = 0;
        if (auto* label = qobject_cast<QLabel*>(widget);
            label && !label->wordWrap() && label->pixmap().isNull() && !label->text().isEmpty()) {
            text = label->text();
            needed = label->sizeHint().width();
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget);
                   button && !button->text().isEmpty()) {
            text = button->text();
            needed = button->fontMetrics().horizontalAdvance(QString(text).remove(u'&'));
            if (!qobject_cast<QPushButton*>(button))
                needed = std::max(needed, button->sizeHint().width());
        } else {
            continue;
        }
        if (widget->width() < needed || widget->geometry().right() >= parent->width())
            clipped << name(text);
    }
    return clipped;
}
