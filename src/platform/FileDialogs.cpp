#include "platform/FileDialogs.h"

#include "platform/Seam.h"

#include <QDir>
#include <QFileDialog>

namespace {

class TSystemFileDialogs : public IFileDialogs
{
public:
    QString GetSaveFileName(QWidget* parent, const QString& title, const QString& folder,
                            const QString& proposedName, const QString& filter,
                            const QString& defaultSuffix, bool confirmOverwrite) override
    {
        QFileDialog dialog(parent, title, folder, filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(defaultSuffix);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, !confirmOverwrite);
        if (!proposedName.isEmpty())
            dialog.selectFile(QDir(folder).filePath(proposedName));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        return dialog.selectedFiles().constFirst();
    }

    QString GetOpenFileName(QWidget* parent, const QString& title, const QString& folder,
                            const QString& filter) override
    {
        return QFileDialog::getOpenFileName(parent, title, folder, filter);
    }

    QString GetExistingDirectory(QWidget* parent, const QString& title,
                                 const QString& folder) override
    {
        return QFileDialog::getExistingDirectory(parent, title, folder);
    }
};

TSeam<IFileDialogs> seam;

} // namespace

IFileDialogs& FileDialogs()
{
    static TSystemFileDialogs system;
    return *seam.Current(&system);
}

IFileDialogs* SetFileDialogs(IFileDialogs* dialogs)
{
    return seam.Replace(dialogs);
}
