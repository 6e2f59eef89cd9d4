#pragma once

#include "platform/Seam.h"

#include <QDialog>
#include <QList>
#include <QPixmap>
#include <QString>

class QLineEdit;
class QListWidget;
class QPushButton;

// The change-icon chooser, reached through one seam so tests can answer it ahead of time.
class IIconChooser
{
public:
    virtual ~IIconChooser() = default;
    // Shows the icons of file with the one at index selected. On OK returns true with the chosen
    // file and index in the two arguments; on Cancel returns false and leaves them alone.
    virtual bool Execute(QWidget* parent, QString& file, int& index) = 0;
};

// The chooser in use; the real one unless a test has set its own.
IIconChooser& IconChooser();
// Replaces the chooser (null restores the real one); returns the previous replacement.
// Tests put theirs in place with TScopedSeam, which restores the previous one.
IIconChooser* SetIconChooser(IIconChooser* chooser);

// Every icon a file offers at the given size: all images of a multi-image icon file, the picture
// of an image file, the icon of its type for any other file; empty for a missing file.
QList<QPixmap> FileIcons(const QString& file, int size);

// The window of the real chooser: the file's name with a browse button above the list of its
// icons.
class TfmChangeIcon : public QDialog
{
    Q_OBJECT
public:
    TfmChangeIcon(QWidget* parent, const QString& file, int index);

    QString FileName() const;
    // The selected icon, -1 when none is selected.
    int IconIndex() const;
    // Shows the icons of another file, the first one selected.
    void SetFileName(const QString& file);

    QLineEdit* FileNameEdit;
    QPushButton* BrowseButton;
    QListWidget* IconsListWidget;
    QPushButton* OkButton;
    QPushButton* CancelButton;

private:
    void BrowseButtonClick();
    void Fill(int index);
    void UpdateOk();
};
