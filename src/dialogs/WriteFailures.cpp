#include "dialogs/WriteFailures.h"

#include "commands/Command.h"
#include "platform/MessageBoxes.h"
#include "settings/IniFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QSet>
#include <QStringList>
#include <QTimer>

#include <utility>

namespace {

QSet<QString> reported; // told about, until a write of the file succeeds
QStringList pending;    // waiting for their box
IniFile::WriteObserver previous;
bool installed = false;

void tellPending()
{
    if (IsInputHeld()) {
        // A click holds the interface: the box comes once it is free again.
        QTimer::singleShot(TCommand::PressedTime, QCoreApplication::instance(), tellPending);
        return;
    }
    const QStringList files = std::exchange(pending, {});
    if (files.isEmpty())
        return;
    QStringList names;
    for (const QString& file : files) {
        reported.insert(file);
        names.append(QDir::toNativeSeparators(file));
    }
    ShowError((files.size() == 1 ? QStringLiteral("Не удалось сохранить изменения в файле\r")
                                 : QStringLiteral("Не удалось сохранить изменения в файлах\r")) +
                  names.join(u'\r') +
                  QStringLiteral("\rПроверьте, что папка настроек доступна для записи."),
              QStringLiteral("Ошибка сохранения"));
}

void observe(const QString& file, bool ok)
{
    if (ok) {
        reported.remove(file);
        pending.removeAll(file);
        return;
    }
    if (reported.contains(file) || pending.contains(file))
        return;
    pending.append(file);
    if (pending.size() == 1 && QCoreApplication::instance())
        QTimer::singleShot(0, QCoreApplication::instance(), tellPending);
}

} // namespace

namespace WriteFailures {

void Install()
{
    if (installed)
        return;
    installed = true;
    previous = IniFile::setWriteObserver(observe);
}

void Uninstall()
{
    if (!installed)
        return;
    installed = false;
    IniFile::setWriteObserver(std::move(previous));
    previous = nullptr;
    reported.clear();
    pending.clear();
}

void MarkPendingReported()
{
    for (const QString& file : std::exchange(pending, {}))
        reported.insert(file);
}

} // namespace WriteFailures
