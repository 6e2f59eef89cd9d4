// How the settings files reach the disk on this system: the atomic replace of one file and the
// new files of a write that spans several.
#include "CoreSupport.h"
#include "settings/FileWrites.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

mode_t modeOf(const QString& path)
{
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return 0;
    return info.st_mode & 07777;
}

} // namespace

class TestFileWrites : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void replacesWholeAndKeepsWhatTheUserSet()
    {
        QVERIFY(m_dir.isValid());
        const QString folder = m_dir.filePath(QStringLiteral("profile"));
        QVERIFY(QDir().mkpath(folder));

        // A new file gets what the umask allows.
        const QString fresh = folder + QStringLiteral("/Pages.ini");
        const mode_t mask = ::umask(027);
        QVERIFY(replaceFileContent(fresh, "[0]\r\nCaption=Новая\r\n"));
        ::umask(mask);
        QCOMPARE(readAll(fresh), QByteArray("[0]\r\nCaption=Новая\r\n"));
        QCOMPARE(modeOf(fresh), mode_t(0640));

        // A replaced file keeps its permissions, and no temporary file is left beside it.
        QVERIFY(QFile::setPermissions(fresh, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QVERIFY(replaceFileContent(fresh, "x"));
        QCOMPARE(readAll(fresh), QByteArray("x"));
        QCOMPARE(modeOf(fresh), mode_t(0600));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("Pages.ini")});

        // A profile file that is a symbolic link is written where it points; the link stays.
        const QString elsewhere = m_dir.filePath(QStringLiteral("elsewhere.ini"));
        writeAll(elsewhere, "old");
        const QString link = folder + QStringLiteral("/Options.ini");
        QVERIFY(QFile::link(elsewhere, link));
        QVERIFY(replaceFileContent(link, "new"));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(readAll(elsewhere), QByteArray("new"));

        // Nowhere to write: false, and nothing is made.
        QVERIFY(!replaceFileContent(m_dir.filePath(QStringLiteral("missing/Pages.ini")), "x"));
        QVERIFY(!QFileInfo::exists(m_dir.filePath(QStringLiteral("missing"))));
    }

    void freshFilesTakeTheirPredecessorsPermissions()
    {
        QVERIFY(m_dir.isValid());
        const QString folder = m_dir.filePath(QStringLiteral("fresh"));
        QVERIFY(QDir().mkpath(folder));
        const QString old = folder + QStringLiteral("/Commands.ini");
        writeAll(old, "old");
        QVERIFY(QFile::setPermissions(old, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                               QFileDevice::ReadGroup));
        const mode_t mask = ::umask(022);
        {
            TFreshFiles fresh;
            QVERIFY(fresh.write(old + QStringLiteral(".new"), "new", old));
            QVERIFY(fresh.write(folder + QStringLiteral("/RunStat.ini.new"), "runs",
                                folder + QStringLiteral("/RunStat.ini")));
            QVERIFY(fresh.syncAndClose());
        }
        ::umask(mask);
        QCOMPARE(readAll(old + QStringLiteral(".new")), QByteArray("new"));
        QCOMPARE(modeOf(old + QStringLiteral(".new")), mode_t(0640));
        QCOMPARE(readAll(folder + QStringLiteral("/RunStat.ini.new")), QByteArray("runs"));
        QCOMPARE(modeOf(folder + QStringLiteral("/RunStat.ini.new")), mode_t(0644));
        // The old file is not touched: it is replaced only by the rename that follows.
        QCOMPARE(readAll(old), QByteArray("old"));
    }
};

QTEST_GUILESS_MAIN(TestFileWrites)
#include "tst_filewrites.moc"
