#include "MainFixture.h"
#include "SoundCounter.h"
#include "TestSupport.h"
#include "app/Main.h"
#include "commands/Command.h"
#include "history/ArrowButton.h"
#include "history/RepositoryCommands.h"
#include "pages/CommandsPage.h"
#include "pages/MyPageControl.h"
#include "platform/Shell.h"
#include "settings/Folders.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QFile>
#include <QMimeData>
#include <QTest>
#include <QUrl>

// Files, folders and links dragged from a file manager or a browser onto the main window, as
// the window system hands them over: drag events carrying mime data.
class TestMainDrops : public QObject
{
    Q_OBJECT

    static std::unique_ptr<QMimeData> urls(const QList<QUrl>& list)
    {
        auto data = std::make_unique<QMimeData>();
        data->setUrls(list);
        return data;
    }
    static std::unique_ptr<QMimeData> files(const QStringList& paths)
    {
        QList<QUrl> list;
        for (const QString& path : paths)
            list.append(QUrl::fromLocalFile(path));
        return urls(list);
    }

    // The middle of a button's picture, or of a page's tab, in the window.
    static QPoint at(const TMainFixture& f, const TCommand* button)
    {
        return button->mapTo(f.main.get(), TCommand::PictureRect().center());
    }
    static QPoint atTab(const TMainFixture& f, int page)
    {
        return f.pc()->mapTo(f.main.get(), f.pc()->TabRect(page).center());
    }

    // Enter, move and drop at a point; whether the window took the drag.
    static bool drop(const TMainFixture& f, const QMimeData& data, const QPoint& point)
    {
        QDragEnterEvent enter(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.main.get(), &enter);
        if (!enter.isAccepted())
            return false;
        QDragMoveEvent move(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.main.get(), &move);
        if (!move.isAccepted())
            return false;
        QDropEvent event(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.main.get(), &event);
        return true;
    }

    static bool inHistory(const TMainFixture& f, TCommand* button)
    {
        return f.main->QuickLaunchArrowButton->History()->IndexOfCommand(button->Record()) >= 0;
    }

