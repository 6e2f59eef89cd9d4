// The skin engine and the choice of skin, with the program's own skins.
#include "TestSupport.h"

#include "app/SkinsMenu.h"
#include "pages/MyPageControl.h"
#include "settings/IniFile.h"
#include "settings/SystemSettings.h"
#include "skin/SkinEngine.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <QStyle>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

namespace {

const QStringList OurSkins{QStringLiteral("Graphite.skn"), QStringLiteral("Porcelain.skn"),
                           QStringLiteral("Lagoon.skn")};

QString ourSkin(const QString& name)
{
    return QDir::cleanPath(QStringLiteral(KESTROLIN_TEST_DATA "/../../resources/skins/") + name);
}

QAction* itemOf(QMenu& menu, const QString& caption)
{
    for (QAction* action : menu.actions()) {
        if (action->text() == caption)
            return action;
    }
    return nullptr;
}

// The captions whose item is checked, and whether each checked one is also bold.
QStringList marked(QMenu& menu)
{
    QStringList names;
    for (QAction* action : menu.actions()) {
        if (action->isChecked() != action->font().bold())
            names << QStringLiteral("check and bold differ: ") + action->text();
        if (action->isChecked())
            names << action->text();
    }
    return names;
}

QColor pixelAt(QWidget& widget, QPoint point)
{
    return widget.grab().toImage().pixelColor(point);
}

// A dialog with the controls the skins draw.
std::unique_ptr<QDialog> sampleDialog()
{
    auto dialog = std::make_unique<QDialog>();
    dialog->setWindowTitle(QStringLiteral("Настройки"));
    auto* layout = new QVBoxLayout(dialog.get());
    auto* bar = new QMenuBar;
    bar->addMenu(QStringLiteral("&Файл"));
    bar->addMenu(QStringLiteral("&Вид"));
    layout->setMenuBar(bar);

    auto* tabs = new QTabWidget;
    auto* page = new QWidget;
    auto* pageLayout = new QVBoxLayout(page);
    auto* group = new QGroupBox(QStringLiteral("Поведение"));
    auto* groupLayout = new QVBoxLayout(group);
    auto* check = new QCheckBox(QStringLiteral("Поверх всех окон"));
    check->setChecked(true);
    groupLayout->addWidget(check);
    groupLayout->addWidget(new QCheckBox(QStringLiteral("Прозрачность")));
    auto* radio = new QRadioButton(QStringLiteral("По возрастанию"));
    radio->setChecked(true);
    groupLayout->addWidget(radio);
    groupLayout->addWidget(new QRadioButton(QStringLiteral("По убыванию")));
    pageLayout->addWidget(group);
    auto* edit = new QLineEdit(QStringLiteral("C:\\Program Files"));
    pageLayout->addWidget(edit);
    auto* combo = new QComboBox;
    combo->addItem(QStringLiteral("10 команд"));
    pageLayout->addWidget(combo);
    auto* slider = new QSlider(Qt::Horizontal);
    slider->setRange(0, 100);
    slider->setValue(70);
    pageLayout->addWidget(slider);
    auto* progress = new QProgressBar;
    progress->setValue(60);
    progress->setObjectName(QStringLiteral("progress"));
    pageLayout->addWidget(progress);
    auto* scroll = new QScrollBar(Qt::Horizontal);
    scroll->setRange(0, 100);
    scroll->setPageStep(30);
    pageLayout->addWidget(scroll);
    tabs->addTab(page, QStringLiteral("Основные"));
    tabs->addTab(new QWidget, QStringLiteral("Звуки"));
    tabs->addTab(new QWidget, QStringLiteral("История"));
    layout->addWidget(tabs);

    // The page control's tabs stand on the right.
    auto* side = new QTabWidget;
    side->setTabPosition(QTabWidget::East);
    side->addTab(new QLabel(QStringLiteral("  Кнопки страницы")), QStringLiteral("Главная"));
    side->addTab(new QWidget, QStringLiteral("Игры"));
    side->setFixedHeight(150);
    layout->addWidget(side);

    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setDefault(true);
    ok->setObjectName(QStringLiteral("ok"));
    buttons->addWidget(ok);
    buttons->addWidget(new QPushButton(QStringLiteral("Отмена")));
    auto* off = new QPushButton(QStringLiteral("Справка"));
    off->setEnabled(false);
    buttons->addWidget(off);
    layout->addLayout(buttons);
    dialog->resize(340, 560);
    return dialog;
}

} // namespace

