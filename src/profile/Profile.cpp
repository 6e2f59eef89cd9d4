#include "profile/Profile.h"

#include "history/RepositoryCommands.h"
#include "profile/ProfileModel.h"
#include "settings/Constants.h"
#include "settings/IniFile.h"
#include "settings/SystemSettings.h"
#include "text/Text.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

TProfile::TProfile(const QString& folder)
{
    // Read as a start reads it, repairs and all, without writing anything.
    const std::unique_ptr<TProfileModel> model = TProfileModel::ReadFolder(folder);
    m_colCount = model->ColCount();
    m_commandsCount = model->CommandsCount();
    const IniFile* stat = model->RunStatIniFile();
    for (int p = 0; p < model->PageCount(); ++p) {
        const TProfilePage* source = model->Page(p);
        TPageRecord page;
        page.caption = source->Caption();
        page.imageIndex = source->ImageIndex();
        for (const TProfileCommand* command : source->Commands()) {
            TCommandRecord copy(command->PageNumber(), command->ButtonNumber());
            copy.AssignFields(*command);
            page.commands.append(copy);
            page.runCounts.append(TRepositoryCommand::parseCount(stat->readString(
                command->SectionName(), TRepositoryCommands::RunCountKey, QString())));
        }
        m_pages.append(page);
    }
}

int TProfile::CommandCount() const
{
    int count = 0;
    for (const TPageRecord& page : m_pages)
        count += int(std::count_if(page.commands.begin(), page.commands.end(),
                                   [](const TCommandRecord& c) { return !c.IsEmpty(); }));
    return count;
}

const TCommandRecord* TProfile::Command(const TButtonPlace& place) const
{
    if (place.page < 0 || place.page >= m_pages.size())
        return nullptr;
    const QList<TCommandRecord>& commands = m_pages[place.page].commands;
    return place.button >= 0 && place.button < commands.size() ? &commands[place.button] : nullptr;
}

TButtonPlace TProfile::Find(const QString& name, QString* error) const
{
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return TButtonPlace();
    };
    const QString wanted = name.trimmed();
    if (wanted.isEmpty())
        return fail(QStringLiteral("Не указана команда."));
    // "page:button", the page by number or caption.
    const qsizetype colon = wanted.lastIndexOf(u':');
    if (colon > 0) {
        bool buttonOk = false;
        const int button = wanted.mid(colon + 1).trimmed().toInt(&buttonOk);
        const QString pageName = wanted.left(colon).trimmed();
        if (buttonOk) {
            bool pageOk = false;
            int page = pageName.toInt(&pageOk) - 1;
            if (!pageOk) {
                page = -1;
                for (int p = 0; p < m_pages.size() && page < 0; ++p)
                    if (m_pages[p].caption.compare(pageName, Qt::CaseInsensitive) == 0)
                        page = p;
                if (page < 0)
                    return fail(QStringLiteral("Нет страницы «%1».").arg(pageName));
            }
            if (page < 0 || page >= m_pages.size())
                return fail(QStringLiteral("Нет страницы с номером %1: страниц %2.")
                                .arg(page + 1)
                                .arg(m_pages.size()));
            if (button < 1 || button > m_pages[page].commands.size())
                return fail(QStringLiteral("Нет кнопки с номером %1: на странице их %2.")
                                .arg(button)
                                .arg(m_pages[page].commands.size()));
            const TButtonPlace place{page, button - 1};
            if (Command(place)->IsEmpty())
                return fail(QStringLiteral("Кнопка %1 страницы «%2» пуста.")
                                .arg(button)
                                .arg(m_pages[page].caption));
            return place;
        }
    }
    QList<TButtonPlace> whole, part;
    for (int p = 0; p < m_pages.size(); ++p) {
        for (int b = 0; b < m_pages[p].commands.size(); ++b) {
            const TCommandRecord& command = m_pages[p].commands[b];
            if (command.IsEmpty())
                continue;
            const QString shown = command.DisplayName();
            if (shown.compare(wanted, Qt::CaseInsensitive) == 0)
                whole.append({p, b});
            else if (shown.contains(wanted, Qt::CaseInsensitive))
                part.append({p, b});
        }
    }
    if (!whole.isEmpty())
        return whole.first();
    if (part.size() == 1)
        return part.first();
    if (part.isEmpty())
        return fail(QStringLiteral("Нет команды «%1».").arg(wanted));
    return fail(QStringLiteral("Команд, в описании которых есть «%1», несколько: %2. "
                               "Уточните описание или укажите страницу и кнопку.")
                    .arg(wanted)
                    .arg(part.size()));
}

TButtonPlace TProfile::FirstEmptyButton(int page) const
{
    if (page < 0 || page >= m_pages.size())
        return {};
    const QList<TCommandRecord>& commands = m_pages[page].commands;
    for (int b = 0; b < commands.size(); ++b)
        if (commands[b].IsEmpty())
            return {page, b};
    return {};
}

QString TProfile::ListText() const
{
    QString text;
    for (int p = 0; p < m_pages.size(); ++p) {
        text += QStringLiteral("Страница %1: %2\n").arg(p + 1).arg(m_pages[p].caption);
        const QList<TCommandRecord>& commands = m_pages[p].commands;
        for (int b = 0; b < commands.size(); ++b) {
            const TCommandRecord& c = commands[b];
            if (c.IsEmpty())
                continue;
            QString line = QStringLiteral("  %1:%2  %3  —  %4")
                               .arg(p + 1)
                               .arg(b + 1)
                               .arg(OneLine(c.DisplayName()), c.ExePath());
            if (!c.Parameters().isEmpty())
                line += u' ' + OneLine(c.Parameters());
            text += line + u'\n';
        }
    }
    return text;
}

QByteArray TProfile::ListJson() const
{
    QJsonArray pages;
    for (int p = 0; p < m_pages.size(); ++p) {
        const TPageRecord& page = m_pages[p];
        QJsonArray commands;
        for (int b = 0; b < page.commands.size(); ++b) {
            const TCommandRecord& c = page.commands[b];
            if (c.IsEmpty())
                continue;
            commands.append(QJsonObject{{"button", b + 1},
                                        {"description", c.DisplayName()},
                                        {"path", c.ExePath()},
                                        {"parameters", c.Parameters()},
                                        {"iconPath", c.IconPath()},
                                        {"iconIndex", c.IconIndex()},
                                        {"runCount", page.runCounts.value(b)}});
        }
        pages.append(QJsonObject{{"number", p + 1},
                                 {"caption", page.caption},
                                 {"image", page.imageIndex},
                                 {"commands", commands}});
    }
    const QJsonObject root{{"columns", m_colCount}, {"rows", m_commandsCount}, {"pages", pages}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}
