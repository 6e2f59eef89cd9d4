#include "settings/ProfileUndo.h"

#include "settings/Constants.h"
#include "settings/IniFile.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

namespace {

TUndoStack*& programStack()
{
    static TUndoStack* stack = nullptr;
    return stack;
}

std::optional<QByteArray> readWhole(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

bool isIni(const QString& name)
{
    return name.endsWith(QStringLiteral(".ini"), Qt::CaseInsensitive);
}

// current with the keys that differ between left and target set as target has them: what a
// step changed goes back, what others wrote since stays.
std::optional<QByteArray> mergeIni(const std::optional<QByteArray>& current,
                                   const std::optional<QByteArray>& target,
                                   const std::optional<QByteArray>& left)
{
    // Only the file in hand is written; the two states of the step are read from memory.
    QTemporaryDir dir;
    if (!dir.isValid())
        return target;
    const QString path = dir.filePath(QStringLiteral("now.ini"));
    if (current) {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(*current);
    }
    IniFile now(path);
    const std::unique_ptr<IniFile> wantedFile = IniFile::fromContent(target.value_or(QByteArray()));
    const std::unique_ptr<IniFile> wasFile = IniFile::fromContent(left.value_or(QByteArray()));
    const IniFile& wanted = *wantedFile;
    const IniFile& was = *wasFile;
    {
        IniFile::Batch batch(now);
        for (const QString& section : was.sections())
            if (!wanted.sectionExists(section))
                now.eraseSection(section);
        for (const QString& section : wanted.sections()) {
            QStringList keys = wanted.keys(section);
            for (const QString& key : was.keys(section))
                if (!keys.contains(key, Qt::CaseInsensitive))
                    keys.append(key);
            for (const QString& key : keys) {
                const bool inWanted = wanted.valueExists(section, key);
                const QString value = wanted.readString(section, key, QString());
                if (inWanted == was.valueExists(section, key) &&
                    value == was.readString(section, key, QString()))
                    continue;
                if (inWanted)
                    now.writeString(section, key, value);
                else
                    now.deleteKey(section, key);
            }
        }
    }
    return readWhole(now.fileName());
}

} // namespace

const QStringList& TProfileFiles::names()
{
    static const QStringList all = {Constants::OptionsFileName, Constants::PagesFileName,
                                    Constants::CommandsFileName, Constants::RunStatFileName,
                                    Constants::PagesImagesFileName};
    return all;
}

TProfileFiles TProfileFiles::read(const QString& folder)
{
    TProfileFiles files;
    const QDir dir(folder);
    for (const QString& name : names())
        files.m_files.insert(name, readWhole(dir.filePath(name)));
    return files;
}

TUndoStack::TUndoStack(const QString& folder, QObject* parent) : QObject(parent), m_folder(folder)
{}

void TUndoStack::Begin(const QString& label)
{
    if (m_depth++ > 0)
        return;
    m_label = label;
    m_before = TProfileFiles::read(m_folder);
}

void TUndoStack::End()
{
    if (m_depth <= 0 || --m_depth > 0)
        return;
    TProfileFiles after = TProfileFiles::read(m_folder);
    if (after == m_before)
        return;
    m_undo.push_back({m_label, std::move(m_before), std::move(after)});
    if (int(m_undo.size()) > Limit)
        m_undo.pop_front();
    m_redo.clear();
    emit Changed();
}

void TUndoStack::SetLabel(const QString& label)
{
    if (m_depth > 0)
        m_label = label;
}

void TUndoStack::Clear()
{
    m_undo.clear();
    m_redo.clear();
    emit Changed();
}

bool TUndoStack::Undo()
{
    if (m_undo.empty() || m_depth > 0)
        return false;
    if (!Apply(m_undo.back().before, m_undo.back().after))
        return false;
    m_redo.push_back(std::move(m_undo.back()));
    m_undo.pop_back();
    emit Changed();
    emit Restored();
    return true;
}

bool TUndoStack::Redo()
{
    if (m_redo.empty() || m_depth > 0)
        return false;
    if (!Apply(m_redo.back().after, m_redo.back().before))
        return false;
    m_undo.push_back(std::move(m_redo.back()));
    m_redo.pop_back();
    emit Changed();
    emit Restored();
    return true;
}

bool TUndoStack::Apply(const TProfileFiles& target, const TProfileFiles& left)
{
    const TProfileFiles current = TProfileFiles::read(m_folder);
    std::vector<IniFile::FileContent> changes;
    const QDir dir(m_folder);
    for (const QString& name : TProfileFiles::names()) {
        const std::optional<QByteArray> now = current.contents(name);
        std::optional<QByteArray> wanted = target.contents(name);
        if (now != left.contents(name) && isIni(name))
            wanted = mergeIni(now, wanted, left.contents(name));
        if (wanted != now)
            changes.push_back({dir.filePath(name), wanted});
    }
    return changes.empty() || IniFile::replaceFiles(changes);
}

TUndoStack* ProfileUndo()
{
    return programStack();
}

void SetProfileUndo(TUndoStack* stack)
{
    programStack() = stack;
}

TUndoStep::TUndoStep(const QString& label) : m_stack(ProfileUndo())
{
    if (m_stack)
        m_stack->Begin(label);
}

void TUndoStep::SetLabel(const QString& label)
{
    if (m_stack)
        m_stack->SetLabel(label);
}

TUndoStep::~TUndoStep()
{
    if (m_stack)
        m_stack->End();
}
