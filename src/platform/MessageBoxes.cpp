#include "platform/MessageBoxes.h"

#include "platform/Seam.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

class TSystemMessageBoxes : public IMessageBoxes
{
public:
    int Show(const QString& text, const QString& caption, int flags) override
    {
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(caption.isEmpty() ? QApplication::applicationDisplayName() : caption);
        // The program's texts break lines with a carriage return alone.
        QString shown = text;
        shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
        box.setText(shown);
        switch (flags & 0xF0) {
        case MB::ICONERROR:
            box.setIcon(QMessageBox::Critical);
            break;
        case MB::ICONQUESTION:
            box.setIcon(QMessageBox::Question);
            break;
        case MB::ICONWARNING:
            box.setIcon(QMessageBox::Warning);
            break;
        case MB::ICONINFORMATION:
            box.setIcon(QMessageBox::Information);
            break;
        default:
            box.setIcon(QMessageBox::NoIcon);
        }
        QPushButton* ok = box.addButton(QMessageBox::Ok);
        QPushButton* cancel = nullptr;
        if ((flags & 0x0F) == MB::OKCANCEL) {
            cancel = box.addButton(QMessageBox::Cancel);
            box.setEscapeButton(cancel);
        } else {
            box.setEscapeButton(ok);
        }
        box.setDefaultButton((flags & MB::DEFBUTTON2) && cancel ? cancel : ok);
        box.exec();
        if (cancel && box.clickedButton() != ok)
            return IDCANCEL;
        return IDOK;
    }
};

TSeam<IMessageBoxes> seam;

} // namespace

IMessageBoxes& MessageBoxes()
{
    static TSystemMessageBoxes system;
    return *seam.Current(&system);
}

IMessageBoxes* SetMessageBoxes(IMessageBoxes* boxes)
{
    return seam.Replace(boxes);
}

int ShowMessage(const QString& text, const QString& caption, int flags)
{
    return MessageBoxes().Show(text, caption, flags);
}

bool Confirm(const QString& text, const QString& caption, bool okDefault)
{
    const int flags = MB::OKCANCEL | MB::ICONQUESTION | (okDefault ? 0 : MB::DEFBUTTON2);
    return ShowMessage(text, caption, flags) != IDCANCEL;
}

void ShowError(const QString& text, const QString& caption)
{
    ShowMessage(text, caption, MB::OK | MB::ICONERROR);
}
