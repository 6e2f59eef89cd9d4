#include "pages/ProgramFilesCheck.h"

#include "commands/Command.h"
#include "pages/CommandsPage.h"
#include "pages/MyPageControl.h"

#include <QFileInfo>

#include <system_error>

TProgramFilesCheck::~TProgramFilesCheck()
{
    // The thread reads only its own copies of the paths; it is still waited for.
    if (m_result.valid())
        m_result.wait();
}

std::vector<char> TProgramFilesCheck::FilesExist(const std::vector<QString>& paths)
{
    std::vector<char> found;
    found.reserve(paths.size());
    for (const QString& path : paths)
        found.push_back(!path.isEmpty() && QFileInfo(path).isFile());
    return found;
}

void TProgramFilesCheck::Start(const TMyPageControl* control)
{
    if (m_result.valid())
        m_result.wait();
    m_buttons.clear();
    std::vector<QString> paths;
    for (int p = 0; p < control->PageCount(); ++p) {
        for (TCommand* button : control->Page(p)->Buttons()) {
            m_buttons.push_back(button);
            paths.push_back(button->ExePath());
        }
    }
    try {
        m_result =
            std::async(std::launch::async, &TProgramFilesCheck::FilesExist, std::move(paths));
    } catch (const std::system_error&) {
        // No thread to be had: look here and now.
        std::promise<std::vector<char>> done;
        done.set_value(FilesExist(paths));
        m_result = done.get_future();
    }
}

QList<TCommand*> TProgramFilesCheck::Found()
{
    QList<TCommand*> found;
    if (!m_result.valid())
        return found;
    const std::vector<char> exists = m_result.get();
    for (size_t i = 0; i < m_buttons.size() && i < exists.size(); ++i)
        if (exists[i] && TCommand::IsCommandButton(m_buttons[i]))
            found.append(m_buttons[i]);
    m_buttons.clear();
    return found;
}
