#include "DialogFakes.h"
#include "TestSupport.h"
#include "commands/Command.h"
#include "dialogs/ClickImage.h"
#include "dialogs/CommandOptions.h"
#include "pages/CommandsPage.h"
#include "pages/MyPageControl.h"
#include "platform/Shell.h"
#include "settings/Constants.h"
#include "settings/Folders.h"
#include "settings/IniFile.h"
#include "settings/SystemSettings.h"
#include "text/Paths.h"

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>

#include <memory>

namespace {

// A profile of two pages of five buttons: page "Программы" holds a runnable script on button 0
// and a missing program on button 3; page "Папки" is empty.
struct TProfile
{
    QTemporaryDir dir;
    QString tool;
    std::unique_ptr<TSystemSettings> settings;
    std::unique_ptr<IniFile> pages;
    std::unique_ptr<IniFile> commands;
    std::unique_ptr<TMyPageControl> control;
    TMessageRecorder history;
    TSystemSettings* previous = nullptr;

    TProfile()
    {
        tool = dir.filePath("tool.sh");
        writeAll(tool, "#!/bin/sh\nexit 0\n");
        QFile::setPermissions(tool, QFile::permissions(tool) | QFile::ExeOwner);
        writeAll(dir.filePath("Options.ini"),
                 "[PageControl]\r\nColCount=1\r\nCommandsCount=5\r\nPagesCount=2\r\n");
        writeAll(dir.filePath("Pages.ini"),
                 QStringLiteral("[0]\r\nCaption=Программы\r\nImageIndex=-1\r\n\r\n"
                                "[1]\r\nCaption=Папки\r\nImageIndex=-1\r\n")
                     .toUtf8());
        writeAll(dir.filePath("Commands.ini"),
                 QStringLiteral("[0\\0]\r\nExePath=%1\r\nIconPath=%1\r\nIconIndex=0\r\n"
                                "Description=Инструмент\r\n\r\n"
                                "[0\\3]\r\nExePath=/nonexistent/app\r\nIconIndex=0\r\n"
                                "Description=Пропавшая\r\n")
                     .arg(tool)
                     .toUtf8());
        Folders::initializeWith(dir.path(), QStringLiteral(KESTROLIN_BINARY_DIR "/bin"));
        settings = std::make_unique<TSystemSettings>(dir.path() + '/');
        previous = SystemSettings;
        SystemSettings = settings.get();
        pages = std::make_unique<IniFile>(dir.filePath("Pages.ini"));
        commands = std::make_unique<IniFile>(dir.filePath("Commands.ini"));
        control =
            std::make_unique<TMyPageControl>(nullptr, settings.get(), pages.get(), commands.get());
        control->resize(101, 254);
        control->LoadPages(nullptr, &history, nullptr, TEditCallback(), nullptr);
    }
    ~TProfile()
    {
        control.reset();
        SystemSettings = previous;
        Folders::clear();
    }
    TCommand* button(int page, int position) const { return control->GetCommand(page, position); }
    std::unique_ptr<TfmCommandOptions> dialog(int page, int position)
    {
        return std::make_unique<TfmCommandOptions>(nullptr, button(page, position), control.get());
    }
    void confirmationOff()
    {
        settings->Conformations()->Exclude(TSys_Conformations::ChangeCommandProperties);
    }
};

QColor textColour(const QLineEdit* edit)
{
    return edit->palette().color(QPalette::Text);
}

} // namespace

