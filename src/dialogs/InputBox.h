#pragma once

#include "platform/Seam.h"

#include <QString>

#include <memory>

class QDialog;
class QWidget;

// The program's prompts for a line of text, reached through one seam so tests can answer them.
class IInputBoxes
{
public:
    virtual ~IInputBoxes() = default;
    // See InputBox below; text holds the initial text and receives the result.
    virtual bool InputBox(const QString& caption, const QString& prompt, QString& text,
                          bool editVisible, bool okIsDefault, QWidget* mainWindow) = 0;
    // The standard query for a line of text: no length limit, centred over the parent.
    virtual bool InputQuery(const QString& caption, const QString& prompt, QString& text,
                            QWidget* parent) = 0;
};

// The prompts in use; the real ones unless a test has set its own.
IInputBoxes& InputBoxes();
// Replaces the prompts (null restores the real ones); returns the previous replacement.
// Tests put theirs in place with TScopedSeam, which restores the previous one.
IInputBoxes* SetInputBoxes(IInputBoxes* boxes);

// Shows the input box beside the main window: a prompt, an edit of at most 25 characters with the
// initial text selected, and the buttons "Ok" and "Отмена". Returns true and sets resultText when
// the user leaves with OK; otherwise returns false and leaves resultText unchanged.
bool InputBox(const QString& caption, const QString& prompt, const QString& initialText,
              bool editVisible, bool okIsDefault, QString& resultText, QWidget* mainWindow);
// Shows the standard query; true and the new text in text on OK.
bool InputQuery(const QString& caption, const QString& prompt, QString& text,
                QWidget* parent = nullptr);

// The input box form, laid out and placed but not shown. Its edit is named "Edit", its buttons
// "OkButton" and "CancelButton". maxLength 0: no limit.
std::unique_ptr<QDialog> CreateInputBoxForm(const QString& caption, const QString& prompt,
                                            const QString& initialText, bool editVisible,
                                            bool okIsDefault, QWidget* mainWindow,
                                            int maxLength = 25);
