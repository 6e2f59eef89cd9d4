#include "dialogs/Backups.h"

#include "settings/SettingsImport.h"

#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>

TfmBackups::TfmBackups(QWidget* parent, const QString& settingsFolder)
    : TfmCustom(parent), m_folder(settingsFolder)
{
    setObjectName(QStringLiteral("fmBackups"));
    setWindowTitle(QStringLiteral("Резервные копии"));
    resize(340, 300);

    FolderLabel = new QLabel(this);
    FolderLabel->setObjectName(QStringLiteral("FolderLabel"));
    FolderLabel->setGeometry(8, 8, 324, 32);
    FolderLabel->setWordWrap(true);
    FolderLabel->setText(
        QStringLiteral("Копии настроек, сделанные при запуске программы, в папке\n%1")
            .arg(QDir::toNativeSeparators(BackupsFolder(settingsFolder))));

    List = new QTreeWidget(this);
    List->setObjectName(QStringLiteral("List"));
    List->setGeometry(8, 46, 324, 210);
    List->setRootIsDecorated(false);
    List->setHeaderLabels({QStringLiteral("Дата"), QStringLiteral("Размер")});
    List->header()->setStretchLastSection(false);
    List->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    List->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);

    RestoreButton = new QPushButton(QStringLiteral("Восстановить"), this);
    RestoreButton->setObjectName(QStringLiteral("RestoreButton"));
    RestoreButton->setGeometry(150, 264, 100, 25);
    CloseButton = new QPushButton(QStringLiteral("Закрыть"), this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    CloseButton->setGeometry(256, 264, 76, 25);

    connect(RestoreButton, &QPushButton::clicked, this, &TfmBackups::RestoreChosen);
    connect(List, &QTreeWidget::itemDoubleClicked, this, &TfmBackups::RestoreChosen);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(List, &QTreeWidget::currentItemChanged, this,
            [this] { RestoreButton->setEnabled(List->currentItem() != nullptr); });
    Fill();
}

void TfmBackups::Fill()
{
    List->clear();
    for (const TBackupInfo& backup : ListBackups(m_folder)) {
        auto* item = new QTreeWidgetItem(
            List, {QLocale().toString(backup.Date, QStringLiteral("dd.MM.yyyy HH:mm:ss")),
                   SizeText(backup.Size)});
        item->setData(0, Qt::UserRole, backup.Path);
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    }
    if (List->topLevelItemCount() > 0)
        List->setCurrentItem(List->topLevelItem(0));
    else
        new QTreeWidgetItem(List, {QStringLiteral("Резервных копий пока нет")});
    RestoreButton->setEnabled(List->currentItem() != nullptr);
}

void TfmBackups::RestoreChosen()
{
    const QTreeWidgetItem* item = List->currentItem();
    const QString path = item ? item->data(0, Qt::UserRole).toString() : QString();
    if (!path.isEmpty())
        emit restoreRequested(path);
}

QString SizeText(qint64 bytes)
{
    const QLocale locale;
    if (bytes < 1024)
        return QStringLiteral("%1 байт").arg(bytes);
    if (bytes < 1024 * 1024)
        return QStringLiteral("%1 КБ").arg(locale.toString(bytes / 1024.0, 'f', 1));
    return QStringLiteral("%1 МБ").arg(locale.toString(bytes / (1024.0 * 1024.0), 'f', 1));
}
