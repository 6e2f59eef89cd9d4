#include "app/ProfileVerbs.h"

#include "app/Main.h"
#include "app/Verbs.h"
#include "pages/CommandsPage.h"
#include "pages/MyPageControl.h"
#include "profile/Profile.h"
#include "settings/Folders.h"
#include "settings/SettingsImport.h"
#include "text/Paths.h"

#include <QApplication>
#include <QPointer>

namespace {

TVerbResult Done(const QString& text)
{
    return {true, text};
}

TVerbResult Failed(const QString& text)
{
    return {false, text};
}

// A change under an open dialog would pull its buttons away from under it: the dialog goes first.
bool DialogOpen(TVerbResult* refusal)
{
    const QWidget* dialog = QApplication::activeModalWidget();
    if (!dialog)
        return false;
    *refusal = Failed(QStringLiteral("В программе открыто окно «%1». Закройте его и повторите.")
                          .arg(dialog->windowTitle()));
    return true;
}

TVerbResult RunCommand(TfmMain* window, int page, int button, const QString& description)
{
    const TProfile profile(Folders::appFolder());
    QString error;
    const TButtonPlace place = profile.Find(
        page > 0 ? QStringLiteral("%1:%2").arg(page).arg(button) : description, &error);
    if (!place.IsValid())
        return Failed(error);
    TCommand* command = window->MainMyPageControl->GetCommand(place.page, place.button);
    if (!command || command->IsEmpty())
        return Failed(
            QStringLiteral("Кнопка %1:%2 пуста.").arg(place.page + 1).arg(place.button + 1));
    const QString name = command->DisplayName();
    // A click on a command whose file is gone opens its parameters: from a script nobody would
    // answer that window.
    if (QString missing; command->FileMissing(&missing))
        return Failed(missing.isEmpty()
                          ? QStringLiteral("Команда «%1» не запущена: у неё не указан файл "
                                           "иконки. Укажите его в параметрах команды.")
                                .arg(name)
                          : QStringLiteral("Команда «%1» не запущена: не найден файл\r\"%2\"")
                                .arg(name, missing));
    command->Click();
    return Done(QStringLiteral("Запущена команда «%1».").arg(name));
}

TVerbResult AddCommand(TfmMain* window, const QString& path, int page)
{
    if (TVerbResult refusal; DialogOpen(&refusal))
        return refusal;
    TMyPageControl* pc = window->MainMyPageControl;
    const int position = page > 0 ? page - 1 : pc->ActivePageIndex();
    TCommandsPage* target = pc->Page(position);
    if (!target)
        return Failed(QStringLiteral("Нет страницы с номером %1: страниц %2.")
                          .arg(position + 1)
                          .arg(pc->PageCount()));
    const TDroppedItem item{path, QString(), IsLinkAddress(path)};
    const TfmMain::TDropResult result = window->FillFromDrop({item}, target, -1, false);
    if (!result.refusals.isEmpty())
        return Failed(result.refusals.join(u'\r'));
    if (result.placed == 0)
        return Failed(QStringLiteral("На странице «%1» нет пустых кнопок.").arg(target->Caption()));
    return Done(QStringLiteral("Команда добавлена на страницу «%1».").arg(target->Caption()));
}

TVerbResult ImportFile(TfmMain* window, const QString& file)
{
    if (TVerbResult refusal; window && DialogOpen(&refusal))
        return refusal;
    QString message;
    const auto import = [&] {
        return ImportSettingsFile(file, Folders::appFolder(), &message) == 0;
    };
    // With a window, shown at once and undone as one step, as the import from the menu is.
    const bool done =
        window ? window->ReplaceSettings(QStringLiteral("импорт настроек"), import) : import();
    return {done, message};
}

} // namespace

void ConnectProfileVerbs(TVerbs& verbs, TfmMain* window)
{
    const QPointer<TfmMain> main(window);
    verbs.List = [](bool json) {
        const TProfile profile(Folders::appFolder());
        return Done(json ? QString::fromUtf8(profile.ListJson()) : profile.ListText());
    };
    verbs.Export = [](const QString& file) {
        QString message;
        const int code = ExportSettingsFile(file, Folders::appFolder(), &message);
        return TVerbResult{code == 0, message};
    };
    verbs.Import = [main](const QString& file) { return ImportFile(main, file); };
    verbs.Run = [main](int page, int button, const QString& description) {
        return main ? RunCommand(main, page, button, description)
                    : Failed(QStringLiteral("Окно программы не открыто."));
    };
    verbs.Add = [main](const QString& path, int page) {
        return main ? AddCommand(main, path, page)
                    : Failed(QStringLiteral("Окно программы не открыто."));
    };
}
