#pragma once

#include "dialogs/Custom.h"

class QLabel;
class QPushButton;
class QTreeWidget;

// The list of the settings backups, newest first, with their dates and sizes. "Восстановить"
// asks the owner to restore the chosen one (restoreRequested); the owner asks the user and
// closes the list when the backup took the settings' place.
class TfmBackups : public TfmCustom
{
    Q_OBJECT
public:
    TfmBackups(QWidget* parent, const QString& settingsFolder);

    QTreeWidget* List = nullptr;
    QPushButton* RestoreButton = nullptr;
    QPushButton* CloseButton = nullptr;
    QLabel* FolderLabel = nullptr;

signals:
    void restoreRequested(const QString& path);

private:
    void Fill();
    void RestoreChosen();

    QString m_folder;
};

// A size for people: "812 байт", "14,2 КБ", "3,1 МБ".
QString SizeText(qint64 bytes);
