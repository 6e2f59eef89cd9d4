#include "DialogFakes.h"
#include "MainFixture.h"
#include "ModalScript.h"
#include "TestSupport.h"
#include "app/Main.h"
#include "app/ProfileVerbs.h"
#include "app/Verbs.h"
#include "commands/Messages.h"
#include "dialogs/Backups.h"
#include "history/ArrowButton.h"
#include "history/RepositoryCommands.h"
#include "pages/CommandsPage.h"
#include "pages/MyPageControl.h"
#include "settings/ProfileUndo.h"
#include "settings/SettingsImport.h"

#include <QAction>
#include <QDir>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

namespace {

const QByteArray Options = "[PageControl]\r\nColCount=1\r\nCommandsCount=3\r\nPagesCount=2\r\n"
                           "[Conformations]\r\nDelPage=0\r\nClearCommand=0\r\n";

QByteArray twoPages()
{
    return QStringLiteral("[0]\r\nCaption=Работа\r\nImageIndex=-1\r\n[1]\r\nCaption=Игры\r\n"
                          "ImageIndex=-1\r\n")
        .toUtf8();
}

const QByteArray Commands =
    "[0\\0]\r\nExePath=/bin/true\r\nIconPath=/bin/true\r\nIconIndex=0\r\nDescription=Правда\r\n"
    "[1\\1]\r\nExePath=/bin/sh\r\nIconPath=/bin/sh\r\nIconIndex=0\r\nDescription=Оболочка\r\n"
    "[1\\2]\r\nExePath=/gone/tool\r\nIconPath=/gone/tool\r\nIconIndex=0\r\nDescription=Нет\r\n";

struct TImportFixture : TMainFixture
{
    TImportFixture() : TMainFixture(Options, twoPages(), Commands) { main->FormActivate(); }
    QStringList view() const
    {
        QStringList lines;
        for (int p = 0; p < pc()->PageCount(); ++p) {
            lines << pc()->Page(p)->Caption();
            for (const TCommand* button : pc()->Page(p)->Buttons())
                lines << button->ExePath() + '|' + button->Description();
        }
        return lines;
    }
    QMap<QString, QByteArray> files() const
    {
        QMap<QString, QByteArray> all;
        for (const char* name : {"Options.ini", "Pages.ini", "Commands.ini", "RunStat.ini"})
            all.insert(name, readAll(file(name)));
        return all;
    }
};

} // namespace

