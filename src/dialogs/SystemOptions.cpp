#include "dialogs/SystemOptions.h"

#include "commands/Messages.h"
#include "dialogs/ClickImage.h"
#include "platform/GlobalHotkey.h"
#include "settings/Constants.h"
#include "settings/SystemSettings.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QFrame>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QSlider>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>

namespace {

QCheckBox* CheckBox(QWidget* parent, const QString& name, const QString& caption, int left, int top)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    box->setGeometry(left, top, 290 - left, 17);
    return box;
}

QSpinBox* SpinEdit(QWidget* parent, const QString& name, const QString& caption, int top,
                   int minimum, int maximum, int value)
{
    auto* label = new QLabel(caption, parent);
    label->setGeometry(24, top + 4, 190, 14);
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(name);
    spin->setGeometry(236, top, 56, 21);
    spin->setRange(minimum, maximum);
    spin->setValue(value);
    label->setBuddy(spin);
    return spin;
}

// The pictures beside the sort order: bars falling or rising from left to right.
QPixmap SortPicture(bool descending)
{
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    const int heights[] = {18, 13, 8, 4};
    for (int i = 0; i < 4; ++i) {
        const int h = heights[descending ? i : 3 - i];
        const QRect bar(2 + i * 5, 21 - h, 4, h);
        p.fillRect(bar, QColor(40, 90, 170));
        p.setPen(QColor(20, 45, 90));
        p.drawRect(bar.adjusted(0, 0, -1, -1));
    }
    p.setPen(QColor(96, 96, 96));
    p.drawLine(1, 22, 22, 22);
    return pixmap;
}

