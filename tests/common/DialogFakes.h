#pragma once

// Stand-ins for the choosers and partner windows of the dialogs, answered ahead of time.

#include "commands/Messages.h"
#include "dialogs/IconChooser.h"
#include "platform/FileDialogs.h"

#include <QApplication>
#include <QList>
#include <QStringList>
#include <QTest>
#include <QTimer>

#include <functional>

// Runs action on the modal window once it is up.
inline void onModal(std::function<void(QWidget*)> action)
{
    QTimer::singleShot(0, qApp, [action] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        action(modal);
    });
}

// Answers file and folder choosers from a queue (an empty answer is Cancel) and records where
// each one started.
class TFakeFileDialogs : public IFileDialogs
{
public:
    QString GetSaveFileName(QWidget*, const QString&, const QString& folder, const QString&,
                            const QString&, const QString&, bool) override
    {
        return next(folder);
    }
    QString GetOpenFileName(QWidget*, const QString&, const QString& folder,
                            const QString&) override
    {
        return next(folder);
    }
    QString GetExistingDirectory(QWidget*, const QString&, const QString& folder) override
    {
        return next(folder);
    }

    QStringList answers;
    QStringList startedIn;
    bool unexpected = false;

private:
    QString next(const QString& folder)
    {
        startedIn.append(folder);
        if (answers.isEmpty()) {
            unexpected = true;
            return {};
        }
        return answers.takeFirst();
    }
    TScopedSeam<IFileDialogs> m_seam{SetFileDialogs, this};
};

// Answers the change-icon chooser: the queued file and index, or Cancel when cancel is set.
class TFakeIconChooser : public IIconChooser
{
public:
    bool Execute(QWidget*, QString& file, int& index) override
    {
        startFile = file;
        startIndex = index;
        ++runs;
        if (cancel)
            return false;
        file = answerFile;
        index = answerIndex;
        return true;
    }

    QString answerFile;
    int answerIndex = 0;
    bool cancel = false;
    QString startFile;
    int startIndex = -1;
    int runs = 0;

private:
    TScopedSeam<IIconChooser> m_seam{SetIconChooser, this};
};

// A partner window that records the notices it receives.
class TMessageRecorder : public QObject
{
public:
    struct Received
    {
        int message;
        intptr_t wParam;
        intptr_t lParam;
    };
    bool event(QEvent* event) override
    {
        if (event->type() == TMessageEvent::eventType()) {
            auto* m = static_cast<TMessageEvent*>(event);
            received.append({m->message(), m->wParam(), m->lParam()});
            return true;
        }
        return QObject::event(event);
    }
    QList<Received> received;
};
