#include "TestSupport.h"
#include "commands/Command.h"
#include "commands/Messages.h"
#include "history/ArrowButton.h"
#include "profile/ProfileModel.h"
#include "settings/IniFile.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QEnterEvent>
#include <QImage>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWidgetAction>

#include <memory>

namespace {

// Records the hover notices the page control would get.
class HoverReceiver : public QObject
{
public:
    QList<QPair<int, intptr_t>> notices;
    bool event(QEvent* e) override
    {
        if (e->type() != TMessageEvent::eventType())
            return QObject::event(e);
        auto* m = static_cast<TMessageEvent*>(e);
        notices.append({m->message(), m->wParam()});
        return true;
    }
};

struct Fixture
{
    QTemporaryDir dir;
    std::unique_ptr<IniFile> commandsFile;
    std::unique_ptr<IniFile> pagesFile;
    std::unique_ptr<TProfileModel> model;
    std::unique_ptr<TArrowButton> arrow;
    QWidget page;
    QList<TCommand*> commands;
    QList<TCommand*> edited; // buttons whose click found a file missing
    HoverReceiver hover;
    QString program;

    Fixture()
    {
        commandsFile = std::make_unique<IniFile>(dir.filePath("Commands.ini"));
        pagesFile = std::make_unique<IniFile>(dir.filePath("Pages.ini"));
        // One page of 20 places, the buttons of which the tests make as they need them.
        model = std::make_unique<TProfileModel>(nullptr, pagesFile.get(), commandsFile.get());
        model->SetCommandsCount(20);
        model->AddPage("Страница", -1);
        program = dir.filePath("tool.sh");
        writeAll(program, "#!/bin/sh\n");
        newArrow();
    }

    ~Fixture()
    {
        arrow.reset();
        qDeleteAll(commands);
        model.reset();
    }

    // A button of the page, showing place n of the profile.
    TCommand* button(int n)
    {
        auto* c = new TCommand(
            model->Command(0, n), &page, nullptr, nullptr, arrow.get(),
            [this](TCommand* sender) { edited.append(sender); }, nullptr);
        commands.append(c);
        return c;
    }

    TCommand* shown() const { return TCommand::ButtonOf(arrow->ShownCommand()); }

    static QList<TProfileCommand*> records(const QList<TCommand*>& buttons)
    {
        QList<TProfileCommand*> result;
        for (TCommand* c : buttons)
            result.append(c->Record());
        return result;
    }

    QString statPath() const { return dir.filePath("RunStat.ini"); }

    void newArrow()
    {
        arrow = std::make_unique<TArrowButton>(statPath());
        TArrowButton* history = arrow.get();
        ForwardHistoryNotices(model.get(), history, [history] { return history; });
    }

    void setCount(int page, int button, int count)
    {
        IniFile(statPath())
            .writeInteger(QString("%1\\%2").arg(page).arg(button), "RunCount", count);
    }

