#include "TestSupport.h"
#include "commands/Command.h"
#include "commands/Messages.h"
#include "profile/ProfileModel.h"
#include "settings/IniFile.h"
#include "settings/SystemSettings.h"

#include <QDrag>
#include <QElapsedTimer>
#include <QEnterEvent>
#include <QImage>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include <memory>

namespace {

struct TNotice
{
    int message;
    intptr_t wParam;
    intptr_t lParam;
    bool operator==(const TNotice&) const = default;
};

// A partner window that records the notices it gets.
class TReceiver : public QObject
{
public:
    explicit TReceiver(const QString& name, QStringList* log = nullptr) : m_name(name), m_log(log)
    {}

    bool event(QEvent* event) override
    {
        if (event->type() != TMessageEvent::eventType())
            return QObject::event(event);
        auto* notice = static_cast<TMessageEvent*>(event);
        notices.append({notice->message(), notice->wParam(), notice->lParam()});
        if (m_log)
            m_log->append(m_name + ':' + QString::number(notice->message(), 16));
        if (onNotice)
            onNotice(*notice);
        return true;
    }

    QList<TNotice> notices;
    std::function<void(const TMessageEvent&)> onNotice;

private:
    QString m_name;
    QStringList* m_log;
};

// A shell that runs nothing and counts what it was asked to do.
class TFakeShell : public IShell
{
public:
    bool Execute(const QString& path, const QString& parameters, const QString&) override
    {
        executed.append(path + '|' + parameters);
        if (log)
            log->append("execute");
        return executeResult;
    }
    void PlaySound(int kind) override
    {
        sounds.append(kind);
        if (log)
            log->append("sound:" + QString::number(kind));
    }
    TShortcutInfo ReadShortcut(const QString&) override { return {}; }
    bool WriteShortcut(const TShortcutInfo&, const QString&, int) override { return false; }
    QPixmap ExtractIcon(const QString&, int, int size) override
    {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::darkCyan);
        return pixmap;
    }
    void OpenUrl(const QString&) override {}
    QString StartupFolder() override { return {}; }
    QString DesktopFolder() override { return {}; }
    QString ExecutablePath() override { return {}; }
    TVersionNumbers ExecutableVersion() override { return {}; }
    QDateTime ExecutableLastChange() override { return {}; }

    QStringList executed;
    QList<int> sounds;
    bool executeResult = true;
    QStringList* log = nullptr;

private:
    TScopedSeam<IShell> m_seam{SetShell, this};
};

// Runs a drag of a button as a test script says instead of waiting for the user.
class TScriptedDrag
{
public:
    explicit TScriptedDrag(std::function<void(QDrag&, TCommand&)> script)
        : m_previous(TCommand::SetDragRunner([this, script](QDrag& drag, TCommand& source) {
              ++started;
              script(drag, source);
              return Qt::MoveAction;
          }))
    {}
    ~TScriptedDrag() { TCommand::SetDragRunner(m_previous); }
    int started = 0;

private:
    TCommand::TDragRunner m_previous;
};

// Delivers the stages of a drop onto a button's picture; returns whether the drop was taken.
bool dropOn(TCommand& target, const QMimeData* data, Qt::KeyboardModifiers modifiers,
            QPointF at = QPointF(14, 14))
{
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton,
                          modifiers);
    QCoreApplication::sendEvent(&target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, modifiers);
    QCoreApplication::sendEvent(&target, &drop);
    return drop.isAccepted();
}

QString section(const TCommand& command)
{
    return command.Record()->SectionName();
}

void fill(TCommand& command, const QString& exePath, const QString& iconPath,
          const QString& description, const QString& parameters = QString())
{
    TProfileCommand* record = command.Record();
    record->SetExePath(exePath);
    record->SetIconPath(iconPath);
    record->SetIconIndex(0);
    record->SetDescription(description);
    record->SetParameters(parameters);
    command.Refresh();
    QVERIFY(record->Save());
}

} // namespace

