#pragma once

#include "CoreSupport.h"
#include "platform/MessageBoxes.h"

#include <QByteArray>
#include <QList>
#include <QString>

// Answers message boxes from a script. A box that the test did not expect fails the test.
class TScriptedMessageBoxes : public IMessageBoxes
{
public:
    struct Shown
    {
        QString text;
        QString caption;
        int flags;
    };

    TScriptedMessageBoxes() = default;
    ~TScriptedMessageBoxes() override;

    // Queues the answer for the next box.
    void expect(int answer) { m_answers.append(answer); }
    int Show(const QString& text, const QString& caption, int flags) override;

    QList<Shown> shown;
    // True when a box came that had no queued answer.
    bool unexpected = false;

private:
    QList<int> m_answers;
    TScopedSeam<IMessageBoxes> m_seam{SetMessageBoxes, this};
};

class QWidget;
// The captions of a shown form that its fonts do not let it show whole: labels, check boxes,
// radio buttons and push buttons narrower than their text, controls reaching past the right of
// their container, and page controls whose tabs do not all fit. Each as "objectName: text".
QStringList clippedCaptions(QWidget* form);
