#include "TestSupport.h"

#include <QFile>
#include <QTest>

TScriptedMessageBoxes::TScriptedMessageBoxes() : m_previous(SetMessageBoxes(this)) {}

TScriptedMessageBoxes::~TScriptedMessageBoxes()
{
    SetMessageBoxes(m_previous);
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

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}