class TestCommand : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<TSystemSettings> m_settings;
    std::unique_ptr<IniFile> m_file;
    QString m_script; // an executable that writes its first argument to out.txt
    QString m_icon;   // a picture file usable as icon

    QString path(const QString& name) const { return m_dir.filePath(name); }

    // The profile the buttons' commands belong to; what it tells the history reaches the
    // history receiver of the button last made, as the notices the window passes on.
    std::unique_ptr<TProfileModel> m_profile;
    QPointer<QObject> m_history;
    std::vector<std::unique_ptr<TProfileCommand>> m_records;

    std::unique_ptr<TCommand> button(QWidget* page, int number, QObject* hover = nullptr,
                                     QObject* history = nullptr, QObject* main = nullptr,
                                     TEditCallback edit = {}, IniFile* file = nullptr)
    {
        if (!m_profile) {
            m_profile = std::make_unique<TProfileModel>();
            ForwardHistoryNotices(m_profile.get(), m_profile.get(),
                                  [this] { return m_history.data(); });
        }
        if (history)
            m_history = history;
        m_records.push_back(std::make_unique<TProfileCommand>(m_profile.get(), 0, number,
                                                              file ? file : m_file.get()));
        return std::make_unique<TCommand>(m_records.back().get(), page, nullptr, hover, history,
                                          std::move(edit), main);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QDir().mkpath(path("settings"));
        m_settings = std::make_unique<TSystemSettings>(path("settings") + '/');
        SystemSettings = m_settings.get();
        m_file = std::make_unique<IniFile>(path("Commands.ini"));

        m_script = path("run me.sh");
        writeAll(m_script, "#!/bin/sh\nprintf '%s\\n' \"$1\" > \"$(dirname \"$0\")/out.txt\"\n");
        QFile::setPermissions(m_script, QFile::permissions(m_script) | QFile::ExeOwner);
        m_icon = path("icon.png");
        QImage image(32, 32, QImage::Format_ARGB32);
        image.fill(Qt::darkGreen);
        QVERIFY(image.save(m_icon));
    }

    void cleanupTestCase()
    {
        SystemSettings = nullptr;
        m_settings.reset();
    }

    void init() { QFile::remove(path("Commands.ini")); }

    void geometryHoverAndIdentity()
    {
        QWidget page;
        TReceiver hover("hover");
        auto one = button(&page, 0, &hover);
        QCOMPARE(one->size(), QSize(41, 41));
        QCOMPARE(TCommand::FrameRect(), QRect(2, 2, 37, 37));
        QCOMPARE(TCommand::PictureRect(), QRect(4, 4, 32, 32));
        QCOMPARE(one->OuterBevel(), TCommand::BevelRaised);
        QCOMPARE(one->InnerBevel(), TCommand::BevelNone);

        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QCoreApplication::sendEvent(one.get(), &enter);
        QCOMPARE(one->InnerBevel(), TCommand::BevelLowered);
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(one.get(), &leave);
        QCOMPARE(one->InnerBevel(), TCommand::BevelNone);
        QCOMPARE(one->OuterBevel(), TCommand::BevelRaised);
        QCOMPARE(hover.notices, (QList<TNotice>{{UM_COMMAND_ENTER, toParam(one.get()), 0},
                                                {UM_COMMAND_LEAVE, 0, 0}}));

        // Only live buttons count; nothing else is ever dereferenced.
        int onStack = 0;
        QVERIFY(TCommand::IsCommandButton(one.get()));
        QCOMPARE(TCommand::FromParam(toParam(one.get())), one.get());
        QVERIFY(!TCommand::IsCommandButton(nullptr));
        QVERIFY(!TCommand::IsCommandButton(&onStack));
        QVERIFY(!TCommand::IsCommandButton(&page));
        QCOMPARE(TCommand::FromParam(-1), nullptr);
        QCOMPARE(TCommand::FromParam(0), nullptr);
        QCOMPARE(TCommand::FromParam(0x10), nullptr);
        const void* gone = one.get();
        one.reset();
        QVERIFY(!TCommand::IsCommandButton(gone));
        // Destroying a button leaves the file alone.
        auto two = button(&page, 1);
        fill(*two, m_script, m_icon, "Two");
        two.reset();
        QVERIFY(m_file->sectionExists("0\\1"));
    }

    void clearErasesAndNotifies()
    {
        QWidget page;
        TReceiver history("history");
        auto one = button(&page, 3, nullptr, &history);
        fill(*one, m_script, m_icon, "Script", "-q");
        QVERIFY(!one->Icon().isNull());
        QVERIFY(readAll(path("Commands.ini")).contains("[0\\3]"));

        QVERIFY(one->Clear());
        QVERIFY(one->IsEmpty());
        QCOMPARE(one->IconIndex(), -1);
        QCOMPARE(one->Hint(), QString());
        QVERIFY(one->Icon().isNull());
        QVERIFY(one->ToolTipText().isEmpty());
        QVERIFY(!readAll(path("Commands.ini")).contains("[0\\3]"));
        QCOMPARE(history.notices,
                 (QList<TNotice>{{UM_COMMAND_CLEARED, toParam(one->Record()), 0}}));

        // Markup in a description is shown as text.
        fill(*one, m_script, m_icon, "<b>bold</b> & <img src=x>");
        QVERIFY(one->ToolTipText().contains("&lt;b&gt;bold&lt;/b&gt;"));
        QVERIFY(!one->ToolTipText().contains("<img"));
        // The tip shows over the picture only.
        page.show();
        const QPoint centre = TCommand::PictureRect().center();
        QHelpEvent overPicture(QEvent::ToolTip, centre, one->mapToGlobal(centre));
        QCoreApplication::sendEvent(one.get(), &overPicture);
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), one->ToolTipText());
        QHelpEvent overPanel(QEvent::ToolTip, QPoint(1, 1), one->mapToGlobal(QPoint(1, 1)));
        QCoreApplication::sendEvent(one.get(), &overPanel);
        QTRY_VERIFY(!QToolTip::isVisible());
        QVERIFY(one->Clear());
        QCOMPARE(history.notices.size(), 2);

        // An empty button has nothing to clear and tells nobody.
        QVERIFY(one->Clear());
        QCOMPARE(history.notices.size(), 2);
    }

    void clickWithMissingFilesOpensEditor()
    {
        TFakeShell shell;
        QWidget page;
        TReceiver history("history"), main("main");
        QList<TCommand*> edited;
        auto one = button(&page, 0, nullptr, &history, &main,
                          [&](TCommand* sender) { edited.append(sender); });
        page.show();

        // Only the picture takes clicks; the panel and frame round it do not.
        QTest::mouseClick(one.get(), Qt::LeftButton, {}, QPoint(2, 20));
        QTest::mouseClick(one.get(), Qt::LeftButton, {}, QPoint(38, 38));
        QVERIFY(edited.isEmpty());
        QTest::mouseClick(one.get(), Qt::LeftButton, {}, TCommand::PictureRect().center());
        QCOMPARE(edited, QList<TCommand*>{one.get()});

        // The program exists but its icon file is gone.
        fill(*one, m_script, path("gone.png"), "Script");
        QVERIFY(one->Hint().endsWith("\rФайл иконки не найден!"));
        QTest::mouseClick(one.get(), Qt::LeftButton, {}, TCommand::PictureRect().center());
        // A folder named without its trailing separator is not a target.
        fill(*one, m_dir.path(), m_icon, "Folder");
        QVERIFY(one->Hint().endsWith("\rФайл команды не найден!"));
        one->ClickAction()();
        QCOMPARE(edited.size(), 3);

        QVERIFY(shell.sounds.isEmpty());
        QVERIFY(shell.executed.isEmpty());
        QVERIFY(history.notices.isEmpty());
        QVERIFY(main.notices.isEmpty());
        QVERIFY(!one->Pressed());
    }

    void clickRunsRealScript()
    {
        QWidget page;
        QStringList log;
        TReceiver history("history", &log), main("main", &log);
        auto one = button(&page, 0, nullptr, &history, &main);
        fill(*one, m_script, m_icon, "Script", "\"two words\"");
        QLineEdit probe(&page);
        probe.move(0, 50);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        probe.setFocus();

        QList<bool> pressedAtNotice;
        history.onNotice = [&](const TMessageEvent&) { pressedAtNotice.append(one->Pressed()); };
        // Typing while the pressed frame shows reaches nobody.
        QTimer::singleShot(100, &probe, [&] { QTest::keyClick(&probe, Qt::Key_X); });
        QElapsedTimer elapsed;
        elapsed.start();
        QTest::mouseClick(one.get(), Qt::LeftButton, {}, TCommand::PictureRect().center());
        QVERIFY(elapsed.elapsed() >= TCommand::PressedTime);

        QCOMPARE(log, QStringList({"history:403", "main:403"}));
        QCOMPARE(history.notices, (QList<TNotice>{{UM_COMMAND_RUN, toParam(one->Record()), 0}}));
        QCOMPARE(main.notices, history.notices);
        QCOMPARE(pressedAtNotice, QList<bool>{true});
        QVERIFY(!one->Pressed());
        QCOMPARE(probe.text(), QString());
        QTRY_COMPARE(readAll(path("out.txt")), QByteArray("two words\n"));

        // Typing works again afterwards.
        QTest::keyClick(&probe, Qt::Key_Y);
        QCOMPARE(probe.text(), QString("y"));
        // The click action of a destroyed button does nothing.
        auto action = one->ClickAction();
        one.reset();
        action();
        QCOMPARE(main.notices.size(), 1);
    }

    void failedRunSendsNothing()
    {
        TFakeShell shell;
        QStringList log;
        shell.log = &log;
        shell.executeResult = false;
        TScriptedMessageBoxes boxes;
        boxes.expect(IDOK);
        QWidget page;
        TReceiver history("history", &log), main("main", &log);
        auto one = button(&page, 0, nullptr, &history, &main);
        fill(*one, m_script, m_icon, "Script", "-a");

        one->ClickAction()();
        QCOMPARE(log, QStringList({"sound:2", "execute"}));
        QCOMPARE(shell.executed, QStringList{m_script + "|-a"});
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown[0].text, "Не удаётся запустить команду\r\"" + m_script + "\" -a");
        QVERIFY(!one->Pressed());
        QVERIFY(history.notices.isEmpty());
        QVERIFY(main.notices.isEmpty());
    }

    void dragMovesAndCopies()
    {
        TFakeShell shell;
        TScriptedMessageBoxes boxes;
        QWidget page;
        TReceiver history("history");
        QList<TCommand*> edited;
        auto edit = [&](TCommand* sender) { edited.append(sender); };
        auto a = button(&page, 0, nullptr, &history, nullptr, edit);
        auto b = button(&page, 1, nullptr, &history, nullptr, edit);
        auto c = button(&page, 2, nullptr, &history, nullptr, edit);
        fill(*a, m_script, m_icon, "Alpha", "\"x y\"");
        fill(*c, m_script, m_icon, "Gamma");
        page.show();

        // Alt-drag A onto the empty B: a move, no question asked.
        bool draggingDuringDrag = false;
        TScriptedDrag drag([&](QDrag& d, TCommand& source) {
            draggingDuringDrag = source.Dragging();
            source.Click(); // clicks are ignored while dragging
            // Dropping a button on itself is refused.
            QVERIFY(!dropOn(source, d.mimeData(), Qt::AltModifier));
            // The panel round the picture is no drop place.
            QVERIFY(!dropOn(*b, d.mimeData(), Qt::AltModifier, QPointF(1, 1)));
            QVERIFY(dropOn(*b, d.mimeData(), Qt::AltModifier));
        });
        QTest::mousePress(a.get(), Qt::LeftButton, Qt::AltModifier, QPoint(9, 9));
        QTest::mouseRelease(a.get(), Qt::LeftButton, Qt::AltModifier, QPoint(9, 9));
        QCOMPARE(drag.started, 1);
        QVERIFY(draggingDuringDrag);
        QVERIFY(!a->Dragging());
        QVERIFY(edited.isEmpty());
        QVERIFY(shell.executed.isEmpty());
        QVERIFY(boxes.shown.isEmpty());
        QCOMPARE(shell.sounds, QList<int>{SoundDropCommand});

        QVERIFY(a->IsEmpty());
        QCOMPARE(b->Description(), QString("Alpha"));
        QCOMPARE(b->Parameters(), QString("\"x y\""));
        QCOMPARE(b->Hint(), QString("Alpha"));
        QVERIFY(!b->Icon().isNull());
        QVERIFY(!m_file->sectionExists(section(*a)));
        QCOMPARE(m_file->readString(section(*b), "Parameters", {}), QString("#x y#"));
        QCOMPARE(history.notices,
                 (QList<TNotice>{{UM_COMMAND_MOVED, toParam(a->Record()), toParam(b->Record())},
                                 {UM_COMMAND_CLEARED, toParam(a->Record()), 0}}));

        // An empty button can't be dragged.
        QTest::mousePress(a.get(), Qt::LeftButton, Qt::AltModifier, QPoint(9, 9));
        QTest::mouseRelease(a.get(), Qt::LeftButton, Qt::AltModifier, QPoint(9, 9));
        QCOMPARE(drag.started, 1);
        QVERIFY(!b->AcceptsDropFrom(a.get()));
        QVERIFY(!b->AcceptsDropFrom(b.get()));
        QVERIFY(!b->AcceptsDropFrom(nullptr));
        // A plain press is no drag, nor is a press with another button.
        QVERIFY(!b->CanStartDrag(Qt::LeftButton, Qt::NoModifier));
        QVERIFY(!b->CanStartDrag(Qt::RightButton, Qt::AltModifier));
        QVERIFY(b->CanStartDrag(Qt::LeftButton, Qt::ControlModifier));
    }

    void dragCopyAsksBeforeReplacing()
    {
        TFakeShell shell;
        TScriptedMessageBoxes boxes;
        QWidget page;
        TReceiver history("history");
        auto b = button(&page, 1, nullptr, &history);
        auto c = button(&page, 2, nullptr, &history);
        fill(*b, m_script, m_icon, "Beta", "-b");
        fill(*c, m_script, m_icon, "Gamma");
        const QByteArray before = readAll(path("Commands.ini"));
        page.show();

        TScriptedDrag drag(
            [&](QDrag& d, TCommand&) { QVERIFY(dropOn(*c, d.mimeData(), Qt::ControlModifier)); });
        // Cancel: nothing changes, but the drop sound has played.
        boxes.expect(IDCANCEL);
        QTest::mousePress(b.get(), Qt::LeftButton, Qt::ControlModifier, QPoint(9, 9));
        QTest::mouseRelease(b.get(), Qt::LeftButton, Qt::ControlModifier, QPoint(9, 9));
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown[0].text, QString("Подтвердите замену содержимого кнопки!"));
        QCOMPARE(boxes.shown[0].caption, QString("Замена содержимого кнопки"));
        QCOMPARE(boxes.shown[0].flags, 0x121);
        QCOMPARE(shell.sounds, QList<int>{SoundDropCommand});
        QCOMPARE(c->Description(), QString("Gamma"));
        QCOMPARE(b->Description(), QString("Beta"));
        QCOMPARE(readAll(path("Commands.ini")), before);
        QVERIFY(history.notices.isEmpty());

        // OK: both hold the command. C's own command is gone, and with it its run count: the
        // copy is new to the history.
        boxes.expect(IDOK);
        QTest::mousePress(b.get(), Qt::LeftButton, Qt::ControlModifier, QPoint(9, 9));
        QTest::mouseRelease(b.get(), Qt::LeftButton, Qt::ControlModifier, QPoint(9, 9));
        QCOMPARE(boxes.shown.size(), 2);
        QCOMPARE(c->Description(), QString("Beta"));
        QCOMPARE(c->Parameters(), QString("-b"));
        QCOMPARE(c->Hint(), QString("Beta"));
        QCOMPARE(b->Description(), QString("Beta"));
        QCOMPARE(m_file->readString(section(*c), "Description", {}), QString("Beta"));
        QCOMPARE(m_file->readString(section(*b), "Description", {}), QString("Beta"));
        QCOMPARE(history.notices, (QList<TNotice>{{UM_COMMAND_CLEARED, toParam(c->Record()), 0},
                                                  {UM_COMMAND_FILLED, toParam(c->Record()), 0}}));

        // With the confirmation switched off a filled button is replaced without a question.
        SystemSettings->Conformations()->Exclude(TSys_Conformations::ReplaceCommandOnDrop);
        b->Record()->SetDescription("Beta 2");
        QVERIFY(b->Record()->Save());
        QTest::mousePress(b.get(), Qt::LeftButton, Qt::ControlModifier, QPoint(9, 9));
        QTest::mouseRelease(b.get(), Qt::LeftButton, Qt::ControlModifier, QPoint(9, 9));
        SystemSettings->Conformations()->Include(TSys_Conformations::ReplaceCommandOnDrop);
        QCOMPARE(boxes.shown.size(), 2);
        QCOMPARE(c->Description(), QString("Beta 2"));

        // A button holding nothing but parameters can be dragged.
        auto d = button(&page, 3, nullptr, &history);
        auto e = button(&page, 4, nullptr, &history);
        d->Record()->SetParameters("--only");
        TScriptedDrag toE(
            [&](QDrag& dd, TCommand&) { QVERIFY(dropOn(*e, dd.mimeData(), Qt::AltModifier)); });
        QTest::mousePress(d.get(), Qt::LeftButton, Qt::AltModifier, QPoint(9, 9));
        QTest::mouseRelease(d.get(), Qt::LeftButton, Qt::AltModifier, QPoint(9, 9));
        QCOMPARE(toE.started, 1);
        QCOMPARE(e->Parameters(), QString("--only"));
        QVERIFY(d->IsEmpty());
    }

    void moveKeepsSourceWhenTargetCannotBeSaved()
    {
        TFakeShell shell;
        TScriptedMessageBoxes boxes;
        QWidget page;
        TReceiver history("history");
        // A commands file that can't be read is never overwritten: here it is a folder.
        QDir().mkpath(path("Broken.ini"));
        IniFile broken(path("Broken.ini"));
        auto source = button(&page, 0, nullptr, &history);
        auto target = button(&page, 1, nullptr, &history, nullptr, {}, &broken);
        fill(*source, m_script, m_icon, "Precious", "-p");
        page.show();

        TScriptedDrag drag(
            [&](QDrag& d, TCommand&) { QVERIFY(dropOn(*target, d.mimeData(), Qt::AltModifier)); });
        boxes.expect(IDOK);
        QTest::mousePress(source.get(), Qt::LeftButton, Qt::AltModifier, QPoint(9, 9));
        QTest::mouseRelease(source.get(), Qt::LeftButton, Qt::AltModifier, QPoint(9, 9));

        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown[0].caption, QString("Ошибка сохранения команды"));
        QVERIFY(boxes.shown[0].text.contains("Команда осталась на прежнем месте."));
        QCOMPARE(source->Description(), QString("Precious"));
        QCOMPARE(m_file->readString(section(*source), "Description", {}), QString("Precious"));
        IniFile fresh(path("Commands.ini"));
        QCOMPARE(fresh.readString(section(*source), "Parameters", {}), QString("-p"));
        QVERIFY(target->IsEmpty());
        QVERIFY(target->Hint().isEmpty());
        QVERIFY(history.notices.isEmpty());
    }

    void damagedStoredCommandsShowTheirState()
    {
        QByteArray bytes = "[0\\0]\r\nExePath=" + m_dir.path().toUtf8() + "/" +
                           QByteArray(4000, 'p') + ".sh\r\nIconIndex=1.5\r\n";
        bytes += "[0\\1]\r\nExePath=" + m_script.toUtf8() +
                 "\r\nIconPath=" + m_dir.path().toUtf8() + "/\x01\xfe\xff.ico\r\nIconIndex=--3\r\n";
        bytes += "[0\\2]\r\nExePath=" + m_script.toUtf8() + "\r\nIconPath=" + m_icon.toUtf8() +
                 "\r\nIconIndex=x\r\n";
        bytes += QByteArrayLiteral("[0\\3]\r\nExePath=\x00\x01\x02\r\nDescription=\xff\xff\r\n");
        writeAll(path("Commands.ini"), bytes);
        IniFile file(path("Commands.ini"));
        QWidget page;
        std::vector<std::unique_ptr<TCommand>> buttons;
        for (int i = 0; i < 4; ++i) {
            buttons.push_back(button(&page, i, nullptr, nullptr, nullptr, {}, &file));
            buttons.back()->Record()->Load();
            buttons.back()->Refresh();
        }

        QCOMPARE(buttons[0]->ExePath().size(), IniFile::MaxValueLength);
        QCOMPARE(buttons[0]->IconIndex(), -1);
        QVERIFY(buttons[0]->Hint().endsWith("\rФайл команды не найден!"));
        QVERIFY(buttons[1]->Hint().endsWith("\rФайл иконки не найден!"));
        QCOMPARE(buttons[1]->IconIndex(), -1);
        QVERIFY(!buttons[2]->Hint().contains(u'\r'));
        QVERIFY(buttons[3]->Hint().endsWith("\rФайл команды не найден!"));

        const QImage error = buttons[0]->Icon().toImage();
        const QImage warning = buttons[1]->Icon().toImage();
        const QImage real = buttons[2]->Icon().toImage();
        QVERIFY(!error.isNull() && !warning.isNull() && !real.isNull());
        QCOMPARE(buttons[3]->Icon().toImage(), error);
        QVERIFY(error != warning);
        QVERIFY(real != error && real != warning);
    }

    void renderRow()
    {
        // Real file-type icons next to the warning and error icons and an empty button.
        writeAll(path("notes.txt"), "text\n");
        writeAll(path("page.html"), "<html></html>\n");
        QWidget row;
        row.resize(7 * 43 + 8, 57);
        row.setAutoFillBackground(true);
        struct Entry
        {
            QString exe, icon, description;
        };
        const QList<Entry> entries = {
            {m_script, m_script, "Script"},
            {path("notes.txt"), path("notes.txt"), "Notes"},
            {path("page.html"), path("page.html"), "Page"},
            {m_script, m_icon, "Picture"},
            {m_script, path("missing.ico"), "Warning"},
            {path("missing.sh"), m_icon, "Error"},
            {QString(), QString(), QString()},
        };
        std::vector<std::unique_ptr<TCommand>> buttons;
        for (int i = 0; i < entries.size(); ++i) {
            buttons.push_back(button(&row, i));
            buttons.back()->move(4 + i * 43, 8);
            if (!entries[i].exe.isEmpty())
                fill(*buttons.back(), entries[i].exe, entries[i].icon, entries[i].description);
        }
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QCoreApplication::sendEvent(buttons[1].get(), &enter);
        row.show();
        QVERIFY(QTest::qWaitForWindowExposed(&row));

        for (int i = 0; i < 3; ++i) {
            QVERIFY(!buttons[i]->Icon().isNull());
            QVERIFY(!buttons[i]->Hint().contains(u'\r'));
        }
        QVERIFY(buttons[0]->Icon().toImage() != buttons[1]->Icon().toImage());
    }
};

QTEST_MAIN(TestCommand)
#include "tst_command.moc"