    TCommand* make(const QString& name, int button, const QColor& colour = Qt::darkCyan)
    {
        const QString icon = dir.filePath(QString("icon%1.png").arg(button));
        QImage image(32, 32, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(colour);
        painter.setPen(QPen(colour.darker(), 2));
        painter.drawRoundedRect(QRectF(2, 2, 28, 28), 7, 7);
        painter.setPen(Qt::white);
        painter.drawText(QRect(0, 0, 32, 32), Qt::AlignCenter, name.left(1));
        painter.end();
        image.save(icon);
        TCommand* c = this->button(button);
        c->Record()->SetExePath(program);
        c->Record()->SetDescription(name);
        c->Record()->SetIconPath(icon);
        c->Record()->Save();
        c->RefreshHint();
        c->RefreshIcon();
        return c;
    }

    void startUp(const QList<TCommand*>& list, int size = 10, bool descending = true)
    {
        for (TCommand* c : list)
            c->SetHistoryWindow(arrow.get());
        arrow->SetHistoryCount(size);
        arrow->SetDescending(descending);
        arrow->SetHoverWindow(&hover);
        arrow->LoadHistory(records(list));
        arrow->ShowInitialCommand();
    }

    void run(TCommand* c) { SendMessage(arrow.get(), UM_COMMAND_RUN, toParam(c->Record())); }

    // The commands of the menu's history items, top to bottom; checks the menu's invariants.
    QList<TCommand*> menu() const
    {
        QList<TCommand*> result;
        const QList<QAction*> items = arrow->HistoryMenu()->actions();
        [&] {
            QVERIFY(items.size() >= 2);
            QVERIFY(qobject_cast<QWidgetAction*>(items[0]));
            QVERIFY(items[1]->isSeparator());
            QCOMPARE(arrow->MenuIndex().size(), items.size());
        }();
        for (int i = 2; i < items.size(); ++i) {
            auto* item = qobject_cast<THistoryMenuItem*>(items[i]);
            result.append(item ? TCommand::ButtonOf(item->Command()) : nullptr);
        }
        return result;
    }

    QString caption(TCommand* c) const
    {
        for (QAction* a : arrow->HistoryMenu()->actions())
            if (auto* item = qobject_cast<THistoryMenuItem*>(a);
                item && item->Command() == c->Record())
                return item->text();
        return QString();
    }
};

} // namespace

class TestArrowButton : public QObject
{
    Q_OBJECT

private slots:
    void newRunsClimbOrSinkByCount()
    {
        for (bool descending : {true, false}) {
            Fixture f;
            f.setCount(0, 0, 5);
            f.setCount(0, 1, 3);
            f.setCount(0, 2, 1);
            TCommand* a = f.make("Альфа", 0);
            TCommand* b = f.make("Бета", 1);
            TCommand* c = f.make("Гамма", 2);
            TCommand* d = f.make("Дельта", 3);
            f.startUp({a, b, c, d}, 10, descending);
            using L = QList<TCommand*>;
            QCOMPARE(f.menu(), descending ? (L{a, b, c}) : (L{c, b, a}));

            f.run(d); // count 1: enters, passes nothing with an equal count
            QCOMPARE(f.menu(), descending ? (L{a, b, c, d}) : (L{d, c, b, a}));
            QCOMPARE(f.caption(d), QString("Дельта [1]"));
            QCOMPARE(f.shown(), d);

            f.run(d); // 2 passes c (1)
            QCOMPARE(f.menu(), descending ? (L{a, b, d, c}) : (L{c, d, b, a}));
            f.run(d); // 3 equals b: stays
            QCOMPARE(f.menu(), descending ? (L{a, b, d, c}) : (L{c, d, b, a}));
            f.run(d); // 4 passes b
            QCOMPARE(f.menu(), descending ? (L{a, d, b, c}) : (L{c, b, d, a}));
            QCOMPARE(f.caption(d), QString("Дельта [4]"));
        }
    }

    void orderChangeReversesFiveItems()
    {
        Fixture f;
        QList<TCommand*> list;
        for (int i = 0; i < 5; ++i) {
            f.setCount(0, i, 10 - i);
            list.append(f.make(QString("Команда %1").arg(i), i));
        }
        f.startUp(list);
        QCOMPARE(f.menu(), list);
        f.arrow->SetDescending(false);
        QList<TCommand*> reversed(list.rbegin(), list.rend());
        QCOMPARE(f.menu(), reversed);
        f.arrow->SetDescending(false); // the same order again changes nothing
        QCOMPARE(f.menu(), reversed);
        f.arrow->SetDescending(true);
        QCOMPARE(f.menu(), list);
    }

    void fullMenuSizeAndReplacement()
    {
        Fixture f;
        QList<TCommand*> list;
        for (int i = 0; i < 10; ++i) {
            f.setCount(0, i, 20 - i); // counts 20 .. 11
            list.append(f.make(QString("К%1").arg(i), i));
        }
        TCommand* late = f.make("Поздняя", 10);
        f.setCount(0, 10, 10);
        list.append(late);
        f.startUp(list);
        QCOMPARE(f.menu(), list.mid(0, 10));

        f.arrow->SetHistoryCount(9); // the lowest (count 11) goes
        QCOMPARE(f.menu(), list.mid(0, 9));
        f.arrow->SetHistoryCount(10);
        QCOMPARE(f.menu(), list.mid(0, 10));

        f.run(late); // 11 equals the lowest: no change
        QCOMPARE(f.menu(), list.mid(0, 10));
        f.run(late); // 12 replaces it and climbs past it
        QList<TCommand*> expected = list.mid(0, 9);
        expected.append(late);
        QCOMPARE(f.menu(), expected);
        QCOMPARE(f.caption(late), QString("Поздняя [12]"));
    }