class TestImport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }

    // Export, change, import the export: the files are the exported ones, the window shows
    // them at once, a backup of the changed settings was made first, and the import is one
    // step that an undo takes back.
    void importBringsAnExportBack()
    {
        TImportFixture f;
        const QString archive = f.file("saved.zip");
        QString message;
        QCOMPARE(ExportSettingsFile(archive, f.dir.path(), &message), 0);
        const QMap<QString, QByteArray> exported = f.files();
        const QStringList shown = f.view();

        f.main->Pages_DelActionExecute();
        SendMessage(f.pc(), UM_COMMAND_ENTER, toParam(f.pc()->GetCommand(0, 1)));
        f.main->Buttons_ClearActionExecute();
        const QMap<QString, QByteArray> changed = f.files();
        QVERIFY(changed != exported);

        TScriptedMessageBoxes boxes;
        boxes.expect(IDOK);
        QVERIFY(f.main->ImportArchive(archive, false));
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY(boxes.shown[0].text.contains(QStringLiteral("страниц: 2, команд: 3, рисунков: 0")));
        QVERIFY(boxes.shown[0].text.contains(QStringLiteral("Страницы: Работа, Игры")));
        QCOMPARE(f.files(), exported);
        QCOMPARE(f.view(), shown);

        const QList<TBackupInfo> backups = ListBackups(f.dir.path());
        QVERIFY(!backups.isEmpty());
        QCOMPARE(f.main->UndoAction->text(), QStringLiteral("Отменить импорт настроек"));
        f.main->UndoActionExecute();
        QCOMPARE(f.files(), changed);
        QCOMPARE(f.pc()->PageCount(), 1);
    }

    // A damaged archive, or a No to the question, changes nothing.
    void refusedImportsChangeNothing()
    {
        TImportFixture f;
        const QMap<QString, QByteArray> before = f.files();
        const QStringList shown = f.view();
        writeAll(f.file("bad.zip"), "PK\x03\x04 this is not a whole archive");
        TScriptedMessageBoxes boxes;
        boxes.expect(IDOK);
        QVERIFY(!f.main->ImportArchive(f.file("bad.zip"), false));
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY(boxes.shown[0].text.startsWith(QStringLiteral("Архив не может быть загружен:")));

        QString message;
        QCOMPARE(ExportSettingsFile(f.file("good.zip"), f.dir.path(), &message), 0);
        boxes.expect(IDCANCEL);
        QVERIFY(!f.main->ImportArchive(f.file("good.zip"), false));
        QCOMPARE(f.files(), before);
        QCOMPARE(f.view(), shown);
        QVERIFY(!f.main->UndoAction->isEnabled());
    }

    // The list of backups, newest first, restores the chosen one.
    void backupsAreListedAndRestored()
    {
        TImportFixture f;
        QCOMPARE(BackupSettings(f.dir.path(), QDateTime(QDate(2026, 1, 2), QTime(10, 0))).Result,
                 TBackupOutcome::Written);
        const QMap<QString, QByteArray> first = f.files();
        f.main->Pages_DelActionExecute();
        QCOMPARE(BackupSettings(f.dir.path(), QDateTime(QDate(2026, 3, 4), QTime(11, 30))).Result,
                 TBackupOutcome::Written);

        TScriptedMessageBoxes boxes;
        boxes.expect(IDOK);
        TModalScript script;
        script.then([](QDialog* d) {
            auto* list = qobject_cast<TfmBackups*>(d);
            QVERIFY(list);
            QCOMPARE(list->List->topLevelItemCount(), 2);
            QCOMPARE(list->List->topLevelItem(0)->text(0), QStringLiteral("04.03.2026 11:30:00"));
            list->List->setCurrentItem(list->List->topLevelItem(1));
            list->RestoreButton->click();
        });
        f.main->BackupsActionExecute();
        QVERIFY(!script.unexpected);
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(f.files(), first);
        QCOMPARE(f.pc()->PageCount(), 2);
        QCOMPARE(SizeText(812), QStringLiteral("812 байт"));
        QCOMPARE(SizeText(3 * 1024 * 1024 + 200 * 1024), QStringLiteral("3,2 МБ"));
    }

    // The command line's verbs about the profile act through the window as the user's own
    // gestures do.
    void profileVerbsThroughTheWindow()
    {
        TImportFixture f;
        TVerbs verbs;
        verbs.SetWindow(f.main.get());
        ConnectProfileVerbs(verbs, f.main.get());

        TVerbResult result = verbs.List(false);
        QVERIFY(result.ok);
        QVERIFY(result.text.contains(QStringLiteral("  2:2  Оболочка  —  /bin/sh")));

        result = verbs.Run(1, 1, QString());
        QVERIFY2(result.ok, qPrintable(result.text));
        QCOMPARE(result.text, QStringLiteral("Запущена команда «Правда»."));
        QTRY_COMPARE(f.main->QuickLaunchArrowButton->History()->GetRunCount(
                         f.pc()->GetCommand(0, 0)->Record()),
                     1);
        result = verbs.Run(2, 3, QString());
        QVERIFY(!result.ok);
        QCOMPARE(result.text,
                 QStringLiteral("Команда «Нет» не запущена: не найден файл\r\"/gone/tool\""));
        result = verbs.Run(0, 0, QStringLiteral("нет такой"));
        QVERIFY(!result.ok);
        QCOMPARE(result.text, QStringLiteral("Нет команды «нет такой»."));

        const QString tool = f.file("tool.sh");
        writeAll(tool, "#!/bin/sh\n");
        result = verbs.Add(tool, 2);
        QVERIFY2(result.ok, qPrintable(result.text));
        QCOMPARE(f.pc()->GetCommand(1, 0)->ExePath(), tool);
        QCOMPARE(f.pc()->GetCommand(1, 0)->Description(), QStringLiteral("tool"));
        QCOMPARE(f.main->UndoAction->text(), QStringLiteral("Отменить добавление команды «tool»"));
        result = verbs.Add(tool, 2);
        QVERIFY(!result.ok);
        QCOMPARE(result.text, QStringLiteral("На странице «Игры» нет пустых кнопок."));
        // Not under an open dialog, whose buttons the change would pull away.
        TModalScript script;
        script.then([&](QDialog* d) {
            const TVerbResult refused = verbs.Import(f.file("any.zip"));
            QVERIFY(!refused.ok);
            QVERIFY(refused.text.startsWith(QStringLiteral("В программе открыто окно «")));
            QVERIFY(!verbs.Add(tool, 1).ok);
            d->reject();
        });
        f.main->Options_MainOptionsActionExecute();
        QCOMPARE(script.shown, 1);
        result = verbs.Add(f.file("missing"), 1);
        QVERIFY(!result.ok);
        QVERIFY(result.text.contains(QStringLiteral("Файл не найден")));
        QVERIFY(!verbs.Add(tool, 5).ok);

        // A command without an icon file would open its parameters on a click: from a script it
        // is refused, saying what to mend rather than naming an empty path.
        TCommandRecord noIcon;
        noIcon.SetExePath("/bin/true");
        noIcon.SetDescription("Без иконки");
        TProfileCommand* first = f.pc()->GetCommand(0, 0)->Record();
        QCOMPARE(f.pc()->Model()->SetCommand(first, noIcon), TCommandWrite::Written);
        result = verbs.Run(1, 1, QString());
        QVERIFY(!result.ok);
        QCOMPARE(result.text, QStringLiteral("Команда «Без иконки» не запущена: у неё не указан "
                                             "файл иконки. Укажите его в параметрах команды."));
    }
};

QTEST_MAIN(TestImport)
#include "tst_import.moc"