class TestCommandOptions : public QObject
{
    Q_OBJECT

private slots:
    void creationListsPagesAndButtons()
    {
        TProfile p;
        auto d = p.dialog(0, 3);
        QCOMPARE(d->size(), QSize(445, 385));
        QCOMPARE(d->PagesNamesComboBox->count(), 2);
        QCOMPARE(d->PagesNamesComboBox->itemText(1), QStringLiteral("Папки"));
        QCOMPARE(d->PagesNamesComboBox->currentIndex(), 0);
        QCOMPARE(d->LaunchButtonsComboBox->count(), 5);
        QCOMPARE(d->LaunchButtonsComboBox->currentIndex(), 3);
        QCOMPARE(d->LaunchButtonsComboBox->itemText(0), QStringLiteral("0 [Инструмент]"));
        QCOMPARE(d->LaunchButtonsComboBox->itemText(1), QStringLiteral("1 []"));
        // The missing program's hint carries its warning line, shown on the same line.
        QVERIFY(d->LaunchButtonsComboBox->itemText(3).startsWith(QStringLiteral("3 [Пропавшая ")));
        QCOMPARE(d->Command(), p.button(0, 3));
        QCOMPARE(d->ExePathEdit->text(), QStringLiteral("/nonexistent/app"));
        QCOMPARE(textColour(d->ExePathEdit), QColor(Qt::red));
        QCOMPARE(d->IconPreviewImage->toolTip(), QStringLiteral("Изменить"));
        QCOMPARE(d->ExePathEdit->maxLength(), 255);
        QVERIFY(d->IconPathEdit->isReadOnly());
        QVERIFY(!d->Changed());

        QWidget* focused = nullptr;
        onModal([&d, &focused](QWidget*) {
            focused = d->focusWidget();
            d->CancelButton->click();
        });
        QCOMPARE(d->exec(), int(QDialog::Rejected));
        QCOMPARE(focused, d->ExePathEdit);
    }