    void clearingTheCurrentCommandPicksTheHighest()
    {
        for (bool descending : {true, false}) {
            Fixture f;
            f.setCount(0, 0, 1);
            f.setCount(0, 1, 7);
            f.setCount(0, 2, 4);
            TCommand* a = f.make("Альфа", 0);
            TCommand* b = f.make("Бета", 1);
            TCommand* c = f.make("Гамма", 2);
            f.startUp({a, b, c}, 10, descending);
            f.run(a);
            QCOMPARE(f.shown(), a);
            QVERIFY(!f.arrow->Glyph().isNull());

            QVERIFY(a->Clear()); // tells the quick-launch button
            QCOMPARE(f.shown(), b);
            QVERIFY(!IniFile(f.statPath()).sectionExists("0\\0"));
            QCOMPARE(f.arrow->FirstButton()->toolTip(), QString("Бета"));

            // Emptying a command that is not shown keeps the current one.
            QVERIFY(c->Clear());
            QCOMPARE(f.shown(), b);
            QVERIFY(b->Clear());
            QCOMPARE(f.shown(), nullptr);
            QVERIFY(f.arrow->Glyph().isNull());
            QVERIFY(f.menu().isEmpty());
        }
    }

    void emptyingAMenuCommandPullsTheNextOneIn()
    {
        Fixture f;
        f.setCount(0, 0, 5);
        f.setCount(0, 1, 4);
        f.setCount(0, 2, 3);
        TCommand* a = f.make("Альфа", 0);
        TCommand* b = f.make("Бета", 1);
        TCommand* c = f.make("Гамма", 2);
        f.startUp({a, b, c}, 2);
        QCOMPARE(f.menu(), (QList<TCommand*>{a, b}));
        QVERIFY(a->Clear());
        QCOMPARE(f.menu(), (QList<TCommand*>{b, c}));
    }

    void clearingTheHistoryAndRunningAgain()
    {
        Fixture f;
        writeAll(f.dir.filePath("Options.ini"), "[History]\r\nCommandsCount=10\r\n");
        f.setCount(0, 0, 3);
        f.setCount(0, 1, 2);
        TCommand* a = f.make("Альфа", 0);
        TCommand* b = f.make("Бета", 1);
        f.startUp({a, b});
        // No last run is stored: the last of the menu selection is shown.
        QCOMPARE(f.shown(), b);

        SendMessage(f.arrow.get(), UM_HISTORY_CLEAR, 1);
        QVERIFY(!QFile::exists(f.statPath()));
        QVERIFY(QFile::exists(f.dir.filePath("Options.ini")));
        QVERIFY(QFile::exists(f.dir.filePath("Commands.ini")));
        QVERIFY(f.menu().isEmpty());
        QCOMPARE(f.arrow->HistoryMenu()->actions().size(), 2);
        QCOMPARE(f.shown(), nullptr);
        QVERIFY(f.arrow->FirstButton()->toolTip().isEmpty());

        f.run(b);
        QCOMPARE(f.menu(), QList<TCommand*>{b});
        QCOMPARE(f.caption(b), QString("Бета [1]"));
        QCOMPARE(f.shown(), b);
        f.run(a);
        f.run(a);
        QCOMPARE(f.menu(), (QList<TCommand*>{a, b}));
        f.arrow->SetHistoryCount(5);
        f.arrow->SetHistoryCount(1);
        QCOMPARE(f.menu(), QList<TCommand*>{a});

        // Clearing an empty history leaves only the header and the separator.
        SendMessage(f.arrow.get(), UM_HISTORY_CLEAR, 1);
        SendMessage(f.arrow.get(), UM_HISTORY_CLEAR, 1);
        QVERIFY(f.menu().isEmpty());
        QCOMPARE(f.shown(), nullptr);
    }

    void menuOrderSurvivesARestart()
    {
        for (bool descending : {true, false}) {
            Fixture f;
            // Equal counts: only the saved order decides.
            for (int i = 0; i < 4; ++i)
                f.setCount(0, i, 2);
            QList<TCommand*> list;
            for (int i = 0; i < 4; ++i)
                list.append(f.make(QString("К%1").arg(i), i));
            f.startUp(list, 10, descending);
            f.run(list[2]);
            f.run(list[2]);
            f.run(list[0]);
            const QList<TCommand*> before = f.menu();
            QCOMPARE(before.size(), 4);
            // The history stores the order at the end of the session, as the window's end does.
            f.arrow->History()->StoreMenuOrder();
            f.newArrow();
            IniFile stat(f.statPath());
            QCOMPARE(stat.readInteger("LastStateMenuItem0", "CommandIndex", -1),
                     int(list.indexOf(before[0])));
            f.startUp(list, 10, descending);
            QCOMPARE(f.menu(), before);
            QCOMPARE(f.shown(), list[0]); // the command run last
        }
    }

