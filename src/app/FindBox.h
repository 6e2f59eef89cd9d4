#pragma once

#include "commands/CommandFinder.h"

#include <QFrame>
#include <QList>
#include <QPointer>
#include <QStringList>

#include <functional>

class QLabel;
class QLineEdit;
class QListView;
class TCommand;
class TProfileCommand;
class TFindModel;
class TMyPageControl;

// The find box: a small window beside the main window, opened by typing in it. It lists the
// commands of every page that match the text typed so far, best first, each with its icon, its
// description and its page; Up and Down choose, Enter or a click runs the chosen command as a
// click on its button does, Escape closes the box, and so does a click elsewhere.
class TFindBox : public QFrame
{
    Q_OBJECT

public:
    // Gathers the filled commands of every page of pages; runCount gives a command's runs.
    TFindBox(QWidget* mainWindow, TMyPageControl* pages,
             const std::function<int(TProfileCommand*)>& runCount);
    ~TFindBox() override;

    // Places the box beside the main window, shows it and starts with the typed text.
    void Start(const QString& typed);

    QLineEdit* FindEdit = nullptr;
    QListView* ResultList = nullptr;
    QLabel* NothingLabel = nullptr;

    // The commands listed, best first.
    int ResultCount() const;
    TCommand* ResultCommand(int row) const;
    QString ResultPage(int row) const;
    int ChosenRow() const;
    // Closes the box and clicks the command of that row.
    void RunRow(int row);

    static constexpr int BoxWidth = 320;
    static constexpr int VisibleRows = 12;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void TextChanged(const QString& text);
    void Choose(int row);
    // The list's height in lines; the box follows it.
    void SetListRows(int rows);
    void PlaceBeside();

    QPointer<QWidget> m_mainWindow;
    TCommandFinder m_finder;
    // Checked with TProfileCommand::IsLive before use: a guard per command would cost more than
    // the search when thousands of commands are gathered at every opening.
    QList<TProfileCommand*> m_commands;
    QStringList m_pageCaptions;
    TFindModel* m_model = nullptr;
};
