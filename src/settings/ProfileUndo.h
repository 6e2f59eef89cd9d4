#pragma once

#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>

#include <deque>
#include <optional>

// The contents of the profile files of a settings folder at one moment; a file that is not
// there has no contents.
class TProfileFiles
{
public:
    static TProfileFiles read(const QString& folder);
    // Options.ini, Pages.ini, Commands.ini, RunStat.ini and PagesImages.dat.
    static const QStringList& names();

    std::optional<QByteArray> contents(const QString& name) const { return m_files.value(name); }
    bool operator==(const TProfileFiles& other) const = default;

private:
    QMap<QString, std::optional<QByteArray>> m_files;
};

// The user's changes to pages and commands, each kept as the profile files before and after
// it, so that undoing one brings back the very bytes it replaced. A change is recorded between
// Begin and End (nested calls count as the outermost one); one that changed no file is not kept.
//
// Files may also change between the steps (run counts, the window's place). Such a file is put
// back whole only while it still holds what the step left; otherwise only the keys the step
// changed go back, and what came after it stays.
class TUndoStack : public QObject
{
    Q_OBJECT
public:
    static constexpr int Limit = 200;

    explicit TUndoStack(const QString& folder, QObject* parent = nullptr);

    void Begin(const QString& label);
    void End();
    // Names the step being recorded, once what it does is known.
    void SetLabel(const QString& label);
    // Forgets every step (the files were replaced as a whole, by an import).
    void Clear();

    bool CanUndo() const { return !m_undo.empty(); }
    bool CanRedo() const { return !m_redo.empty(); }
    // What the next undo or redo would do, e.g. "удаление страницы «Работа»"; empty when none.
    QString UndoLabel() const { return CanUndo() ? m_undo.back().label : QString(); }
    QString RedoLabel() const { return CanRedo() ? m_redo.back().label : QString(); }
    int UndoCount() const { return int(m_undo.size()); }

    // False when the files could not be written; the step then stays where it was.
    bool Undo();
    bool Redo();

    QString Folder() const { return m_folder; }

signals:
    // What can be undone or redone changed.
    void Changed();
    // The files on disk were replaced: whoever shows them must read them again.
    void Restored();

private:
    struct Step
    {
        QString label;
        TProfileFiles before;
        TProfileFiles after;
    };
    // Puts the files back to target; left is what the step itself left there.
    bool Apply(const TProfileFiles& target, const TProfileFiles& left);

    QString m_folder;
    std::deque<Step> m_undo;
    std::deque<Step> m_redo;
    int m_depth = 0;
    QString m_label;
    TProfileFiles m_before;
};

// The program's undo stack, or none (then steps record nothing).
TUndoStack* ProfileUndo();
void SetProfileUndo(TUndoStack* stack);

// One user change, recorded on the program's undo stack while it lives.
class TUndoStep
{
public:
    explicit TUndoStep(const QString& label);
    ~TUndoStep();
    void SetLabel(const QString& label);
    TUndoStep(const TUndoStep&) = delete;
    TUndoStep& operator=(const TUndoStep&) = delete;

private:
    TUndoStack* m_stack;
};