    void movingTheCurrentCommandKeepsItCurrent()
    {
        Fixture f;
        f.setCount(0, 0, 4);
        f.setCount(0, 1, 2);
        TCommand* a = f.make("Альфа", 0);
        TCommand* b = f.make("Бета", 1);
        TCommand* empty = f.button(5);
        f.startUp({a, b});
        f.run(a);
        QCOMPARE(f.shown(), a);

        empty->DragDrop(a, false); // moves a's command onto the empty button
        QVERIFY(a->IsEmpty());
        QCOMPARE(f.shown(), empty);
        QCOMPARE(f.menu(), (QList<TCommand*>{empty, b}));
        QCOMPARE(IniFile(f.statPath()).readInteger("0\\5", "RunCount", 0), 5);
        QVERIFY(!IniFile(f.statPath()).sectionExists("0\\0"));

        // The first part and the menu item now click the new button. With its icon file gone
        // the click asks for the parameters instead of running anything.
        empty->Record()->SetIconPath(f.dir.filePath("gone.png"));
        f.arrow->FirstButton()->click();
        f.arrow->HistoryMenu()->actions()[2]->trigger();
        QCOMPARE(f.edited, (QList<TCommand*>{empty, empty}));

        // Moving onto a button that the history knows leaves one menu item for it.
        TScriptedMessageBoxes boxes;
        boxes.expect(IDOK); // replace the filled button's contents
        b->DragDrop(empty, false);
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(f.menu(), QList<TCommand*>{b});
        // The missing-icon line of the hint joins the caption's one line. The count is the moved
        // command's own: the replaced one's went with it.
        QCOMPARE(f.caption(b), QString("Альфа Файл иконки не найден! [5]"));
        QCOMPARE(f.arrow->History()->Count(), 1);
        QVERIFY(b->Clear());
        QVERIFY(f.menu().isEmpty());
        QCOMPARE(f.arrow->History()->Count(), 0);
    }

    void historySizeTakesEffectWhileEmpty()
    {
        Fixture f;
        f.startUp({}, 10);
        f.arrow->SetHistoryCount(5);
        for (int i = 0; i < 7; ++i) {
            TCommand* c = f.make(QString("К%1").arg(i), i);
            SendMessage(f.arrow.get(), UM_COMMAND_FILLED, toParam(c->Record()));
            f.run(c);
        }
        QCOMPARE(f.arrow->History()->MaxCount(), 5);
        QCOMPARE(f.arrow->History()->TopCount(), 5);
        QCOMPARE(f.menu().size(), 5);
    }

    void movingOntoAKnownButtonReplacesItsEntry()
    {
        Fixture f;
        f.setCount(0, 0, 3);
        f.setCount(0, 1, 6);
        TCommand* a = f.make("Альфа", 0);
        TCommand* b = f.make("Бета", 1);
        f.startUp({a, b});
        f.run(b);
        QCOMPARE(f.shown(), b);
        // A's program is gone: the history does not know it, yet it moves onto B.
        a->Record()->SetExePath(f.dir.filePath("gone.sh"));
        SendMessage(f.arrow.get(), UM_COMMAND_CLEARED, toParam(a->Record()));
        f.setCount(0, 0, 3);
        SendMessage(f.arrow.get(), UM_COMMAND_MOVED, toParam(a->Record()), toParam(b->Record()));
        // B's command and its count are gone with it; A's count now stands at B's place.
        QVERIFY(f.menu().isEmpty());
        QCOMPARE(f.arrow->History()->Count(), 0);
        QCOMPARE(f.shown(), nullptr);
        IniFile stat(f.statPath());
        QCOMPARE(stat.readInteger("0\\1", "RunCount", 0), 3);
        QVERIFY(!stat.sectionExists("0\\0"));
        QCOMPARE(stat.readInteger("LastRunCommand", "CommandIndex", 9), -1);
    }

