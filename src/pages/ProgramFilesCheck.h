#pragma once

#include <QList>
#include <QString>

#include <future>
#include <vector>

class TCommand;
class TMyPageControl;

// Finds the buttons whose program file exists. Thousands of looks at the disk run on a thread of
// their own while the first page draws; Found() waits for them.
class TProgramFilesCheck
{
public:
    TProgramFilesCheck() = default;
    TProgramFilesCheck(const TProgramFilesCheck&) = delete;
    TProgramFilesCheck& operator=(const TProgramFilesCheck&) = delete;
    ~TProgramFilesCheck();

    // Takes the program paths of every button, page by page in button order, and starts looking.
    void Start(const TMyPageControl* control);
    // The buttons of Start whose program is an existing file, in the same order; buttons
    // destroyed in between are left out. Empty when Start was not called.
    QList<TCommand*> Found();

    static std::vector<char> FilesExist(const std::vector<QString>& paths);

private:
    std::vector<TCommand*> m_buttons;
    std::future<std::vector<char>> m_result;
};
