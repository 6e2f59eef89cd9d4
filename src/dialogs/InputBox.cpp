#include "dialogs/InputBox.h"

#include "dialogs/Custom.h"
#include "platform/Seam.h"
#include "settings/Constants.h"

#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace {

constexpr int InputBoxMaxLength = 25;
// The box's outer width less the two 3-pixel borders of a dialog frame.
constexpr int ClientWidth = Constants::InputBoxWidth - 6;

bool runForm(QDialog& form, QString& text)
{
    if (form.exec() != QDialog::Accepted)
        return false;
    text = form.findChild<QLineEdit*>(QStringLiteral("Edit"))->text();
    return true;
}

class TSystemInputBoxes : public IInputBoxes
{
public:
    bool InputBox(const QString& caption, const QString& prompt, QString& text, bool editVisible,
                  bool okIsDefault, QWidget* mainWindow) override
    {
        auto form = CreateInputBoxForm(caption, prompt, text, editVisible, okIsDefault, mainWindow,
                                       InputBoxMaxLength);
        return runForm(*form, text);
    }

    bool InputQuery(const QString& caption, const QString& prompt, QString& text,
                    QWidget* parent) override
    {
        auto form = CreateInputBoxForm(caption, prompt, text, true, true, nullptr, 0);
        if (parent) {
            form->setParent(parent, form->windowFlags());
            const QRect over = parent->window()->frameGeometry();
            form->move(over.center() - QPoint(form->width() / 2, form->height() / 2));
        }
        return runForm(*form, text);
    }
};

TSeam<IInputBoxes> seam;

} // namespace

IInputBoxes& InputBoxes()
{
    static TSystemInputBoxes system;
    return *seam.Current(&system);
}

IInputBoxes* SetInputBoxes(IInputBoxes* boxes)
{
    return seam.Replace(boxes);
}

bool InputBox(const QString& caption, const QString& prompt, const QString& initialText,
              bool editVisible, bool okIsDefault, QString& resultText, QWidget* mainWindow)
{
    QString text = initialText;
    if (!InputBoxes().InputBox(caption, prompt, text, editVisible, okIsDefault, mainWindow))
        return false;
    resultText = text;
    return true;
}

bool InputQuery(const QString& caption, const QString& prompt, QString& text, QWidget* parent)
{
    QString entered = text;
    if (!InputBoxes().InputQuery(caption, prompt, entered, parent))
        return false;
    text = entered;
    return true;
}

std::unique_ptr<QDialog> CreateInputBoxForm(const QString& caption, const QString& prompt,
                                            const QString& initialText, bool editVisible,
                                            bool okIsDefault, QWidget* mainWindow, int maxLength)
{
    auto form = std::make_unique<QDialog>(
        mainWindow, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                        Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    ApplyCustomLook(form.get());
    const QSize avg = AverageCharSize(form->font());
    const int W = avg.width();
    const int H = avg.height();
    form->setWindowTitle(caption);

    auto* label = new QLabel(prompt, form.get());
    label->setObjectName(QStringLiteral("Prompt"));
    label->setWordWrap(true);
    const int maxWidth = MulDiv(164, W, 4);
    const QRect text = QFontMetrics(form->font())
                           .boundingRect(QRect(0, 0, maxWidth, 100000), Qt::TextWordWrap, prompt);
    label->setGeometry(MulDiv(8, W, 4), MulDiv(8, H, 8), qMin(maxWidth, text.width() + 1),
                       qMax(H, text.height()));
    const int labelBottom = label->y() + label->height();

    auto* edit = new QLineEdit(form.get());
    edit->setObjectName(QStringLiteral("Edit"));
    if (maxLength > 0)
        edit->setMaxLength(maxLength);
    edit->setText(initialText);
    edit->selectAll();
    edit->setGeometry(label->x(), labelBottom + 5, MulDiv(164, W, 4), H + 8);
    edit->setVisible(editVisible);

    const int rowTop = editVisible ? edit->y() + edit->height() + 15 : labelBottom + 15;
    const int buttonWidth = MulDiv(50, W, 4);
    const int buttonHeight = MulDiv(15, H, 8);
    auto* ok = new QPushButton(QStringLiteral("Ok"), form.get());
    ok->setObjectName(QStringLiteral("OkButton"));
    ok->setGeometry(MulDiv(38, W, 4), rowTop, buttonWidth, buttonHeight);
    auto* cancel = new QPushButton(QStringLiteral("Отмена"), form.get());
    cancel->setObjectName(QStringLiteral("CancelButton"));
    cancel->setGeometry(MulDiv(92, W, 4), rowTop, buttonWidth, buttonHeight);
    QObject::connect(ok, &QPushButton::clicked, form.get(), &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, form.get(), &QDialog::reject);
    ok->setDefault(okIsDefault);
    cancel->setDefault(!okIsDefault);
    // The default button comes right after the edit in the tab order.
    if (okIsDefault) {
        QWidget::setTabOrder(edit, ok);
        QWidget::setTabOrder(ok, cancel);
    } else {
        QWidget::setTabOrder(edit, cancel);
        QWidget::setTabOrder(cancel, ok);
    }

    form->setFixedSize(ClientWidth, cancel->y() + cancel->height() + 13);
    if (editVisible)
        edit->setFocus();
    else
        (okIsDefault ? ok : cancel)->setFocus();
    if (mainWindow)
        PlaceBesideMainWindow(mainWindow, form.get());
    return form;
}
