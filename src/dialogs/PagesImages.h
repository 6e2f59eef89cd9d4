#pragma once

#include "dialogs/CustomOptions.h"
#include "images/Bmp.h"
#include "images/Repository.h"

#include <QPointer>

class QFrame;
class QListWidget;
class QListWidgetItem;
class QPushButton;

// The dialog in which the user keeps the page pictures: add a 16 x 16 bitmap under a name,
// delete, replace or rename one. It works on a repository of its own; the file changes only
// when the user confirms with OK.
class TfmPagesImages : public TfmCustomOptions
{
    Q_OBJECT
public:
    // fileName: the repository file; mainWindow: the owner of the dialog and of the input box.
    TfmPagesImages(QWidget* mainWindow, const QString& fileName);
    ~TfmPagesImages() override;

    TRepository& Repository() { return m_repository; }

    QListWidget* TabsIconsListView;
    QFrame* ButtonsPanel;
    QPushButton* AddBitBtn;
    QPushButton* DelBitBtn;
    QPushButton* ReplaceBitBtn;
    QPushButton* btnEdit;

    void AddBitBtnClick();
    void DelBitBtnClick();
    void ReplaceBitBtnClick();
    void btnEditClick();

protected:
    void OkButtonClick() override;
    void showEvent(QShowEvent* event) override;

private:
    QListWidgetItem* selectedItem() const;
    QListWidgetItem* addListItem(const QString& name, const QImage& picture);
    // Asks for a picture file and reads it into the work bitmap; false when cancelled, unreadable
    // or of the wrong size (the user has been told).
    QString choosePictureFile();
    bool loadWorkBitmap(const QString& path);
    // Renames the item's image unless another one has the name; false when refused.
    bool renameItem(QListWidgetItem* item, const QString& oldName, const QString& newName);
    void TabsIconsListViewEdited(QListWidgetItem* item);

    QPointer<QWidget> m_mainWindow;
    TRepository m_repository;
    TBitmap m_workBitmap;
    bool m_filling = false;
};
