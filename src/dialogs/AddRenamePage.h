#pragma once

#include "dialogs/CustomOptions.h"

#include <QList>
#include <QPixmap>
#include <QStringList>

class QComboBox;
class QLabel;
class QLineEdit;

// "Параметры страницы": the name and the picture of a page, for adding a page, renaming the
// active one or changing its picture. The caller checks and applies what it reads back.
class TfmAddRenamePage : public TfmCustomOptions
{
    Q_OBJECT
public:
    enum TMode
    {
        AddPage,
        RenamePage,
        ChangeImage
    };
    static constexpr QSize DesignClientSize{270, 215};
    static constexpr int MaxNameLength = 15;

    // imageNames and images: the page pictures in repository order (the dialog keeps a copy).
    TfmAddRenamePage(QWidget* owner, TMode mode, const QStringList& imageNames,
                     const QList<QPixmap>& images, const QString& initialName);

    TMode Mode() const { return m_mode; }
    // The name typed, without blanks at either end.
    QString PageName() const;
    // The selected entry: 0 "Нет", i + 1 the i-th picture, -1 none.
    int SelectedImageEntry() const;
    void FormActivate();

    QLabel* PromptLabel;
    QLineEdit* Edit;
    QLabel* Label4;
    QComboBox* PagesImagesImageComboBox;
    QList<QPixmap> PagesImageList;

protected:
    // An empty or blank name is refused with a message; the dialog stays open.
    void OkButtonClick() override;
    void showEvent(QShowEvent* event) override;

private:
    TMode m_mode;
};
