#pragma once

#include "platform/Seam.h"

#include <QString>

class QWidget;

// The system message box, reached through one seam so tests can answer it ahead of time.
// Flags and results keep the Windows values the program's texts are written against.
namespace MB {
constexpr int OK = 0x0;
constexpr int OKCANCEL = 0x1;
constexpr int ICONERROR = 0x10;
constexpr int ICONQUESTION = 0x20;
constexpr int ICONWARNING = 0x30;
constexpr int ICONINFORMATION = 0x40;
constexpr int DEFBUTTON2 = 0x100;
} // namespace MB

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

class IMessageBoxes
{
public:
    virtual ~IMessageBoxes() = default;
    // text: lines separated by "\r"; caption empty means the application title.
    // Returns IDOK or IDCANCEL (closing the box counts as Cancel).
    virtual int Show(const QString& text, const QString& caption, int flags) = 0;
};

// The boxes in use; the real ones unless a test has set its own.
IMessageBoxes& MessageBoxes();
// Replaces the boxes (null restores the real ones); returns the previous replacement.
// Tests put theirs in place with TScopedSeam, which restores the previous one.
IMessageBoxes* SetMessageBoxes(IMessageBoxes* boxes);

// Shorthand for the common cases.
int ShowMessage(const QString& text, const QString& caption, int flags);
// A confirmation with OK and Cancel, question icon, Cancel the default unless okDefault.
bool Confirm(const QString& text, const QString& caption, bool okDefault = false);
void ShowError(const QString& text, const QString& caption);