// Tabs as narrow as their captions allow, so that all five fit the page control's width.
class TCompactTabStyle : public QProxyStyle
{
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override
    {
        // The space around a tab's caption, both for its size and where the caption is drawn.
        if (metric == PM_TabBarTabHSpace)
            return 8;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

} // namespace

TfmSystemOptions::TfmSystemOptions(QWidget* owner, QObject* historyWindow, const QString& appFolder)
    : TfmCustomOptions(owner), m_historyWindow(historyWindow)
{
    setWindowTitle(QStringLiteral("Настройки"));
    setFixedSize(DesignClientSize);
    SetHelpKeyword(QStringLiteral("Главное окно программы"));
    // "Ок" and "Отмена" sit one pixel further left here than in the other dialogs.
    Anchor(OkButton, {175, 332, 75, 25}, DesignClientSize, Qt::RightEdge | Qt::BottomEdge);
    Anchor(CancelButton, {256, 332, 75, 25}, DesignClientSize, Qt::RightEdge | Qt::BottomEdge);
    constexpr int line = 285;
    auto* tabStyle = new TCompactTabStyle;
    tabStyle->setParent(MainPageControl->tabBar());
    MainPageControl->tabBar()->setStyle(tabStyle);
    MainPageControl->tabBar()->setElideMode(Qt::ElideNone);

    // "Общие"
    QWidget* sheet = TabSheet1;
    MainPageControl->setTabText(0, QStringLiteral("Общие"));
    CreateHeading(sheet, QStringLiteral("Интерфейс"), {16, 14}, line);
    ColCountSpinEdit = SpinEdit(sheet, QStringLiteral("ColCountSpinEdit"),
                                QStringLiteral("Кол-во колонок"), 36, 1, 5, 1);
    CommandsCountSpinEdit = SpinEdit(sheet, QStringLiteral("CommandsCountSpinEdit"),
                                     QStringLiteral("Кол-во кнопок в колонке"), 62, 1, 20, 1);
    CircleScrollCheckBox = CheckBox(sheet, QStringLiteral("CircleScrollCheckBox"),
                                    QStringLiteral("Круговая прокрутка страниц"), 24, 90);
    MinimizeToTrayAfterRunCommandCheckBox =
        CheckBox(sheet, QStringLiteral("MinimizeToTrayAfterRunCommandCheckBox"),
                 QStringLiteral("Сворачиваться в трей после запуска команды"), 24, 110);
    MinimizeToTrayAfterLoadCheckBox =
        CheckBox(sheet, QStringLiteral("MinimizeToTrayAfterLoadCheckBox"),
                 QStringLiteral("Сворачиваться в трей после загрузки"), 24, 130);
    CreateHeading(sheet, QStringLiteral("Положение"), {16, 158}, line);
    StayOnTopCheckBox = CheckBox(sheet, QStringLiteral("StayOnTopCheckBox"),
                                 QStringLiteral("Поверх всех"), 24, 180);
    CreateHeading(sheet, QStringLiteral("Автозапуск"), {16, 208}, line);
    AutoRunCheckBox = CheckBox(sheet, QStringLiteral("AutoRunCheckBox"),
                               QStringLiteral("Разместить ярлык"), 24, 230);

    // "Подтверждения"
    TabSheet2 = sheet = AddSheet(QStringLiteral("Подтверждения"), QStringLiteral("TabSheet2"));
    CreateHeading(sheet, QStringLiteral("Страница"), {16, 14}, line);
    DelPageCheckBox =
        CheckBox(sheet, QStringLiteral("DelPageCheckBox"), QStringLiteral("Удаление"), 24, 36);
    CreateHeading(sheet, QStringLiteral("Кнопка"), {16, 64}, line);
    ClearButtonCheckBox =
        CheckBox(sheet, QStringLiteral("ClearButtonCheckBox"), QStringLiteral("Очистка"), 24, 86);
    ReplaceButtonCheckBox = CheckBox(sheet, QStringLiteral("ReplaceButtonCheckBox"),
                                     QStringLiteral("Замена при перетаскивании"), 24, 106);
    ChangePropertiesCheckBox = CheckBox(sheet, QStringLiteral("ChangePropertiesCheckBox"),
                                        QStringLiteral("Изменение параметров"), 24, 126);
    chbReplaceLnk = CheckBox(sheet, QStringLiteral("chbReplaceLnk"),
                             QStringLiteral("Преобразование ярлыка"), 24, 146);
    // The switch stays in the store and is carried through, but nothing offers it any more.
    chbReplaceLnk->setVisible(false);

    // "Прозрачность"
    TabSheet3 = sheet = AddSheet(QStringLiteral("Прозрачность"), QStringLiteral("TabSheet3"));
    CreateHeading(sheet, QStringLiteral("Главная форма"), {16, 14}, line);
    UseAlphaBlendCheckBox = CheckBox(sheet, QStringLiteral("UseAlphaBlendCheckBox"),
                                     QStringLiteral("Использовать прозрачность"), 24, 36);
    AlphaBlendTrackBar = new QSlider(Qt::Horizontal, sheet);
    AlphaBlendTrackBar->setObjectName(QStringLiteral("AlphaBlendTrackBar"));
    AlphaBlendTrackBar->setGeometry(20, 64, 276, 26);
    AlphaBlendTrackBar->setRange(100, 255);
    AlphaBlendTrackBar->setTickPosition(QSlider::NoTicks);
    AlphaBlendTrackBar->setTickInterval(10);
    AlphaBlendTrackBar->setPageStep(10);
    AlphaBlendTrackBar->setValue(100);
    // The scale reads as transparency while the position is opacity.
    const auto scale = [sheet](const QString& text, int left, Qt::Alignment alignment) {
        auto* label = new QLabel(text, sheet);
        label->setGeometry(left, 92, 40, 14);
        label->setAlignment(alignment | Qt::AlignVCenter);
    };
    scale(QStringLiteral("100%"), 22, Qt::AlignLeft);
    scale(QStringLiteral("50%"), 138, Qt::AlignHCenter);
    scale(QStringLiteral("0%"), 254, Qt::AlignRight);
    // The hotkey shows and hides this same window, so it is set beside its looks.
    CreateHeading(sheet, QStringLiteral("Горячая клавиша"), {16, 120}, line);
    HotkeyCheckBox = CheckBox(sheet, QStringLiteral("HotkeyCheckBox"),
                              QStringLiteral("Показывать и прятать окно сочетанием"), 24, 142);
    HotkeyEdit = new QKeySequenceEdit(sheet);
    HotkeyEdit->setObjectName(QStringLiteral("HotkeyEdit"));
    HotkeyEdit->setGeometry(44, 164, 160, 22);
    HotkeyDesktopLabel = new QLabel(
        QStringLiteral("Сочетание клавиш назначается в настройках клавиатуры рабочего стола. "
                       "Назначьте ему команду:"),
        sheet);
    HotkeyDesktopLabel->setObjectName(QStringLiteral("HotkeyDesktopLabel"));
    HotkeyDesktopLabel->setWordWrap(true);
    HotkeyDesktopLabel->setGeometry(24, 142, 268, 44);
    HotkeyDesktopLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    HotkeyCommandEdit = new QLineEdit(TGlobalHotkey::ToggleCommandLine(), sheet);
    HotkeyCommandEdit->setObjectName(QStringLiteral("HotkeyCommandEdit"));
    HotkeyCommandEdit->setReadOnly(true);
    HotkeyCommandEdit->setGeometry(24, 192, 160, 22);
    const bool desktopBinds = !TGlobalHotkey::Available() && TGlobalHotkey::DesktopBindsKeys();
    HotkeyCheckBox->setVisible(!desktopBinds);
    HotkeyEdit->setVisible(!desktopBinds);
    HotkeyDesktopLabel->setVisible(desktopBinds);
    HotkeyCommandEdit->setVisible(desktopBinds);
    connect(HotkeyCheckBox, &QCheckBox::toggled, HotkeyEdit, &QWidget::setEnabled);
    // One combination, not a sequence of several.
    connect(HotkeyEdit, &QKeySequenceEdit::editingFinished, this, [this] {
        const QKeySequence keys = HotkeyEdit->keySequence();
        if (keys.count() > 1)
            HotkeyEdit->setKeySequence(QKeySequence(keys[0]));
    });

    // "История"
    TabSheet4 = sheet = AddSheet(QStringLiteral("История"), QStringLiteral("TabSheet4"));
    CreateHeading(sheet, QStringLiteral("Быстрый запуск"), {16, 14}, line);
    HystoryCommandCountSpinEdit = SpinEdit(sheet, QStringLiteral("HystoryCommandCountSpinEdit"),
                                           QStringLiteral("Количество команд"), 36, 5, 30, 10);
    CreateHeading(sheet, QStringLiteral("Сортировка команд"), {16, 68}, line);
    DescSortImage = new QLabel(sheet);
    DescSortImage->setObjectName(QStringLiteral("DescSortImage"));
    DescSortImage->setGeometry(24, 88, 24, 24);
    DescSortImage->setPixmap(SortPicture(true));
    DescSortRadioButton = new QRadioButton(QStringLiteral("По убыванию"), sheet);
    DescSortRadioButton->setObjectName(QStringLiteral("DescSortRadioButton"));
    DescSortRadioButton->setGeometry(56, 92, 230, 17);
    DescSortRadioButton->setChecked(true);
    AscSortImage = new QLabel(sheet);
    AscSortImage->setObjectName(QStringLiteral("AscSortImage"));
    AscSortImage->setGeometry(24, 116, 24, 24);
    AscSortImage->setPixmap(SortPicture(false));
    AscSortRadioButton = new QRadioButton(QStringLiteral("По возрастанию"), sheet);
    AscSortRadioButton->setObjectName(QStringLiteral("AscSortRadioButton"));
    AscSortRadioButton->setGeometry(56, 120, 230, 17);
    CreateHeading(sheet, QStringLiteral("История запуска"), {16, 152}, line);
    ClearRunHistoryButton = new QPushButton(QStringLiteral("Очистить"), sheet);
    ClearRunHistoryButton->setObjectName(QStringLiteral("ClearRunHistoryButton"));
    ClearRunHistoryButton->setGeometry(24, 176, 90, 25);
    ClearRunHistoryButton->setAutoDefault(false);

    // "Звуки"
    TabSheet5 = sheet = AddSheet(QStringLiteral("Звуки"), QStringLiteral("TabSheet5"));
    CreateHeading(sheet, QStringLiteral("Озвучка событий"), {16, 14}, line);
    MuteAllCheckBox = CheckBox(sheet, QStringLiteral("MuteAllCheckBox"),
                               QStringLiteral("Использовать звуки"), 24, 36);
    DropShortCutCheckBox = CheckBox(sheet, QStringLiteral("DropShortCutCheckBox"),
                                    QStringLiteral("Падение ярлыка"), 44, 60);
    ScrollPageCheckBox = CheckBox(sheet, QStringLiteral("ScrollPageCheckBox"),
                                  QStringLiteral("Прокрутка страницы"), 44, 80);
    ClickButtonCheckBox = CheckBox(sheet, QStringLiteral("ClickButtonCheckBox"),
                                   QStringLiteral("Нажатие кнопки"), 44, 100);
    DragButtonCheckBox = CheckBox(sheet, QStringLiteral("DragButtonCheckBox"),
                                  QStringLiteral("Перетаскивание кнопки"), 44, 120);
    DragPageCheckBox = CheckBox(sheet, QStringLiteral("DragPageCheckBox"),
                                QStringLiteral("Перетаскивание страницы"), 44, 140);

    connect(MuteAllCheckBox, &QCheckBox::toggled, this, [this] { MuteAllCheckBoxClick(); });
    connect(DescSortRadioButton, &QRadioButton::clicked, this,
            [this] { DescSortRadioButtonClick(); });
    connect(AscSortRadioButton, &QRadioButton::clicked, this,
            [this] { AscSortRadioButtonClick(); });
    connect(ClearRunHistoryButton, &QPushButton::clicked, this,
            [this] { ClearRunHistoryButtonClick(); });

    FormCreate(appFolder);
}

QWidget* TfmSystemOptions::AddSheet(const QString& caption, const QString& name)
{
    auto* sheet = new QWidget;
    sheet->setObjectName(name);
    MainPageControl->addTab(sheet, caption);
    // The same sunken frame as the first page's.
    auto* frame = new QFrame(sheet);
    frame->setFrameShape(QFrame::Box);
    frame->setFrameShadow(QFrame::Sunken);
    Anchor(frame, {6, 6, 228, 118}, TabSheetDesignSize(DesignPageControl.size()),
           Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge | Qt::BottomEdge);
    return sheet;
}

void TfmSystemOptions::FormCreate(const QString& appFolder)
{
    MainPageControl->setCurrentIndex(0);
    ClearRunHistoryButton->setEnabled(!appFolder.isEmpty() &&
                                      QFileInfo(appFolder + Constants::RunStatFileName).isFile());
}

void TfmSystemOptions::showEvent(QShowEvent* event)
{
    TfmCustomOptions::showEvent(event);
    if (!event->spontaneous())
        ColCountSpinEdit->setFocus();
}

void TfmSystemOptions::MuteAllCheckBoxClick()
{
    const bool used = MuteAllCheckBox->isChecked();
    for (QCheckBox* box : {DropShortCutCheckBox, ScrollPageCheckBox, ClickButtonCheckBox,
                           DragButtonCheckBox, DragPageCheckBox})
        box->setEnabled(used);
}

void TfmSystemOptions::DescSortRadioButtonClick()
{
    if (DescSortRadioButton->isChecked())
        AscSortRadioButton->setChecked(false);
}

void TfmSystemOptions::AscSortRadioButtonClick()
{
    if (AscSortRadioButton->isChecked())
        DescSortRadioButton->setChecked(false);
}

void TfmSystemOptions::SetHotkey(const QString& portableText)
{
    const QKeySequence keys = QKeySequence::fromString(portableText, QKeySequence::PortableText);
    HotkeyCheckBox->setChecked(!keys.isEmpty());
    HotkeyEdit->setEnabled(!keys.isEmpty());
    // Switched off, the box still offers the usual combination to switch it on with.
    HotkeyEdit->setKeySequence(
        keys.isEmpty() ? QKeySequence::fromString(TSystemSettings::DefaultGlobalHotkey(),
                                                  QKeySequence::PortableText)
                       : keys);
}

QString TfmSystemOptions::Hotkey() const
{
    const QKeySequence keys = HotkeyEdit->keySequence();
    if (!HotkeyCheckBox->isChecked() || keys.isEmpty())
        return {};
    return QKeySequence(keys[0]).toString(QKeySequence::PortableText);
}

void TfmSystemOptions::ClearRunHistoryButtonClick()
{
    SendMessage(m_historyWindow, UM_HISTORY_CLEAR, 1, 0);
    ClearRunHistoryButton->setEnabled(false);
}
