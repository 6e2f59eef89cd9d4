// The atomic replace every profile write goes through, on this system.
#include "TestSupport.h"
#include "platform/FileReplace.h"

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

class TestFileReplace : public QObject
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
        QVERIFY(ReplaceFileContent(fresh, "[0]\r\nCaption=Новая\r\n"));
        ::umask(mask);
        QCOMPARE(readAll(fresh), QByteArray("[0]\r\nCaption=Новая\r\n"));
        QCOMPARE(modeOf(fresh), mode_t(0640));

        // A replaced file keeps its permissions, and no temporary file is left beside it.
        QVERIFY(QFile::setPermissions(fresh, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QVERIFY(ReplaceFileContent(fresh, "x"));
        QCOMPARE(readAll(fresh), QByteArray("x"));
        QCOMPARE(modeOf(fresh), mode_t(0600));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("Pages.ini")});

        // A profile file that is a symbolic link is written where it points; the link stays.
        const QString elsewhere = m_dir.filePath(QStringLiteral("elsewhere.ini"));
        writeAll(elsewhere, "old");
        const QString link = folder + QStringLiteral("/Options.ini");
        QVERIFY(QFile::link(elsewhere, link));
        QVERIFY(ReplaceFileContent(link, "new"));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(readAll(elsewhere), QByteArray("new"));

        // Nowhere to write: false, and nothing is made.
        QVERIFY(!ReplaceFileContent(m_dir.filePath(QStringLiteral("missing/Pages.ini")), "x"));
        QVERIFY(!QFileInfo::exists(m_dir.filePath(QStringLiteral("missing"))));
    }
};

QTEST_GUILESS_MAIN(TestFileReplace)
#include "tst_filereplace.moc"