    void changedAndFilledNotices()
    {
        Fixture f;
        f.setCount(0, 0, 2);
        f.setCount(0, 1, 6); // left from before: the new command reads it
        TCommand* a = f.make("Альфа", 0);
        f.startUp({a});
        TCommand* b = f.make("Бета", 1);
        SendMessage(f.arrow.get(), UM_COMMAND_CHANGED, toParam(b->Record())); // unknown: filled
        QCOMPARE(f.arrow->History()->Count(), 2);
        QCOMPARE(f.menu(), (QList<TCommand*>{b, a}));

        a->Record()->SetDescription("Альфа новая");
        a->RefreshHint();
        SendMessage(f.arrow.get(), UM_COMMAND_CHANGED, toParam(a->Record()));
        QCOMPARE(f.caption(a), QString("Альфа новая [2]"));
        QCOMPARE(f.arrow->FirstButton()->toolTip(), QString("Альфа новая"));

        // Menu captions show descriptions as they are: no mnemonics, no shortcut column.
        a->Record()->SetDescription("Tom & Jerry\t<b>");
        a->RefreshHint();
        SendMessage(f.arrow.get(), UM_COMMAND_CHANGED, toParam(a->Record()));
        QCOMPARE(f.caption(a), QString("Tom && Jerry <b> [2]"));

        // A filled button whose program is missing does not enter the history.
        TCommand* c = f.make("Гамма", 2);
        c->Record()->SetExePath(f.dir.filePath("missing"));
        SendMessage(f.arrow.get(), UM_COMMAND_FILLED, toParam(c->Record()));
        QCOMPARE(f.arrow->History()->Count(), 2);
        // Notices naming no live button do nothing.
        SendMessage(f.arrow.get(), UM_COMMAND_RUN, -1);
        SendMessage(f.arrow.get(), UM_COMMAND_CLEARED, 12345);
        QCOMPARE(f.menu(), (QList<TCommand*>{b, a}));
    }

    void hoverNoticesNameTheShownCommand()
    {
        Fixture f;
        f.setCount(0, 0, 1);
        TCommand* a = f.make("Альфа", 0);
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(f.arrow.get(), &enter); // no hover window yet: nothing
        f.arrow->SetHoverWindow(&f.hover);
        QApplication::sendEvent(f.arrow->FirstButton(), &enter);
        QCOMPARE(f.hover.notices, (QList<QPair<int, intptr_t>>{{UM_COMMAND_ENTER, -1}}));
        f.startUp({a});
        f.hover.notices.clear();
        QApplication::sendEvent(f.arrow->FirstButton(), &leave);
        QApplication::sendEvent(f.arrow->SecondButton(), &enter);
        QApplication::sendEvent(f.arrow.get(), &leave);
        QCOMPARE(f.hover.notices,
                 (QList<QPair<int, intptr_t>>{{UM_COMMAND_LEAVE, 0},
                                              {UM_COMMAND_ENTER, toParam(a->Record())},
                                              {UM_COMMAND_LEAVE, 0}}));
    }

    void contextMenusBelongToTheirParts()
    {
        Fixture f;
        QMenu first, second;
        first.addAction("Первое");
        second.addAction("Второе");
        f.arrow->show();
        QContextMenuEvent none(QContextMenuEvent::Mouse, QPoint(2, 2), QPoint(2, 2));
        QApplication::sendEvent(f.arrow->FirstButton(), &none); // no menus set: nothing
        f.arrow->SetFirstButtonPopupMenu(&first);
        f.arrow->SetSecondButtonPopupMenu(&second);
        QContextMenuEvent onFirst(QContextMenuEvent::Mouse, QPoint(2, 2), QPoint(2, 2));
        QApplication::sendEvent(f.arrow->FirstButton(), &onFirst);
        QVERIFY(first.isVisible());
        QVERIFY(!second.isVisible());
        first.hide();
        QContextMenuEvent onSecond(QContextMenuEvent::Mouse, QPoint(2, 2), QPoint(2, 2));
        QApplication::sendEvent(f.arrow->SecondButton(), &onSecond);
        QVERIFY(second.isVisible());
        QVERIFY(!first.isVisible());
        second.hide();
    }