class TestSkins : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TSystemSettings> m_settings;

    QString settingsFolder() const { return m_dir->filePath(QStringLiteral("app")) + u'/'; }
    QString skinsFolder() const { return m_dir->filePath(QStringLiteral("app/skins")) + u'/'; }

    void startSettings()
    {
        m_settings = std::make_unique<TSystemSettings>(settingsFolder());
        SystemSettings = m_settings.get();
    }

    void copySkins()
    {
        QDir().mkpath(skinsFolder());
        for (const QString& name : OurSkins)
            QVERIFY(QFile::copy(ourSkin(name), skinsFolder() + name));
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        QDir().mkpath(settingsFolder());
        startSettings();
    }

    void cleanup()
    {
        SystemSettings = nullptr;
        m_settings.reset();
        m_dir.reset();
    }

    void ourSkinsLoadWithEveryPart()
    {
        for (const QString& name : OurSkins) {
            TSkin skin;
            QString error;
            QCOMPARE(TSkin::LoadFile(ourSkin(name), &skin, &error), TSkinReader::Status::Loaded);
            QVERIFY2(error.isEmpty(), qPrintable(error));
            QVERIFY(skin.Buttons.Present && !skin.Buttons.Image.isNull());
            QVERIFY(!skin.Buttons.CheckButton.isNull() && !skin.Buttons.RadioButton.isNull());
            for (const char* part : {"Tabs", "Tab.Pane", "Progress", "Progress.Chunk", "GroupBox",
                                     "SunkEdge", "MenuItem", "MenuBackground", "HorzScrollThumb",
                                     "VertScrollThumb", "Trackbar.ThumbHorz", "ComboButton"}) {
                QVERIFY2(!skin.Part(QString::fromLatin1(part)).Image.isNull(),
                         qPrintable(name + u' ' + QString::fromLatin1(part)));
            }
            QVERIFY(skin.Colours.ButtonFace.isValid() && skin.Colours.Hilight.isValid());
        }
    }

    void firstStartWithoutTheDefaultSkin()
    {
        copySkins();
        QCOMPARE(SystemSettings->SelectedSkinFileName(), QStringLiteral("mxskin28.skn"));
        TScriptedMessageBoxes boxes;
        boxes.expect(IDOK);
        QMenu menu;
        TSkinEngine engine;
        TSkinsMenu skins(&menu, &engine, skinsFolder());
        const int count = skins.Build();
        QCOMPARE(count, 4);
        QCOMPARE(menu.actions().first()->text(), TSkinsMenu::NoSkin);
        QStringList listed;
        for (QAction* action : menu.actions().mid(1))
            listed << action->text();
        listed.sort();
        QCOMPARE(listed, (QStringList{"Graphite.skn", "Lagoon.skn", "Porcelain.skn"}));

        skins.ApplyChosenSkin();
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown[0].text, QStringLiteral("В папке %1\rФайл скина mxskin28.skn "
                                                     "не найден!")
                                          .arg(skinsFolder()));
        QVERIFY(boxes.shown[0].caption.isEmpty()); // the application title
        QCOMPARE(boxes.shown[0].flags, MB::OK | MB::ICONERROR);
        QVERIFY(!boxes.unexpected);
        QVERIFY(!engine.Active());
        QCOMPARE(marked(menu), QStringList{TSkinsMenu::NoSkin});
        // The stored name stays, and with it the window's place.
        QCOMPARE(SystemSettings->SelectedSkinFileName(), QStringLiteral("mxskin28.skn"));
        QVERIFY(TSkinsMenu::ShiftsWindow(count));

        // Skin files added while the program runs wait for the next start.
        QVERIFY(QFile::copy(ourSkin("Lagoon.skn"), skinsFolder() + "Later.skn"));
        QCOMPARE(menu.actions().size(), 4);
        QVERIFY(!itemOf(menu, "Later.skn"));
        QVERIFY(TSkinsMenu::ListSkins(skinsFolder()).contains("Later.skn"));
    }

    void noSkinsFolderMeansNoSkin()
    {
        TScriptedMessageBoxes boxes;
        QMenu menu;
        TSkinEngine engine;
        TSkinsMenu skins(&menu, &engine, skinsFolder());
        const int count = skins.Build();
        QCOMPARE(count, 1);
        QVERIFY(!TSkinsMenu::ShiftsWindow(count));
        QCOMPARE(menu.actions().size(), 1);
        QVERIFY(boxes.shown.isEmpty());
        QVERIFY(!engine.Active());
    }

    void listingKeepsOnlyNamesWithADotAndTakesFolders()
    {
        copySkins();
        QVERIFY(QDir().mkpath(skinsFolder() + "folder.skn"));
        writeAll(skinsFolder() + ".hidden.skn", "x");
        writeAll(skinsFolder() + "notes.txt", "x");
        const QStringList names = TSkinsMenu::ListSkins(skinsFolder());
        QCOMPARE(names.first(), TSkinsMenu::NoSkin);
        QVERIFY(names.contains("folder.skn"));
        QVERIFY(names.contains(".hidden.skn"));
        QVERIFY(!names.contains("notes.txt"));
        QCOMPARE(names.size(), 6);

        // A folder is no skin file: choosing it reports it missing.
        TScriptedMessageBoxes boxes;
        boxes.expect(IDOK);
        QMenu menu;
        TSkinEngine engine;
        SystemSettings->SetSelectedSkinFileName(TSkinsMenu::NoSkin);
        TSkinsMenu skins(&menu, &engine, skinsFolder());
        skins.Build();
        itemOf(menu, "folder.skn")->trigger();
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY(boxes.shown[0].text.contains("folder.skn"));
        QVERIFY(!engine.Active());
    }

    void switchingSkinsKeepsTheEngineOn()
    {
        copySkins();
        SystemSettings->SetSelectedSkinFileName("Graphite.skn");
        QStyle* original = QApplication::style();
        const QString originalName = original->name();
        const QPalette originalPalette = QApplication::palette();
        TScriptedMessageBoxes boxes;
        QMenu menu;
        auto engine = std::make_unique<TSkinEngine>();
        TSkinsMenu skins(&menu, engine.get(), skinsFolder());
        QCOMPARE(skins.Build(), 4);
        QCOMPARE(marked(menu), QStringList{"Graphite.skn"});
        skins.ApplyChosenSkin();
        QVERIFY(engine->Active());
        QCOMPARE(TSkinEngine::Current(), engine.get());
        QCOMPARE(QApplication::style()->objectName(), QStringLiteral("KestrolinSkin"));
        QCOMPARE(QApplication::palette().color(QPalette::Window), QColor(46, 50, 58));
        QPushButton button(QStringLiteral("Кнопка"));
        button.resize(100, 30);
        const QColor dark = pixelAt(button, {10, 15});
        QVERIFY2(dark.lightness() < 110, qPrintable(dark.name()));

        QSignalSpy activeChanges(engine.get(), &TSkinEngine::ActiveChanged);
        QSignalSpy skinChanges(engine.get(), &TSkinEngine::SkinChanged);
        itemOf(menu, "Lagoon.skn")->trigger();
        QCOMPARE(activeChanges.size(), 0); // never off in between
        QCOMPARE(skinChanges.size(), 1);
        QVERIFY(engine->Active());
        QCOMPARE(QApplication::style()->objectName(), QStringLiteral("KestrolinSkin"));
        QCOMPARE(QApplication::palette().color(QPalette::Window), QColor(178, 232, 226));
        const QColor lagoon = pixelAt(button, {10, 15});
        QVERIFY2(lagoon.lightness() > 150 && lagoon.green() > lagoon.red(),
                 qPrintable(lagoon.name()));
        QCOMPARE(marked(menu), QStringList{"Lagoon.skn"});
        QCOMPARE(TSystemSettings(settingsFolder()).SelectedSkinFileName(), "Lagoon.skn");

        // A skin that cannot be read keeps the one in use and says why.
        writeAll(skinsFolder() + "Broken.skn", QByteArray("\x10\x00\x00\x00garbage", 11));
        QString error;
        QVERIFY(!engine->SetSkinFile(skinsFolder() + "Broken.skn", &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(engine->Active());
        QCOMPARE(engine->LoadedFile(), skinsFolder() + "Lagoon.skn");
        QCOMPARE(QApplication::palette().color(QPalette::Window), QColor(178, 232, 226));

        // Off: the very style and palette from before.
        QVERIFY(engine->SetActive(false));
        QCOMPARE(QApplication::style(), original);
        QCOMPARE(QApplication::style()->name(), originalName);
        QCOMPARE(QApplication::palette().color(QPalette::Window),
                 originalPalette.color(QPalette::Window));
        QCOMPARE(QApplication::palette().color(QPalette::ButtonText),
                 originalPalette.color(QPalette::ButtonText));
        QVERIFY(!TSkinEngine::Current());

        // On again, then gone with the engine: the application gets its drawing back too.
        QVERIFY(engine->SetActive(true));
        QVERIFY(QApplication::style() != original);
        engine.reset();
        QCOMPARE(QApplication::style(), original);
        QVERIFY(boxes.shown.isEmpty());
    }

    void aFailedFirstLoadLeavesTheEngineOff()
    {
        copySkins();
        QStyle* original = QApplication::style();
        // An archive of an older format.
        const QByteArray archive = TSkinReader::BuildArchive({{"skin.ini", "[Colours]\n"}}, 10000);
        QByteArray file(4, 0);
        const quint32 size = quint32(archive.size());
        for (int i = 0; i < 4; ++i)
            file[i] = char(size >> (8 * i));
        writeAll(skinsFolder() + "Old.skn", file + TSkinReader::CompressArchive(archive));
        SystemSettings->SetSelectedSkinFileName("Old.skn");

        TScriptedMessageBoxes boxes;
        boxes.expect(IDOK);
        QMenu menu;
        TSkinEngine engine;
        TSkinsMenu skins(&menu, &engine, skinsFolder());
        skins.Build();
        skins.ApplyChosenSkin();
        QVERIFY(!engine.Active());
        QCOMPARE(QApplication::style(), original);
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown[0].text, TSkinReader::OlderSkinMessage());
        QCOMPARE(boxes.shown[0].flags, MB::OK | MB::ICONINFORMATION);
        QCOMPARE(marked(menu), QStringList{TSkinsMenu::NoSkin});
    }

    void choosingNoSkinIsStoredAndKeptAtTheNextStart()
    {
        copySkins();
        SystemSettings->SetSelectedSkinFileName("Porcelain.skn");
        QStyle* original = QApplication::style();
        TScriptedMessageBoxes boxes;
        {
            QMenu menu;
            TSkinEngine engine;
            TSkinsMenu skins(&menu, &engine, skinsFolder());
            QVERIFY(TSkinsMenu::ShiftsWindow(skins.Build()));
            skins.ApplyChosenSkin();
            QVERIFY(engine.Active());
            itemOf(menu, TSkinsMenu::NoSkin)->trigger();
            QVERIFY(!engine.Active());
            QCOMPARE(QApplication::style(), original);
            QCOMPARE(marked(menu), QStringList{TSkinsMenu::NoSkin});
        }
        // The next start.
        startSettings();
        QCOMPARE(SystemSettings->SelectedSkinFileName(), TSkinsMenu::NoSkin);
        QMenu menu;
        TSkinEngine engine;
        TSkinsMenu skins(&menu, &engine, skinsFolder());
        const int count = skins.Build();
        QCOMPARE(count, 4);
        QVERIFY(!TSkinsMenu::ShiftsWindow(count));
        skins.ApplyChosenSkin();
        QVERIFY(!engine.Active());
        QCOMPARE(marked(menu), QStringList{TSkinsMenu::NoSkin});
        QVERIFY(boxes.shown.isEmpty());
    }

    void aNameWithAnAmpersandIsReportedMissing()
    {
        copySkins();
        QVERIFY(QFile::copy(ourSkin("Graphite.skn"), skinsFolder() + "Dark&Light.skn"));
        SystemSettings->SetSelectedSkinFileName(TSkinsMenu::NoSkin);
        TScriptedMessageBoxes boxes;
        boxes.expect(IDOK);
        QMenu menu;
        TSkinEngine engine;
        TSkinsMenu skins(&menu, &engine, skinsFolder());
        QCOMPARE(skins.Build(), 5);
        QAction* item = itemOf(menu, "Dark&Light.skn");
        QVERIFY(item);
        item->trigger();
        QCOMPARE(SystemSettings->SelectedSkinFileName(), QStringLiteral("DarkLight.skn"));
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(
            boxes.shown[0].text,
            QStringLiteral("В папке %1\rФайл скина DarkLight.skn не найден!").arg(skinsFolder()));
        QVERIFY(!engine.Active());
        QCOMPARE(marked(menu), QStringList{TSkinsMenu::NoSkin});

        // Marking compares the captions without "&".
        skins.Mark("DarkLight.skn");
        QCOMPARE(marked(menu), QStringList{"Dark&Light.skn"});
    }

    void skinsDrawTheControls()
    {
        copySkins();
        auto dialog = sampleDialog();
        auto* progress = dialog->findChild<QProgressBar*>("progress");
        progress->setValue(100);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        const QColor plain =
            progress->grab().toImage().pixelColor(progress->width() / 4, progress->height() / 2);
        TSkinEngine engine;
        engine.SetSkinFile(skinsFolder() + "Porcelain.skn");
        QVERIFY(engine.SetActive(true));
        QApplication::processEvents();
        // The chunk of a full bar is the skin's cobalt.
        const QColor chunk =
            progress->grab().toImage().pixelColor(progress->width() / 4, progress->height() / 2);
        QVERIFY2(chunk.blue() > 150 && chunk.red() < 140, qPrintable(chunk.name()));
        QVERIFY(chunk != plain);
        // The default button wears the accent edge, the others do not.
        auto* ok = dialog->findChild<QPushButton*>("ok");
        const QColor edge = pixelAt(*ok, {ok->width() / 2, 1});
        QVERIFY2(edge.blue() > edge.red() + 60, qPrintable(edge.name()));
        // The program's own widgets: a panel and a combo box face from the skin's pictures.
        QImage panel(40, 40, QImage::Format_RGB32);
        panel.fill(Qt::black);
        {
            QPainter p(&panel);
            QVERIFY(SkinHooks::drawPanel(&p, nullptr, panel.rect(), false, false));
            QVERIFY(SkinHooks::drawComboBox(&p, nullptr, QRect(0, 20, 40, 20),
                                            QRect(24, 20, 16, 20), QStyle::State_Enabled));
        }
        QVERIFY(panel.pixelColor(20, 10).lightness() > 200); // the light face of Porcelain
        QVERIFY(SkinHooks::textColour().isValid());
        engine.SetActive(false);
        {
            QPainter p(&panel);
            QVERIFY(!SkinHooks::drawPanel(&p, nullptr, panel.rect(), false, false));
            QVERIFY(!SkinHooks::drawComboBox(&p, nullptr, panel.rect(), QRect(), {}));
        }
        QVERIFY(!SkinHooks::textColour().isValid());
        QApplication::processEvents();
        QCOMPARE(
            progress->grab().toImage().pixelColor(progress->width() / 4, progress->height() / 2),
            plain);
    }
};

QTEST_MAIN(TestSkins)
#include "tst_skins.moc"
