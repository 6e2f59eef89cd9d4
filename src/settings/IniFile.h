#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <QByteArray>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct IniData;

// A profile (INI) file with the semantics of the Windows profile functions: section and key
// names compare case-insensitively, new sections and keys are appended, values are trimmed,
// a read string is cut to 2047 characters and integers accept "0x" hex.
//
// Every write reaches the disk at once through an atomic replace, so a crash leaves either the
// old or the new file. Objects on the same path share one in-memory copy and so see each
// other's writes; a change made on disk by someone else is noticed and reloaded.
class IniFile
{
public:
    static constexpr int MaxValueLength = 2047;
    // The largest profile text that contentProblem accepts.
    static constexpr qsizetype MaxContentSize = 16 * 1024 * 1024;

    explicit IniFile(const QString& fileName);
    // Profile text held in memory (an archive's file, say), read as a file of these bytes would
    // be. It is never written: every write returns false and changes nothing.
    static std::unique_ptr<IniFile> fromContent(const QByteArray& bytes);
    // The same text, taking changes in memory only: nothing is ever written to disk.
    static std::unique_ptr<IniFile> inMemory(const QByteArray& bytes);
    // Why the bytes are not a profile text this program could have written, or empty when they
    // may be one: larger than MaxContentSize, control characters other than tab and line breaks
    // (binary data), or entries without a single section header (some other text file). Empty
    // text, or only comments, is a profile without entries.
    static QString contentProblem(const QByteArray& bytes);
    // The sections of this file whose names begin with prefix, read from the disk alone and held
    // in memory, never written; null when the file has been read here already (what this process
    // holds may differ from the disk), cannot be read, or starts with a byte order mark. A quick
    // first look at part of a large file: the file itself is read as usual when first asked.
    std::unique_ptr<IniFile> sectionsFromDisk(const QString& prefix) const;
    ~IniFile();
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    QString fileName() const { return m_fileName; }
    bool exists() const;

    QString readString(const QString& section, const QString& key, const QString& def) const;
    int readInteger(const QString& section, const QString& key, int def) const;
    bool readBool(const QString& section, const QString& key, bool def) const;

    // Return false when the file could not be written; callers may ignore it (the program
    // reports no profile write failures), but compound operations use it to keep data safe.
    bool writeString(const QString& section, const QString& key, const QString& value);
    bool writeInteger(const QString& section, const QString& key, int value);
    bool writeBool(const QString& section, const QString& key, bool value);

    bool deleteKey(const QString& section, const QString& key);
    bool eraseSection(const QString& section);

    bool sectionExists(const QString& section) const;
    bool valueExists(const QString& section, const QString& key) const;
    QStringList sections() const;
    QStringList keys(const QString& section) const;

    // Writes pending changes now; inside a batch they wait for the batch to end.
    bool flush();

    // Number of times this path was written to disk in this process; for tests and benchmarks.
    quint64 diskWrites() const;

    // Collects the writes of a compound operation into one file replace at the end of the
    // outermost scope on the same path.
    class Batch
    {
    public:
        explicit Batch(IniFile& file);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;
        // Ends the batch early and reports whether the final write succeeded.
        bool commit();

    private:
        std::shared_ptr<IniData> m_data;
        bool m_open = true;
    };

    // Holds back every profile write made while it lives, on any file, until the outermost one
    // ends. Then each file is replaced at once, and the files of one folder all together: their
    // new versions are written beside them and listed in a journal before any of them takes the
    // place of the old one, so a crash leaves either every file old or, once the start-up has
    // completed the journal (recoverInterrupted), every file new.
    class Transaction
    {
    public:
        Transaction();
        ~Transaction();
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;
        // Ends the transaction early and reports whether every file was written.
        bool commit();

    private:
        bool m_open = true;
        bool m_ok = true;
    };

    enum class Recovery
    {
        Nothing,    // no multi-file write was left unfinished
        Completed,  // the new versions of an interrupted write took their places
        RolledBack, // an interrupted write had not reached its journal: the old files stay
        Busy        // another copy of the program is writing there now
    };
    // Finishes or undoes a multi-file write that a crash interrupted in this folder. Run before
    // anything in the folder is read.
    static Recovery recoverInterrupted(const QString& folder);
    // The journal of multi-file writes in a folder.
    static QString journalName();

    // Replaces whole files at once, or removes them (no bytes), through the journal of the
    // transactions: a crash leaves the files of a folder either all old or, once the start-up
    // has run recoverInterrupted, all new. File objects on these paths read the new files next.
    // False when a file cannot be written (then none is), and, before anything is written, while
    // a batch or transaction is open on any of them: their writes would come on top.
    struct FileContent
    {
        QString fileName;
        std::optional<QByteArray> bytes;
    };
    static bool replaceFiles(const std::vector<FileContent>& files);

    // Told of every attempt to write a file to disk, with its result.
    using WriteObserver = std::function<void(const QString& fileName, bool ok)>;
    static WriteObserver setWriteObserver(WriteObserver observer);

    // The integer rule of the profile files: optional sign, decimal digits, or "0x"/"$" hex;
    // anything else (or out of the 32-bit range) is not an integer.
    static bool parseInteger(const QString& text, int* value);

private:
    IniFile(const QString& fileName, std::shared_ptr<IniData> data);
    // Profile text held in memory: read only, or taking changes that never reach the disk.
    static std::unique_ptr<IniFile> fromText(const QByteArray& bytes, bool takesChanges);
    void refresh() const;
    bool store();

    QString m_fileName;
    std::shared_ptr<IniData> m_data;
};