    static QString program(const TMainFixture& f, const QString& name)
    {
        const QString path = f.file(name);
        writeAll(path, "#!/bin/sh\n");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }

private slots:
    void filesFoldersAndLinksBecomeCommands()
    {
        TSoundCounter shell;
        TMainFixture f;
        // The icon library the program ships beside itself.
        QVERIFY(
            QFile::copy(KESTROLIN_BINARY_DIR "/bin/kestrolin-icons.ico", Folders::shell32Path()));
        f.main->FormActivate();
        TScriptedMessageBoxes boxes;
        const QList<TCommand*> b = f.pc()->Page(0)->Buttons();
        QVERIFY(b.size() >= 5);

        // A file: itself, its own icon, its name without the extension; the history learns it.
        const QString tool = program(f, "Сборка.отчёта.sh");
        QVERIFY(drop(f, *files({tool}), at(f, b[0])));
        QCOMPARE(b[0]->ExePath(), tool);
        QCOMPARE(b[0]->IconPath(), tool);
        QCOMPARE(b[0]->IconIndex(), 0);
        QCOMPARE(b[0]->Description(), QStringLiteral("Сборка.отчёта"));
        QVERIFY(b[0]->Parameters().isEmpty());
        QCOMPARE(f.commands->readString("0\\0", "ExePath", ""), tool);
        QVERIFY(inHistory(f, b[0]));

        // A folder: its path ending in the separator, the folder picture of the icon library.
        const QString folder = f.file("Мои документы");
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(drop(f, *files({folder}), at(f, b[1])));
        QCOMPARE(b[1]->ExePath(), folder + "/");
        QCOMPARE(b[1]->IconPath(), Folders::shell32Path());
        QCOMPARE(b[1]->IconIndex(), 3);
        QCOMPARE(b[1]->Description(), QStringLiteral("Мои документы"));

        // A link with the browser's title; it counts as there, so a click runs it instead of
        // opening the parameters dialog, and the hint carries no missing-file line.
        auto titled = urls({QUrl("https://example.org/news")});
        titled->setData("_NETSCAPE_URL",
                        QStringLiteral("https://example.org/news\nНовости").toUtf8());
        QVERIFY(drop(f, *titled, at(f, b[2])));
        QCOMPARE(b[2]->ExePath(), QStringLiteral("https://example.org/news"));
        QCOMPARE(b[2]->IconPath(), Folders::shell32Path());
        QCOMPARE(b[2]->IconIndex(), LinkIconIndex());
        QCOMPARE(b[2]->Description(), QStringLiteral("Новости"));
        QCOMPARE(b[2]->Hint(), QStringLiteral("Новости"));
        QVERIFY(!b[2]->Icon().isNull());

        // A link as plain text, with no title: the host names it; a mail link its address.
        QMimeData text;
        text.setText("https://www.example.org/a/b?c=d");
        QVERIFY(drop(f, text, at(f, b[3])));
        QCOMPARE(b[3]->Description(), QStringLiteral("www.example.org"));
        QVERIFY(drop(f, *urls({QUrl("mailto:me@example.org")}), at(f, b[4])));
        QCOMPARE(b[4]->ExePath(), QStringLiteral("mailto:me@example.org"));
        QCOMPARE(b[4]->Description(), QStringLiteral("me@example.org"));

        // One sound per drop, no box.
        QCOMPARE(shell.sounds, QList<int>(5, SoundDropShortCut));
        QVERIFY(boxes.shown.isEmpty());

        // One item on a filled button: asked first, as for a shortcut; Cancel keeps it.
        boxes.expect(IDCANCEL);
        QVERIFY(drop(f, *urls({QUrl("https://example.org/other")}), at(f, b[0])));
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown[0].text, QStringLiteral("Подтвердите замену содержимого кнопки!"));
        QCOMPARE(b[0]->ExePath(), tool);
        boxes.expect(IDOK);
        QVERIFY(drop(f, *urls({QUrl("https://example.org/other")}), at(f, b[0])));
        QCOMPARE(b[0]->ExePath(), QStringLiteral("https://example.org/other"));
        // The program's run count went with it.
        QVERIFY(!inHistory(f, b[0]));
        QVERIFY(!boxes.unexpected);
    }

    void severalItemsFillTheEmptyButtonsThatFollow()
    {
        TMainFixture f({}, {},
                       "[0\\1]\r\nExePath=/bin/sh\r\nIconPath=/bin/sh\r\nIconIndex=0\r\n"
                       "Description=Оболочка\r\n");
        f.main->FormActivate();
        const QList<TCommand*> b = f.pc()->Page(0)->Buttons();
        QCOMPARE(b.size(), 5);
        QStringList paths;
        for (const char* name : {"a.sh", "b.sh", "c.sh", "d.sh", "e.sh"})
            paths.append(program(f, name));
        // A shortcut among them is read as a shortcut.
        const QString shortcut = f.shortcut("s.desktop", paths[0], "Ярлык");
        paths.insert(1, shortcut);

        const quint64 writes = f.commands->diskWrites();
        TScriptedMessageBoxes boxes;
        boxes.expect(IDOK);
        QVERIFY(drop(f, *files(paths), at(f, b[0])));
        // The filled button is passed over without a question; what found no room is told.
        QCOMPARE(b[1]->Description(), QStringLiteral("Оболочка"));
        QCOMPARE(b[0]->ExePath(), paths[0]);
        QCOMPARE(b[2]->ExePath(), paths[0]);
        QCOMPARE(b[2]->Parameters(), QStringLiteral("--flag"));
        QCOMPARE(b[2]->Description(), QStringLiteral("Ярлык"));
        QCOMPARE(b[3]->ExePath(), paths[2]);
        QCOMPARE(b[4]->ExePath(), paths[3]);
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown[0].text, QStringLiteral("Не поместилось на страницу: 2"));
        QCOMPARE(boxes.shown[0].flags, MB::OK | MB::ICONWARNING);
        // The whole drop is one write of the commands file, and every program is in the history.
        QCOMPARE(f.commands->diskWrites(), writes + 1);
        for (int i : {0, 2, 3, 4}) {
            QCOMPARE(f.commands->readString(QString("0\\%1").arg(i), "ExePath", ""),
                     b[i]->ExePath());
            QVERIFY(inHistory(f, b[i]));
        }

        // Several items onto a full page from its last button: nothing changes but the count.
        boxes.expect(IDOK);
        QVERIFY(drop(f, *files(paths.mid(0, 2)), at(f, b[4])));
        QCOMPARE(boxes.shown.size(), 2);
        QCOMPARE(boxes.shown[1].text, QStringLiteral("Не поместилось на страницу: 2"));
        QCOMPARE(b[4]->ExePath(), paths[3]);
        QVERIFY(!boxes.unexpected);
    }

    void aDropOnATabFillsThatPage()
    {
        TMainFixture f("[PageControl]\r\nPagesCount=2\r\n",
                       "[0]\r\nCaption=Первая\r\n[1]\r\nCaption=Вторая\r\n",
                       "[1\\0]\r\nExePath=/bin/sh\r\nIconPath=/bin/sh\r\nIconIndex=0\r\n");
        f.main->FormActivate();
        QCOMPARE(f.pc()->PageCount(), 2);
        QVERIFY(f.pc()->TabRect(1).isValid());
        const QList<TCommand*> second = f.pc()->Page(1)->Buttons();
        QVERIFY(drop(f, *urls({QUrl("https://example.org/1"), QUrl("https://example.org/2")}),
                     atTab(f, 1)));
        QCOMPARE(second[0]->ExePath(), QStringLiteral("/bin/sh"));
        QCOMPARE(second[1]->ExePath(), QStringLiteral("https://example.org/1"));
        QCOMPARE(second[2]->ExePath(), QStringLiteral("https://example.org/2"));
        QCOMPARE(f.commands->readString("1\\2", "ExePath", ""),
                 QStringLiteral("https://example.org/2"));
        // The page in front stays, and its buttons stay empty.
        QCOMPARE(f.pc()->ActivePageIndex(), 0);
        for (TCommand* button : f.pc()->Page(0)->Buttons())
            QVERIFY(button->IsEmpty());
    }

    void refusedAndUnknownData()
    {
        TSoundCounter shell;
        TMainFixture f;
        f.main->FormActivate();
        TScriptedMessageBoxes boxes;
        TCommand* first = f.pc()->GetCommand(0, 0);

        // Text that is no address, and schemes no command opens, are not taken at all.
        QMimeData sentence;
        sentence.setText("просто текст https://example.org");
        QVERIFY(!drop(f, sentence, at(f, first)));
        QVERIFY(!drop(f, *urls({QUrl("ftp://example.org/f"), QUrl("javascript:void(0)")}),
                      at(f, first)));
        // Away from buttons and tabs the drag is refused.
        const QPoint status = f.main->StatusPanel->mapTo(f.main.get(), QPoint(2, 2));
        QVERIFY(!drop(f, *urls({QUrl("https://example.org/")}), status));
        QVERIFY(shell.sounds.isEmpty());
        QVERIFY(first->IsEmpty());

        // A file that went away and a damaged shortcut are told in one box; the rest is placed.
        const QString broken = f.file("broken.desktop");
        writeAll(broken, "\x01\x02 not an entry");
        const QString gone = f.file("gone.txt");
        const QString kept = program(f, "kept.sh");
        boxes.expect(IDOK);
        QVERIFY(drop(f, *files({gone, broken, kept}), at(f, first)));
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown[0].text,
                 "Файл не найден:\r\"" + gone + "\"\r\rЯрлык не может стать командой:\r\"" +
                     broken + "\"\rФайл повреждён или не является ярлыком рабочего стола.");
        QCOMPARE(boxes.shown[0].flags, MB::OK | MB::ICONERROR);
        QCOMPARE(first->ExePath(), kept);
        QVERIFY(f.pc()->GetCommand(0, 1)->IsEmpty());

        // Many refusals: the box names ten and counts the rest.
        QStringList missing;
        for (int i = 0; i < 25; ++i)
            missing.append(f.file(QString("missing%1.txt").arg(i)));
        boxes.expect(IDOK);
        QVERIFY(drop(f, *files(missing + QStringList{kept}), at(f, first)));
        QCOMPARE(boxes.shown.size(), 2);
        QCOMPARE(boxes.shown[1].text.count("Файл не найден"), 10);
        QVERIFY(boxes.shown[1].text.endsWith("\r\rИ ещё не принято: 15"));
        QCOMPARE(f.pc()->GetCommand(0, 1)->ExePath(), kept);
        // Once the page is full the rest is only counted, not looked at: a missing file there
        // brings no error.
        boxes.expect(IDOK);
        QVERIFY(drop(f, *files({kept, kept, kept, missing[0], missing[1]}), at(f, first)));
        QCOMPARE(boxes.shown.size(), 3);
        QCOMPARE(boxes.shown[2].text, QStringLiteral("Не поместилось на страницу: 2"));
        QVERIFY(!boxes.unexpected);
    }

    void aFailedWriteLeavesTheButtonsAsTheFileHoldsThem()
    {
        TMainFixture f;
        f.main->FormActivate();
        const QList<TCommand*> b = f.pc()->Page(0)->Buttons();
        const QString a = program(f, "a.sh");
        const QString c = program(f, "c.sh");
        // A folder in the file's place: no write can replace it.
        QFile::remove(f.file("Commands.ini"));
        QVERIFY(QDir(f.dir.path()).mkdir("Commands.ini"));
        QVERIFY(drop(f, *files({a, c}), at(f, b[0])));
        QVERIFY(b[0]->IsEmpty());
        QVERIFY(b[1]->IsEmpty());
        QVERIFY(!inHistory(f, b[0]));
        QVERIFY(!inHistory(f, b[1]));
        // Once the file can be written again, the failed drop does not come back with it.
        QVERIFY(QDir(f.dir.path()).rmdir("Commands.ini"));
        QVERIFY(drop(f, *files({c}), at(f, b[2])));
        const IniFile stored(f.file("Commands.ini"));
        QVERIFY(!stored.sectionExists("0\\0"));
        QVERIFY(!stored.sectionExists("0\\1"));
        QCOMPARE(stored.readString("0\\2", "ExePath", ""), c);
    }
};

QTEST_MAIN(TestMainDrops)
#include "tst_maindrops.moc"