    void arrowClickHoldsThePartAndSwallowsTheClosingClick()
    {
        Fixture f;
        f.setCount(0, 0, 1);
        TCommand* a = f.make("Альфа", 0);
        f.startUp({a});
        // Should a click get through, it would only ask for the parameters: nothing is run.
        a->Record()->SetIconPath(f.dir.filePath("gone.png"));
        f.arrow->show();
        int firstClicks = 0;
        connect(f.arrow->FirstButton(), &QToolButton::clicked, [&] { ++firstClicks; });
        bool wasOpen = false;
        bool wasDown = false;
        QPoint menuPos;
        QTimer::singleShot(0, [&] {
            QMenu* menu = f.arrow->HistoryMenu();
            wasOpen = menu->isVisible();
            wasDown = f.arrow->SecondButton()->isDown();
            menuPos = menu->pos();
            // The click that closes the menu lands on the first part.
            QWidget* first = f.arrow->FirstButton();
            const QPointF p(3, 3);
            QApplication::postEvent(first, new QMouseEvent(QEvent::MouseButtonPress, p,
                                                           first->mapToGlobal(p), Qt::LeftButton,
                                                           Qt::LeftButton, Qt::NoModifier));
            QApplication::postEvent(first, new QMouseEvent(QEvent::MouseButtonRelease, p,
                                                           first->mapToGlobal(p), Qt::LeftButton,
                                                           Qt::NoButton, Qt::NoModifier));
            menu->hide();
        });
        QTest::mouseClick(f.arrow->SecondButton(), Qt::LeftButton);
        QVERIFY(wasOpen);
        QVERIFY(wasDown);
        QCOMPARE(menuPos, f.arrow->mapToGlobal(QPoint(0, f.arrow->height())));
        QCoreApplication::processEvents();
        QCOMPARE(firstClicks, 0);
        QVERIFY(!f.arrow->SecondButton()->isDown());
        QCOMPARE(QWidget::mouseGrabber(), nullptr);
        QCOMPARE(f.edited.size(), 0);
    }

    void headerIsMeasuredAndDrawnAsAGradient()
    {
        Fixture f;
        auto* action = qobject_cast<QWidgetAction*>(f.arrow->HistoryMenu()->actions()[0]);
        QVERIFY(action);
        QVERIFY(!action->isEnabled());
        QWidget* header = action->defaultWidget();
        const int width = header->sizeHint().width();
        QVERIFY(width >=
                QFontMetrics(f.arrow->font()).horizontalAdvance(THistoryMenuHeader::Text) + 35);
        // Its caption, in the font it is drawn in, is never cut.
        QVERIFY(width >= QFontMetrics(THistoryMenuHeader::CaptionFont())
                                 .horizontalAdvance(THistoryMenuHeader::Text) +
                             8);
        QVERIFY(header->sizeHint().height() >=
                QFontMetrics(THistoryMenuHeader::CaptionFont()).height());
        QCOMPARE(THistoryMenuHeader::Text.size(), 30);

        header->resize(width, header->sizeHint().height());
        QImage image(header->size(), QImage::Format_RGB32);
        header->render(&image);
        const QColor left = THistoryMenuHeader::LeftColor(header->palette());
        const QColor right = THistoryMenuHeader::RightColor(header->palette());
        QVERIFY(left != right);
        QCOMPARE(QColor(image.pixel(0, 0)), left);
        QCOMPARE(QColor(image.pixel(width - 1, 0)), right);
        const int j = width / 3;
        QCOMPARE(QColor(image.pixel(j, 0)),
                 THistoryMenuHeader::GradientColor(left, right, j, width));
        QCOMPARE(THistoryMenuHeader::GradientColor(left, right, 0, 1), left);
        QCOMPARE(THistoryMenuHeader::GradientColor(QColor(0, 0, 0), QColor(10, 100, 255), 1, 3),
                 QColor(5, 50, 127));

        // The header sets the width until a caption is longer.
        f.setCount(0, 0, 1);
        TCommand* a = f.make("А", 0);
        f.startUp({a});
        QMenu* menu = f.arrow->HistoryMenu();
        const int narrow = menu->sizeHint().width();
        QVERIFY(narrow >= width);
        a->Record()->SetDescription(QString(200, u'Ш'));
        a->RefreshHint();
        SendMessage(f.arrow.get(), UM_COMMAND_CHANGED, toParam(a->Record()));
        menu->adjustSize();
        QVERIFY(menu->sizeHint().width() > narrow);
    }
};

QTEST_MAIN(TestArrowButton)
#include "tst_arrowbutton.moc"
