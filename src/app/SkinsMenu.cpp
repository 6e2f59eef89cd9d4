#include "app/SkinsMenu.h"

#include "platform/MessageBoxes.h"
#include "settings/SystemSettings.h"
#include "skin/SkinEngine.h"

#include <QAction>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QMenu>

const QString TSkinsMenu::NoSkin = QStringLiteral("Не использовать скины");

namespace {

QString withoutAmpersands(QString text)
{
    return text.remove(u'&');
}

} // namespace

TSkinsMenu::TSkinsMenu(QMenu* menu, TSkinEngine* engine, const QString& skinsFolder,
                       QObject* parent)
    : QObject(parent), m_menu(menu), m_engine(engine), m_skinsFolder(skinsFolder)
{}

QStringList TSkinsMenu::ListSkins(const QString& skinsFolder)
{
    QStringList names{NoSkin};
    if (skinsFolder.isEmpty())
        return names;
    // The iterator gives the directory's own order; folders and hidden or system files named
    // like skins are listed too.
    QDirIterator it(skinsFolder, {QStringLiteral("*.skn")},
                    QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        const QString name = it.nextFileInfo().fileName();
        if (name != u"." && name != u".." && name.contains(u'.'))
            names.append(name);
    }
    return names;
}

int TSkinsMenu::Build()
{
    const QStringList names = ListSkins(m_skinsFolder);
    if (!m_menu)
        return int(names.size());
    const QString chosen = SystemSettings ? SystemSettings->SelectedSkinFileName() : NoSkin;
    for (const QString& name : names) {
        QAction* action = m_menu->addAction(name);
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, [this, action] { itemClicked(action); });
    }
    Mark(chosen);
    return int(names.size());
}

bool TSkinsMenu::ShiftsWindow(int entryCount)
{
    return entryCount > 1 && SystemSettings && SystemSettings->SelectedSkinFileName() != NoSkin;
}

void TSkinsMenu::Mark(const QString& name)
{
    if (!m_menu)
        return;
    for (QAction* action : m_menu->actions()) {
        const bool on = withoutAmpersands(action->text()) == name;
        action->setChecked(on);
        QFont font = action->font();
        font.setBold(on);
        action->setFont(font);
    }
}

void TSkinsMenu::itemClicked(QAction* action)
{
    if (SystemSettings)
        SystemSettings->SetSelectedSkinFileName(withoutAmpersands(action->text()));
    ApplyChosenSkin();
}

void TSkinsMenu::ApplyChosenSkin()
{
    const QString name = SystemSettings ? SystemSettings->SelectedSkinFileName() : NoSkin;
    if (name == NoSkin) {
        if (m_engine)
            m_engine->SetActive(false);
        Mark(NoSkin);
        return;
    }
    const QString path = m_skinsFolder + name;
    if (!QFileInfo(path).isFile()) {
        if (m_engine)
            m_engine->SetActive(false);
        Mark(NoSkin);
        ShowMessage(QStringLiteral("В папке %1\rФайл скина %2 не найден!").arg(m_skinsFolder, name),
                    QString(), MB::OK | MB::ICONERROR);
        return;
    }
    if (!m_engine)
        return;
    QString error;
    TSkinReader::Status status = TSkinReader::Status::Loaded;
    const bool loaded = m_engine->Active() ? m_engine->SetSkinFile(path, &error, &status)
                                           : (m_engine->SetSkinFile(path) &&
                                              m_engine->SetActive(true, &error, &status));
    if (loaded) {
        Mark(name);
        return;
    }
    // A skin that cannot be read leaves the drawing as it was; the marks follow what is drawn.
    Mark(m_engine->Active() ? QFileInfo(m_engine->LoadedFile()).fileName() : NoSkin);
    ShowMessage(error, QString(),
                status == TSkinReader::Status::OlderSkin ? MB::OK | MB::ICONINFORMATION
                                                         : MB::OK | MB::ICONERROR);
}
