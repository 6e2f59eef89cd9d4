#include "TestSupport.h"
#include "ZipCheck.h"
#include "app/SettingsExport.h"
#include "platform/FileDialogs.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Answers the save dialog with a scripted path and remembers how it was asked.
class TScriptedFileDialogs : public IFileDialogs
{
public:
    QString answer;
    int calls = 0;
    QString title, folder, proposedName, filter, defaultSuffix;
    bool confirmOverwrite = true;

    QString GetSaveFileName(QWidget*, const QString& title_, const QString& folder_,
                            const QString& proposedName_, const QString& filter_,
                            const QString& defaultSuffix_, bool confirmOverwrite_) override
    {
        ++calls;
        title = title_;
        folder = folder_;
        proposedName = proposedName_;
        filter = filter_;
        defaultSuffix = defaultSuffix_;
        confirmOverwrite = confirmOverwrite_;
        return answer;
    }
    QString GetOpenFileName(QWidget*, const QString&, const QString&, const QString&) override
    {
        QTest::qFail("unexpected open dialog", __FILE__, __LINE__);
        return {};
    }
    QString GetExistingDirectory(QWidget*, const QString&, const QString&) override
    {
        QTest::qFail("unexpected folder dialog", __FILE__, __LINE__);
        return {};
    }

private:
    TScopedSeam<IFileDialogs> m_seam{SetFileDialogs, this};
};

const QDate SixthOfDecember(2026, 12, 6);

} // namespace