    void emptyButtonThenFileButton()
    {
        TProfile p;
        TFakeFileDialogs files;
        TScriptedMessageBoxes boxes;
        auto d = p.dialog(0, 1);
        QVERIFY(d->ExePathEdit->text().isEmpty());
        QVERIFY(d->DescriptionEdit->text().isEmpty());
        QVERIFY(d->IconPathEdit->text().isEmpty());
        // An empty button's preview is the button face, like the button itself.
        const QImage face = d->IconPreviewImage->pixmap().toImage();
        QCOMPARE(face.size(), QSize(32, 32));
        QCOMPARE(face.pixelColor(16, 16), face.pixelColor(0, 0));

        files.answers << p.tool;
        d->btnFile->click();
        QCOMPARE(files.startedIn, QStringList{QString()});
        QCOMPARE(d->ExePathEdit->text(), p.tool);
        QCOMPARE(d->DescriptionEdit->text(), QStringLiteral("tool"));
        QCOMPARE(d->IconPathEdit->text(), p.tool);
        QCOMPARE(d->ChosenIconIndex(), 0);
        QCOMPARE(textColour(d->ExePathEdit), QColor(Qt::black));
        QVERIFY(d->Changed());

        // A second choice starts on the file the field names.
        files.answers << QString();
        d->btnFile->click();
        QCOMPARE(files.startedIn.last(), p.tool);
        QCOMPARE(d->ExePathEdit->text(), p.tool);

        boxes.expect(IDOK);
        onModal([&d](QWidget*) { d->OkButton->click(); });
        QCOMPARE(d->exec(), int(QDialog::Accepted));
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown[0].text,
                 QStringLiteral("Параметры кнопки были изменены!\rСохранить ?"));
        QCOMPARE(boxes.shown[0].caption, QStringLiteral("Подтвердите сохранение!"));
        QCOMPARE(boxes.shown[0].flags, 0x121);
        QCOMPARE(p.commands->readString("0\\1", "ExePath", "-"), p.tool);
        QCOMPARE(p.commands->readString("0\\1", "Description", "-"), QStringLiteral("tool"));
        QCOMPARE(p.button(0, 1)->Hint(), QStringLiteral("tool"));
        // The button got contents: the quick-launch button hears of a new command.
        QCOMPARE(p.history.received.size(), 1);
        QCOMPARE(p.history.received[0].message, int(UM_COMMAND_FILLED));
        QCOMPARE(p.history.received[0].wParam, toParam(p.button(0, 1)->Record()));
        QVERIFY(!boxes.unexpected && !files.unexpected);
    }

    void folderButtonOnEmptyButton()
    {
        TProfile p;
        p.confirmationOff();
        TFakeFileDialogs files;
        TScriptedMessageBoxes boxes;
        QDir(p.dir.path()).mkdir("Документы");
        auto d = p.dialog(1, 2);
        files.answers << p.dir.filePath("Документы");
        d->btnFolder->click();
        QCOMPARE(d->ExePathEdit->text(), p.dir.filePath("Документы") + '/');
        QCOMPARE(textColour(d->ExePathEdit), QColor(Qt::black));
        QCOMPARE(d->IconPathEdit->text(), Folders::shell32Path());
        QCOMPARE(d->ChosenIconIndex(), 3);
        // The library's folder icon is drawn, not a warning.
        QVERIFY(QFileInfo::exists(Folders::shell32Path()));
        QVERIFY(!d->IconPreviewImage->pixmap().isNull());

        d->OkButton->click();
        QCOMPARE(d->result(), int(QDialog::Accepted));
        QVERIFY(boxes.shown.isEmpty());
        QCOMPARE(p.commands->readString("1\\2", "ExePath", "-"), p.dir.filePath("Документы") + '/');
        QCOMPARE(p.commands->readInteger("1\\2", "IconIndex", -1), 3);
        // A folder is no program to count runs of: no notice.
        QVERIFY(p.history.received.isEmpty());

        // With an icon already set, a folder leaves icon and description alone; the chooser
        // starts in the folder of the file the command names.
        auto e = p.dialog(0, 0);
        files.answers << p.dir.filePath("Документы");
        e->btnFolder->click();
        QCOMPARE(files.startedIn.last(), p.dir.path() + '/');
        QCOMPARE(e->IconPathEdit->text(), p.tool);
        QCOMPARE(e->DescriptionEdit->text(), QStringLiteral("Инструмент"));
        QCOMPARE(e->ChosenIconIndex(), 0);
        // Cancelled: nothing changes.
        files.answers << QString();
        e->btnFolder->click();
        QCOMPARE(e->ExePathEdit->text(), p.dir.filePath("Документы") + '/');
    }

    void shortcutConversion()
    {
        TProfile p;
        TFakeFileDialogs files;
        TScriptedMessageBoxes boxes;
        const QString entry = p.dir.filePath("tool" + Constants::ShortcutExtension);
        writeAll(entry, QStringLiteral("[Desktop Entry]\nType=Application\nExec=%1 --fast\n"
                                       "Name=Инструмент\nComment=Быстрый запуск\n")
                            .arg(p.tool)
                            .toUtf8());
        auto d = p.dialog(0, 2);
        files.answers << entry;
        boxes.expect(IDOK);
        d->btnFile->click();
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown[0].text, QStringLiteral("Преобразовать ярлык в команду ?"));
        QCOMPARE(boxes.shown[0].caption, QStringLiteral("Запрос на преобразование"));
        QCOMPARE(boxes.shown[0].flags, 0x21);
        QCOMPARE(d->ExePathEdit->text(), p.tool);
        QCOMPARE(d->ParametersEdit->text(), QStringLiteral("--fast"));
        QCOMPARE(d->DescriptionEdit->text(), QStringLiteral("Быстрый запуск"));
        // No icon in the shortcut: the target gives it.
        QCOMPARE(d->IconPathEdit->text(), p.tool);

        // Declined: the shortcut itself becomes the command.
        files.answers << entry;
        boxes.expect(IDCANCEL);
        d->btnFile->click();
        QCOMPARE(d->ExePathEdit->text(), entry);
        QCOMPARE(d->DescriptionEdit->text(), QStringLiteral("tool"));
        QCOMPARE(d->IconPathEdit->text(), entry);

        // A shortcut that cannot be read converts to its own path.
        const QString broken = p.dir.filePath("broken" + Constants::ShortcutExtension);
        writeAll(broken, "not an entry");
        files.answers << broken;
        boxes.expect(IDOK);
        d->btnFile->click();
        QCOMPARE(d->ExePathEdit->text(), broken);
        QCOMPARE(d->IconPathEdit->text(), broken);
        QVERIFY(d->ParametersEdit->text().isEmpty());
        QVERIFY(!boxes.unexpected);
    }

    void iconChooser()
    {
        TProfile p;
        TFakeIconChooser chooser;
        auto d = p.dialog(0, 1);
        // Nothing chosen yet: the chooser starts on the icon library.
        chooser.answerFile = QStringLiteral("%SystemRoot%/Icons/Mixed.ico");
        chooser.answerIndex = 5;
        d->IconPreviewImage->setFocus();
        QTest::mouseClick(d->IconPreviewImage, Qt::LeftButton);
        QCOMPARE(chooser.runs, 1);
        QCOMPARE(chooser.startFile, Folders::shell32Path());
        // No Windows folder here: the placeholder and the letters' case stay as reported.
        QCOMPARE(d->IconPathEdit->text(), QStringLiteral("%SystemRoot%/Icons/Mixed.ico"));
        QCOMPARE(d->ChosenIconFile(), QStringLiteral("%SystemRoot%/Icons/Mixed.ico"));
        QCOMPARE(d->ChosenIconIndex(), 5);
        QCOMPARE(textColour(d->IconPathEdit), QColor(Qt::red));

        // An existing chosen file is where the chooser starts next; Cancel changes nothing.
        auto e = p.dialog(0, 0);
        chooser.cancel = true;
        e->IconPreviewImageClick();
        QCOMPARE(chooser.startFile, p.tool);
        QCOMPARE(chooser.startIndex, 0);
        QCOMPARE(e->IconPathEdit->text(), p.tool);
        QVERIFY(!e->Changed());

        // Only the icon changed: that alone is a change worth saving.
        chooser.cancel = false;
        chooser.answerFile = Folders::shell32Path();
        chooser.answerIndex = 2;
        e->IconPreviewImageClick();
        QVERIFY(e->Changed());
    }

    void realIconChooserShowsEveryIcon()
    {
        TProfile p;
        const QString library = Folders::shell32Path();
        const int inLibrary = QImageReader(library).imageCount();
        QVERIFY(inLibrary > 3);
        QCOMPARE(FileIcons(library, 32).size(), inLibrary);
        QImage image(20, 10, QImage::Format_ARGB32);
        image.fill(Qt::green);
        const QString picture = p.dir.filePath("picture.png");
        QVERIFY(image.save(picture));
        QCOMPARE(FileIcons(picture, 32).size(), 1);
        // Any other file offers its type's icon; a missing one nothing.
        const QList<QPixmap> typeIcon = FileIcons(p.tool, 32);
        QCOMPARE(typeIcon.size(), 1);
        QVERIFY(!typeIcon[0].isNull());
        QVERIFY(FileIcons(p.dir.filePath("missing.ico"), 32).isEmpty());

        // Browsing to another file shows its icons; OK returns it with the selected index.
        TFakeFileDialogs files;
        files.answers << picture;
        int listed = -1;
        onModal([&listed](QWidget* modal) {
            auto* chooser = qobject_cast<TfmChangeIcon*>(modal);
            QVERIFY(chooser);
            listed = chooser->IconsListWidget->count();
            QCOMPARE(chooser->IconIndex(), 3);
            chooser->BrowseButton->click();
            chooser->OkButton->click();
        });
        QString file = library;
        int index = 3;
        QVERIFY(IconChooser().Execute(nullptr, file, index));
        QCOMPARE(listed, inLibrary);
        QCOMPARE(files.startedIn, QStringList{ExtractFilePath(library)});
        QCOMPARE(file, picture);
        QCOMPARE(index, 0);

        // Cancel leaves the caller's file and index alone.
        onModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
        QVERIFY(!IconChooser().Execute(nullptr, file, index));
        QCOMPARE(file, picture);
    }

    void iconPreviewShowsExistingIconDespiteMissingTarget()
    {
        TProfile p;
        auto d = p.dialog(0, 3);
        TCommandPicture error;
        DrawCommandIcon(QString(), QStringLiteral("/nonexistent/app"), 0, error);
        // The target is missing, so a button would show the error icon...
        QCOMPARE(d->IconPreviewImage->pixmap().toImage(), error.pixmap.toImage());
        // ...but an icon file that is there is drawn for the preview.
        TFakeIconChooser chooser;
        chooser.answerFile = Folders::shell32Path();
        chooser.answerIndex = 3;
        d->IconPreviewImageClick();
        TCommandPicture folder;
        DrawCommandIcon(Folders::shell32Path(), Folders::shell32Path(), 3, folder);
        QCOMPARE(d->IconPreviewImage->pixmap().toImage(), folder.pixmap.toImage());
        QCOMPARE(d->IconPreviewImage->toolTip(), QStringLiteral("Изменить"));
    }

    void descriptionChangeAnsweredCancel()
    {
        TProfile p;
        TScriptedMessageBoxes boxes;
        const QByteArray before = readAll(p.dir.filePath("Commands.ini"));
        auto d = p.dialog(0, 0);
        boxes.expect(IDCANCEL);
        onModal([&d](QWidget*) {
            d->DescriptionEdit->setFocus();
            d->DescriptionEdit->setText(QStringLiteral("Другое"));
            QTest::keyClick(d->DescriptionEdit, Qt::Key_Return);
        });
        // The dialog closes all the same; nothing is kept.
        QCOMPARE(d->exec(), int(QDialog::Accepted));
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(p.button(0, 0)->Description(), QStringLiteral("Инструмент"));
        QCOMPARE(readAll(p.dir.filePath("Commands.ini")), before);
        QVERIFY(p.history.received.isEmpty());

        // Cancel of the dialog itself neither asks nor saves.
        auto e = p.dialog(0, 0);
        onModal([&e](QWidget*) {
            e->DescriptionEdit->setText(QStringLiteral("Другое"));
            QTest::keyClick(e->DescriptionEdit, Qt::Key_Escape);
        });
        QCOMPARE(e->exec(), int(QDialog::Rejected));
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(readAll(p.dir.filePath("Commands.ini")), before);
    }

    void switchingButtonsSavesTheOneLeft()
    {
        TProfile p;
        TScriptedMessageBoxes boxes;
        auto d = p.dialog(0, 0);
        d->DescriptionEdit->setText(QStringLiteral("Новое имя"));
        boxes.expect(IDOK);
        d->LaunchButtonsComboBox->setCurrentIndex(3);
        d->LaunchButtonsComboBoxChange();
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(p.commands->readString("0\\0", "Description", "-"), QStringLiteral("Новое имя"));
        // An edited program is a changed command for the run history.
        QCOMPARE(p.history.received.size(), 1);
        QCOMPARE(p.history.received[0].message, int(UM_COMMAND_CHANGED));
        QCOMPARE(d->Command(), p.button(0, 3));
        QCOMPARE(d->LaunchButtonsComboBox->currentIndex(), 3);
        QCOMPARE(d->DescriptionEdit->text(), QStringLiteral("Пропавшая"));
        // The list was rebuilt with the new hint.
        QCOMPARE(d->LaunchButtonsComboBox->itemText(0), QStringLiteral("0 [Новое имя]"));

        // Nothing changed on this one: moving on to the other page asks nothing, keeps the
        // position and shows that page's button.
        d->PagesNamesComboBox->setCurrentIndex(1);
        d->PagesNamesComboBoxChange();
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(d->Command(), p.button(1, 3));
        QCOMPARE(d->LaunchButtonsComboBox->currentIndex(), 3);
        QVERIFY(d->ExePathEdit->text().isEmpty());

        // Declining the save of the one left keeps it as it was and still moves on.
        d->ExePathEdit->setText(QStringLiteral("/nonexistent/other"));
        boxes.expect(IDCANCEL);
        d->LaunchButtonsComboBox->setCurrentIndex(4);
        d->LaunchButtonsComboBoxChange();
        QCOMPARE(boxes.shown.size(), 2);
        QVERIFY(p.button(1, 3)->IsEmpty());
        QCOMPARE(d->Command(), p.button(1, 4));
        QVERIFY(!boxes.unexpected);
    }

    void longValuesAreShownAndKeptWhole()
    {
        TProfile p;
        TCommand* c = p.button(1, 0);
        const QString path = "/opt/" + QString(400, u'p') + "/run";
        const QString parameters = QString(300, u'a') + " --last";
        const QString description = QString(1000, u'о');
        const QString icon = "/icons/" + QString(600, u'i') + ".png";
        c->Record()->SetExePath(path);
        c->Record()->SetParameters(parameters);
        c->Record()->SetDescription(description);
        c->Record()->SetIconPath(icon);
        c->Record()->SetIconIndex(2);
        QVERIFY(c->Record()->Save());

        // Nothing touched: nothing changed, nothing asked (the question is on), nothing cut.
        TScriptedMessageBoxes boxes;
        auto d = p.dialog(1, 0);
        QCOMPARE(d->ExePathEdit->text(), path);
        QCOMPARE(d->ParametersEdit->text(), parameters);
        QCOMPARE(d->DescriptionEdit->text(), description);
        QCOMPARE(d->IconPathEdit->text(), icon);
        QVERIFY(!d->Changed());
        d->OkButton->click();
        QVERIFY(boxes.shown.isEmpty());
        QCOMPARE(p.commands->readString("1\\0", "Description", "-"), description);
        QCOMPARE(p.commands->readString("1\\0", "Parameters", "-"), parameters);

        // Typing never makes a long value longer than it was: a letter deleted can come back,
        // no more.
        auto e = p.dialog(1, 0);
        e->ParametersEdit->end(false);
        QTest::keyClicks(e->ParametersEdit, "zz");
        QCOMPARE(e->ParametersEdit->text(), parameters);
        QTest::keyClick(e->ParametersEdit, Qt::Key_Backspace);
        QTest::keyClicks(e->ParametersEdit, "zz");
        QCOMPARE(e->ParametersEdit->text(), parameters.chopped(1) + "z");
        // A short value takes at most 255 typed characters, and the next button's long value
        // is shown whole again.
        e->LaunchButtonsComboBox->setCurrentIndex(1);
        p.confirmationOff();
        e->LaunchButtonsComboBoxChange();
        QTest::keyClicks(e->DescriptionEdit, QString(300, u'x'));
        QCOMPARE(e->DescriptionEdit->text(), QString(255, u'x'));
        e->LaunchButtonsComboBox->setCurrentIndex(0);
        e->LaunchButtonsComboBoxChange();
        QCOMPARE(e->DescriptionEdit->text(), description);
        QCOMPARE(e->ParametersEdit->text(), parameters.chopped(1) + "z");
    }

    void typedPathGetsTheIconOfItsFile()
    {
        TProfile p;
        p.confirmationOff();
        auto d = p.dialog(1, 1);
        QTest::keyClicks(d->ExePathEdit, p.tool);
        // The preview shows what the button will show: the file's own icon.
        TCommandPicture expected;
        DrawCommandIcon(p.tool, p.tool, 0, expected);
        QCOMPARE(d->IconPreviewImage->pixmap().toImage(), expected.pixmap.toImage());
        QVERIFY(d->IconPathEdit->text().isEmpty());
        d->OkButton->click();
        // Saved with the file as its icon, index 0, as the file button gives it: a click on
        // the button runs it instead of opening the dialog for a missing icon.
        TCommand* c = p.button(1, 1);
        QCOMPARE(c->IconPath(), p.tool);
        QCOMPARE(c->IconIndex(), 0);
        QCOMPARE(p.commands->readString("1\\1", "IconPath", "-"), p.tool);
        QVERIFY(TargetExists(c->ExePath()) && IconFileExists(c->IconPath()));
        QVERIFY(!c->Hint().contains(QStringLiteral("Файл иконки не найден!")));

        // A typed folder gets the folder picture, as the folder button gives it.
        auto e = p.dialog(1, 2);
        QTest::keyClicks(e->ExePathEdit, p.dir.path() + u'/');
        e->OkButton->click();
        QCOMPARE(p.button(1, 2)->IconPath(), Folders::shell32Path());
        QCOMPARE(p.button(1, 2)->IconIndex(), 3);

        // A chosen icon stays as it was chosen.
        auto f = p.dialog(0, 0);
        QTest::keyClicks(f->ExePathEdit, "x");
        f->OkButton->click();
        QCOMPARE(p.button(0, 0)->IconPath(), p.tool);
    }

    void savedMissingProgramSendsNoNotice()
    {
        TProfile p;
        p.confirmationOff();
        auto d = p.dialog(1, 0);
        d->ExePathEdit->setText(QStringLiteral("/nonexistent/new"));
        d->OkButton->click();
        // Missing files are kept, not refused; only programs that are there join the history.
        QCOMPARE(p.commands->readString("1\\0", "ExePath", "-"),
                 QStringLiteral("/nonexistent/new"));
        QVERIFY(p.history.received.isEmpty());
    }

    void failedWriteIsReported()
    {
        TProfile p;
        p.confirmationOff();
        TScriptedMessageBoxes boxes;
        // The commands file cannot be replaced: a folder stands in its place.
        const QByteArray stored = readAll(p.dir.filePath("Commands.ini"));
        QVERIFY(QFile::remove(p.dir.filePath("Commands.ini")));
        QVERIFY(QDir(p.dir.path()).mkdir("Commands.ini"));
        auto d = p.dialog(0, 0);
        d->DescriptionEdit->setText(QStringLiteral("Другое"));
        boxes.expect(IDOK);
        d->OkButton->click();
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown[0].flags & MB::ICONERROR, MB::ICONERROR);
        // The dialog stays open with what was typed; the button keeps what the file holds.
        QVERIFY(d->result() != QDialog::Accepted);
        QCOMPARE(d->DescriptionEdit->text(), QStringLiteral("Другое"));
        QCOMPARE(p.button(0, 0)->Description(), QStringLiteral("Инструмент"));
        QVERIFY(p.history.received.isEmpty());
        // Going to another button would drop the typed text: the dialog stays where it is.
        boxes.expect(IDOK);
        d->LaunchButtonsComboBox->setCurrentIndex(2);
        d->LaunchButtonsComboBoxChange();
        QCOMPARE(boxes.shown.size(), 2);
        QCOMPARE(d->Command(), p.button(0, 0));
        QCOMPARE(d->LaunchButtonsComboBox->currentIndex(), 0);
        QCOMPARE(d->DescriptionEdit->text(), QStringLiteral("Другое"));

        // Once the folder is mended, OK saves and closes.
        QVERIFY(QDir(p.dir.path()).rmdir("Commands.ini"));
        writeAll(p.dir.filePath("Commands.ini"), stored);
        d->OkButton->click();
        QCOMPARE(d->result(), int(QDialog::Accepted));
        QCOMPARE(IniFile(p.dir.filePath("Commands.ini")).readString("0\\0", "Description", ""),
                 QStringLiteral("Другое"));
        QVERIFY(!boxes.unexpected);
    }

    void emptiedCommandIsErased()
    {
        TProfile p;
        p.confirmationOff();
        // Button 3 holds a path and a description, no icon file.
        auto d = p.dialog(0, 3);
        d->ExePathEdit->clear();
        d->DescriptionEdit->clear();
        d->OkButton->click();
        QCOMPARE(d->result(), int(QDialog::Accepted));
        QVERIFY(p.button(0, 3)->IsEmpty());
        QVERIFY(p.button(0, 3)->Hint().isEmpty());
        // Gone from the file, so it does not come back at the next start, and gone from the
        // history.
        QVERIFY(!IniFile(p.dir.filePath("Commands.ini")).sectionExists("0\\3"));
        QCOMPARE(p.history.received.size(), 1);
        QCOMPARE(p.history.received[0].message, int(UM_COMMAND_CLEARED));
        QCOMPARE(p.history.received[0].wParam, toParam(p.button(0, 3)->Record()));
    }
};

QTEST_MAIN(TestCommandOptions)
#include "tst_commandoptions.moc"