class TestSettingsExport : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString appFolder;
    QString outFolder;

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        appFolder = dir.filePath("app") + u'/';
        outFolder = dir.filePath("out") + u'/';
        QDir().mkpath(appFolder);
        QDir().mkpath(outFolder);
        // A profile without RunStat.ini and PagesImages.dat.
        writeAll(appFolder + "Options.ini", "[Options]\r\nColCount=4\r\n");
        writeAll(appFolder + "Commands.ini", "[0\\0]\r\nExePath=/usr/bin/true\r\n");
        writeAll(appFolder + "Pages.ini", "[0]\r\nCaption=Новая\r\n");
    }

    void proposedNameFollowsTheShortDateFormat()
    {
        QCOMPARE(ProposedExportName(SixthOfDecember), QString("06.12.2026 settings.zip"));
        // A format with slashes must not turn the name into a path.
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        const QString american = ProposedExportName(SixthOfDecember);
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        QCOMPARE(american, QString("12-6-26 settings.zip"));
    }

    void exportPacksWhatExistsAndReports()
    {
        TScriptedFileDialogs dialogs;
        TScriptedMessageBoxes boxes;
        const QString archive = outFolder + "06.12.2026 settings.zip";
        writeAll(archive, "an older file of that name");
        dialogs.answer = archive;
        boxes.expect(IDOK);
        ExportSettings(appFolder, SixthOfDecember);

        QCOMPARE(dialogs.calls, 1);
        QCOMPARE(dialogs.title, QString("Выберите файл для экспорта"));
        QCOMPARE(dialogs.folder, appFolder);
        QCOMPARE(dialogs.proposedName, QString("06.12.2026 settings.zip"));
        QCOMPARE(dialogs.filter, QString("zip (*.zip)"));
        QCOMPARE(dialogs.defaultSuffix, QString("zip"));
        QVERIFY(!dialogs.confirmOverwrite);

        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown[0].text, "Экспорт произведён!\r" + archive);
        QCOMPARE(boxes.shown[0].caption, QString("Экспорт"));
        QCOMPARE(boxes.shown[0].flags, MB::OK);
        const QJsonObject listing = readWithPython(archive);
        QCOMPARE(entryNames(listing), QStringList({"Commands.ini", "Options.ini", "Pages.ini"}));
        QCOMPARE(entryData(listing, "Pages.ini"), readAll(appFolder + "Pages.ini"));

        // A name typed without extension gets ".zip".
        dialogs.answer = outFolder + "backup";
        boxes.expect(IDOK);
        ExportSettings(appFolder, SixthOfDecember);
        QCOMPARE(boxes.shown.last().text, "Экспорт произведён!\r" + outFolder + "backup.zip");
        QVERIFY(!QFile::exists(outFolder + "backup"));
        QCOMPARE(runTool("unzip", {"-t", outFolder + "backup.zip"}).exitCode, 0);

        // A point in the name is no extension of an archive; ".zip" in any case is.
        for (const QString& typed : {QString("06.12.2026 settings"), QString("Backup.ZIP")}) {
            dialogs.answer = outFolder + typed;
            boxes.expect(IDOK);
            ExportSettings(appFolder, SixthOfDecember);
            const QString written =
                typed.endsWith(".ZIP") ? outFolder + typed : outFolder + typed + ".zip";
            QCOMPARE(boxes.shown.last().text, "Экспорт произведён!\r" + written);
            QCOMPARE(runTool("unzip", {"-t", written}).exitCode, 0);
        }
        QVERIFY(!QFile::exists(outFolder + "06.12.2026 settings"));
    }

    void noArchiveIsNoSuccess()
    {
        // A settings file the writer has to leave out: bigger than a ZIP 2.0 entry can hold
        // (a sparse file, it takes no room on the disk).
        QTemporaryDir own;
        const QString app = own.filePath("app") + u'/';
        QDir().mkpath(app);
        QFile huge(app + "PagesImages.dat");
        QVERIFY(huge.open(QIODevice::WriteOnly));
        if (!huge.resize(qint64(1) << 32))
            QSKIP("no sparse files on this file system");
        huge.close();
        const QString archive = own.filePath("settings.zip");
        writeAll(archive, "an earlier archive");

        // Nothing else to pack: no success, and the earlier archive stays.
        TScriptedFileDialogs dialogs;
        TScriptedMessageBoxes boxes;
        dialogs.answer = archive;
        boxes.expect(IDOK);
        ExportSettings(app, SixthOfDecember);
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown[0].text, "Ошибка при Экспорте!\rНе удалось упаковать ни один файл "
                                      "настроек:\r" +
                                          app + "PagesImages.dat");
        QCOMPARE(boxes.shown[0].caption, QString("Ошибка!"));
        QCOMPARE(readAll(archive), QByteArray("an earlier archive"));

        // With the others there: the archive, and the file left out named.
        writeAll(app + "Options.ini", "[Options]\r\n");
        boxes.expect(IDOK);
        ExportSettings(app, SixthOfDecember);
        QCOMPARE(boxes.shown.size(), 2);
        QCOMPARE(boxes.shown[1].text, "Экспорт произведён!\r" + archive +
                                          "\rНе удалось упаковать, в архив не вошли:\r" + app +
                                          "PagesImages.dat");
        QCOMPARE(boxes.shown[1].caption, QString("Экспорт"));
        QCOMPARE(boxes.shown[1].flags, MB::OK | MB::ICONWARNING);
        QCOMPARE(entryNames(readWithPython(archive)), QStringList({"Options.ini"}));

        // No settings file at all.
        QVERIFY(QFile::remove(app + "Options.ini") && QFile::remove(app + "PagesImages.dat"));
        QVERIFY(QFile::remove(archive));
        boxes.expect(IDOK);
        ExportSettings(app, SixthOfDecember);
        QCOMPARE(boxes.shown[2].text,
                 "Ошибка при Экспорте!\rВ папке программы нет ни одного файла настроек:\r" + app);
        QVERIFY(!QFile::exists(archive));
        QVERIFY(!boxes.unexpected);
    }

    void cancelWritesAndShowsNothing()
    {
        TScriptedFileDialogs dialogs;
        TScriptedMessageBoxes boxes;
        const QStringList before = QDir(outFolder).entryList(QDir::Files);
        ExportSettings(appFolder, SixthOfDecember);
        QCOMPARE(dialogs.calls, 1);
        QVERIFY(boxes.shown.isEmpty());
        QCOMPARE(QDir(outFolder).entryList(QDir::Files), before);
    }

    void settingsFilesAreNeverTheArchive()
    {
        QVERIFY(QFile::link(appFolder + "Options.ini", outFolder + "options-link.zip"));
        QVERIFY(QFile::link(appFolder + "RunStat.ini", outFolder + "runstat-link.zip"));
        const QByteArray options = readAll(appFolder + "Options.ini");
        const QStringList refused = {outFolder + "options-link.zip",
                                     outFolder + "runstat-link.zip"};
        for (const QString& path : refused) {
            TScriptedFileDialogs dialogs;
            TScriptedMessageBoxes boxes;
            dialogs.answer = path;
            boxes.expect(IDOK);
            ExportSettings(appFolder, SixthOfDecember);
            QCOMPARE(boxes.shown.size(), 1);
            QCOMPARE(boxes.shown[0].text, "Архив нельзя записать на место файла настроек:\r" +
                                              path + "\rВыберите для архива другое имя.");
            QCOMPARE(boxes.shown[0].caption, QString("Экспорт"));
            QCOMPARE(boxes.shown[0].flags, MB::OK | MB::ICONERROR);
        }
        QCOMPARE(readAll(appFolder + "Options.ini"), options);
        QCOMPARE(readAll(appFolder + "Pages.ini"), QString("[0]\r\nCaption=Новая\r\n").toUtf8());
        QVERIFY(!QFile::exists(appFolder + "RunStat.ini"));

        // A settings file's name typed in the settings folder is no archive's name: it gets
        // ".zip", and the settings file stays.
        for (const QString& typed : {QString("Options.ini"), QString("../app/RunStat.ini")}) {
            TScriptedFileDialogs dialogs;
            TScriptedMessageBoxes boxes;
            dialogs.answer = appFolder + typed;
            boxes.expect(IDOK);
            ExportSettings(appFolder, SixthOfDecember);
            QCOMPARE(boxes.shown[0].text, "Экспорт произведён!\r" + appFolder + typed + ".zip");
            QCOMPARE(entryNames(readWithPython(appFolder + typed + ".zip")),
                     QStringList({"Commands.ini", "Options.ini", "Pages.ini"}));
            QFile::remove(appFolder + typed + ".zip");
        }
        QCOMPARE(readAll(appFolder + "Options.ini"), options);
        QVERIFY(!QFile::exists(appFolder + "RunStat.ini"));
    }

    void unwritableTargetReportsFailure()
    {
        TScriptedFileDialogs dialogs;
        TScriptedMessageBoxes boxes;
        const QString archive = outFolder + "missing folder/settings.zip";
        dialogs.answer = archive;
        boxes.expect(IDOK); // one report, no bare "Error!" box before it
        ExportSettings(appFolder, SixthOfDecember);
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY2(boxes.shown[0].text.startsWith("Ошибка при Экспорте!\rНе удалось создать архив " +
                                                archive + ": "),
                 qPrintable(boxes.shown[0].text));
        QCOMPARE(boxes.shown[0].caption, QString("Ошибка!"));
        QCOMPARE(boxes.shown[0].flags, MB::OK);
        QCOMPARE(readAll(appFolder + "Options.ini"), QByteArray("[Options]\r\nColCount=4\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestSettingsExport)
#include "tst_settingsexport.moc"
