#include "dialogs/CommandOptions.h"

#include "commands/Command.h"
#include "commands/Messages.h"
#include "dialogs/ClickImage.h"
#include "dialogs/IconChooser.h"
#include "dialogs/WriteFailures.h"
#include "pages/CommandsPage.h"
#include "pages/MyPageControl.h"
#include "platform/FileDialogs.h"
#include "platform/MessageBoxes.h"
#include "platform/Shell.h"
#include "settings/Constants.h"
#include "settings/Folders.h"
#include "settings/IniFile.h"
#include "settings/ShellRules.h"
#include "settings/SystemSettings.h"
#include "text/Paths.h"
#include "text/Text.h"

#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QToolButton>

namespace {

// The pictures of the file and folder buttons: a sheet with a folded corner and a folder.
QIcon ButtonGlyph(bool folder)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, false);
    if (folder) {
        p.setPen(QColor(128, 96, 0));
        p.setBrush(QColor(240, 200, 80));
        p.drawRect(1, 3, 5, 2);
        p.drawRect(1, 4, 13, 9);
        p.setPen(QColor(255, 235, 160));
        p.drawLine(2, 6, 13, 6);
    } else {
        p.setPen(QColor(64, 64, 64));
        p.setBrush(Qt::white);
        const QPoint sheet[] = {{3, 1}, {10, 1}, {13, 4}, {13, 14}, {3, 14}};
        p.drawPolygon(sheet, 5);
        p.drawLine(10, 1, 10, 4);
        p.drawLine(10, 4, 13, 4);
        p.setPen(QColor(0, 0, 160));
        for (int y = 7; y <= 11; y += 2)
            p.drawLine(5, y, 11, y);
    }
    return QIcon(pixmap);
}

QLabel* BoldLabel(QWidget* parent, const QString& text, int left, int top)
{
    auto* label = new QLabel(text, parent);
    label->setFont(HeadingFont());
    label->setGeometry(left, top, 200, 14);
    return label;
}

// What may be typed into the path, parameters and description fields.
constexpr int TypingLimit = 255;

QLineEdit* Edit(QWidget* parent, const QString& name, const QRect& bounds)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setGeometry(bounds);
    edit->setMaxLength(TypingLimit);
    return edit;
}

// Shows a value whole: the limit is for typing only, and a stored or chosen value may be longer
// (up to what the commands file keeps). Typing never makes the field longer than that.
void SetWholeText(QLineEdit* edit, const QString& text)
{
    edit->setMaxLength(qMax(TypingLimit, int(qMin<qsizetype>(text.size(), 32767))));
    edit->setText(text);
}

} // namespace

TfmCommandOptions::TfmCommandOptions(QWidget* owner, TCommand* command, TMyPageControl* pageControl)
    : TfmCustomOptions(owner), m_pageControl(pageControl), m_command(command)
{
    setWindowTitle(QStringLiteral("Параметры команды"));
    setFixedSize(DesignClientSize);
    MainPageControl->setTabText(0, QStringLiteral("Общие"));
    QWidget* sheet = TabSheet1;

    BoldLabel(sheet, QStringLiteral("Страница"), 14, 12);
    PagesNamesComboBox = new QComboBox(sheet);
    PagesNamesComboBox->setObjectName(QStringLiteral("PagesNamesComboBox"));
    PagesNamesComboBox->setGeometry(14, 28, 190, 21);
    BoldLabel(sheet, QStringLiteral("Кнопка"), 214, 12);
    LaunchButtonsComboBox = new QComboBox(sheet);
    LaunchButtonsComboBox->setObjectName(QStringLiteral("LaunchButtonsComboBox"));
    LaunchButtonsComboBox->setGeometry(214, 28, 196, 21);

    BoldLabel(sheet, QStringLiteral("Команда"), 14, 58);
    ExePathEdit = Edit(sheet, QStringLiteral("ExePathEdit"), {14, 74, 344, 21});
    btnFile = new QToolButton(sheet);
    btnFile->setObjectName(QStringLiteral("btnFile"));
    btnFile->setGeometry(362, 73, 23, 23);
    btnFile->setIcon(ButtonGlyph(false));
    btnFile->setToolTip(QStringLiteral("Выбрать файл"));
    btnFolder = new QToolButton(sheet);
    btnFolder->setObjectName(QStringLiteral("btnFolder"));
    btnFolder->setGeometry(387, 73, 23, 23);
    btnFolder->setIcon(ButtonGlyph(true));
    btnFolder->setToolTip(QStringLiteral("Выбрать папку"));

    BoldLabel(sheet, QStringLiteral("Параметры"), 14, 104);
    ParametersEdit = Edit(sheet, QStringLiteral("ParametersEdit"), {14, 120, 396, 21});
    BoldLabel(sheet, QStringLiteral("Описание"), 14, 150);
    DescriptionEdit = Edit(sheet, QStringLiteral("DescriptionEdit"), {14, 166, 396, 21});

    BoldLabel(sheet, QStringLiteral("Иконка"), 14, 196);
    // Framed like a command button: a raised 41 x 41 panel around a lowered 37 x 37 frame.
    auto* panel = new QFrame(sheet);
    panel->setGeometry(14, 214, 41, 41);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    auto* frame = new QFrame(panel);
    frame->setGeometry(2, 2, 37, 37);
    frame->setFrameShape(QFrame::Panel);
    frame->setFrameShadow(QFrame::Sunken);
    IconPreviewImage = new TClickImage(panel);
    IconPreviewImage->setObjectName(QStringLiteral("IconPreviewImage"));
    IconPreviewImage->setGeometry(4, 4, 33, 33);
    IconPreviewImage->setAlignment(Qt::AlignCenter);
    IconPreviewImage->setCursor(Qt::PointingHandCursor);
    IconPreviewImage->setToolTip(QStringLiteral("Изменить"));
    IconPathEdit = Edit(sheet, QStringLiteral("IconPathEdit"), {64, 224, 346, 21});
    // Nothing is typed here: the field shows any icon path whole.
    IconPathEdit->setMaxLength(32767);
    IconPathEdit->setReadOnly(true);
    IconPathEdit->setFocusPolicy(Qt::ClickFocus);

    setTabOrder(PagesNamesComboBox, LaunchButtonsComboBox);
    setTabOrder(LaunchButtonsComboBox, ExePathEdit);
    setTabOrder(ExePathEdit, btnFile);
    setTabOrder(btnFile, btnFolder);
    setTabOrder(btnFolder, ParametersEdit);
    setTabOrder(ParametersEdit, DescriptionEdit);

    connect(PagesNamesComboBox, &QComboBox::activated, this,
            [this] { PagesNamesComboBoxChange(); });
    connect(LaunchButtonsComboBox, &QComboBox::activated, this,
            [this] { LaunchButtonsComboBoxChange(); });
    connect(ExePathEdit, &QLineEdit::textChanged, this, [this] {
        ExePathEditChange(ExePathEdit);
        // With no icon chosen the command will show its own file's icon: the preview follows.
        if (IconPathEdit->text().isEmpty())
            RefreshPreview();
    });
    connect(IconPathEdit, &QLineEdit::textChanged, this,
            [this] { ExePathEditChange(IconPathEdit); });
    connect(IconPreviewImage, &TClickImage::clicked, this, [this] { IconPreviewImageClick(); });
    connect(btnFile, &QToolButton::clicked, this, [this] { btnFileClick(); });
    connect(btnFolder, &QToolButton::clicked, this, [this] { btnFolderClick(); });

    if (m_pageControl)
        for (int i = 0; i < m_pageControl->PageCount(); ++i)
            PagesNamesComboBox->addItem(m_pageControl->Page(i)->Caption());
    const int page = command ? command->PageNumber() : 0;
    FillButtonsList(page);
    SelectSilently(LaunchButtonsComboBox, command ? command->ButtonNumber() : 0);
    SelectSilently(PagesNamesComboBox, page);
    Show(PagesNamesComboBox->currentIndex(), LaunchButtonsComboBox->currentIndex());
    // The fields show colours from the start, also when the texts came in unchanged.
    ExePathEditChange(ExePathEdit);
    ExePathEditChange(IconPathEdit);
}

void TfmCommandOptions::SelectSilently(QComboBox* box, int index)
{
    const QSignalBlocker blocker(box);
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
}

void TfmCommandOptions::FillButtonsList(int page)
{
    const QSignalBlocker blocker(LaunchButtonsComboBox);
    LaunchButtonsComboBox->clear();
    if (!m_pageControl || page < 0 || page >= m_pageControl->PageCount())
        return;
    const TCommandsPage* commandsPage = m_pageControl->Page(page);
    // The grid every page has; a page still being rebuilt never lends a missing button.
    const int count = qMin(m_pageControl->CommandsCount() * m_pageControl->ColCount(),
                           commandsPage->ButtonCount());
    for (int i = 0; i < count; ++i) {
        const TCommand* button = commandsPage->Button(i);
        LaunchButtonsComboBox->addItem(QString::number(i) + QStringLiteral(" [") +
                                       OneLine(button ? button->Hint() : QString()) +
                                       QStringLiteral("]"));
    }
}

void TfmCommandOptions::Show(int page, int position)
{
    m_command = m_pageControl ? m_pageControl->GetCommand(page, position) : nullptr;
    const TCommand* c = m_command;
    SetWholeText(ExePathEdit, c ? c->ExePath() : QString());
    SetWholeText(ParametersEdit, c ? c->Parameters() : QString());
    SetWholeText(DescriptionEdit, c ? c->Description() : QString());
    m_chosenIconIndex = c ? c->IconIndex() : 0;
    m_chosenIconFile = c ? c->IconPath() : QString();
    IconPathEdit->setText(m_chosenIconFile);
    for (QLineEdit* edit : {ExePathEdit, ParametersEdit, DescriptionEdit, IconPathEdit})
        edit->setCursorPosition(0);
    RefreshPreview();
}

void TfmCommandOptions::IconToSave(QString* path, int* index) const
{
    *path = IconPathEdit->text();
    *index = m_chosenIconIndex;
    const QString target = ExePathEdit->text();
    if (!path->isEmpty() || target.isEmpty())
        return;
    // A typed path gets the icon the file and folder buttons would have given it; without one
    // every click on the button would open this dialog again.
    if (NamesFolder(target)) {
        *path = Folders::shell32Path();
        *index = 3;
    } else {
        *path = target;
        *index = 0;
    }
}

void TfmCommandOptions::RefreshPreview()
{
    QString iconPath;
    int iconIndex = 0;
    IconToSave(&iconPath, &iconIndex);
    TCommandPicture picture;
    picture.size = 32;
    DrawCommandIcon(iconPath, ExePathEdit->text(), iconIndex, picture);
    // A missing target must not hide an icon file that is there.
    if (IconFileExists(iconPath))
        DrawCommandIcon(iconPath, iconPath, iconIndex, picture);
    IconPreviewImage->setPixmap(picture.pixmap);
    IconPreviewImage->setToolTip(QStringLiteral("Изменить"));
}

void TfmCommandOptions::ExePathEditChange(QLineEdit* edit)
{
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Text, TargetExists(edit->text()) ? Qt::black : Qt::red);
    edit->setPalette(palette);
}

bool TfmCommandOptions::Changed() const
{
    const TCommand* c = m_command;
    if (!c)
        return false;
    return ExePathEdit->text() != c->ExePath() || ParametersEdit->text() != c->Parameters() ||
           DescriptionEdit->text() != c->Description() || m_chosenIconIndex != c->IconIndex() ||
           m_chosenIconFile != c->IconPath();
}

bool TfmCommandOptions::Save()
{
    if (!Changed())
        return true;
    const TSystemSettings* settings = m_pageControl ? m_pageControl->Settings() : nullptr;
    if (settings &&
        settings->Conformations()->Contains(TSys_Conformations::ChangeCommandProperties) &&
        ShowMessage(QStringLiteral("Параметры кнопки были изменены!\rСохранить ?"),
                    QStringLiteral("Подтвердите сохранение!"),
                    MB::OKCANCEL | MB::ICONQUESTION | MB::DEFBUTTON2) == IDCANCEL)
        return true;
    TCommand* c = m_command;
    // Every field emptied: the command goes, as the clear action takes it, with its section
    // and its place in the run history.
    const bool emptied = ExePathEdit->text().isEmpty() && ParametersEdit->text().isEmpty() &&
                         DescriptionEdit->text().isEmpty() && IconPathEdit->text().isEmpty();
    if (!emptied) {
        QString iconPath;
        int iconIndex = 0;
        IconToSave(&iconPath, &iconIndex);
        if (iconPath != IconPathEdit->text()) {
            IconPathEdit->setText(iconPath);
            m_chosenIconFile = iconPath;
            m_chosenIconIndex = iconIndex;
        }
    }
    TCommandRecord fields;
    if (!emptied) {
        fields.SetExePath(ExePathEdit->text());
        fields.SetParameters(ParametersEdit->text());
        fields.SetDescription(DescriptionEdit->text());
        fields.SetIconIndex(m_chosenIconIndex);
        fields.SetIconPath(IconPathEdit->text());
    }
    TProfileModel* model = c->Record()->Model();
    if (!model || model->SetCommand(c->Record(), fields) == TCommandWrite::Failed) {
        // The button keeps what the file holds; the dialog stays with what was typed.
        WriteFailures::MarkPendingReported();
        ShowError(QStringLiteral("Не удалось записать команду в файл команд!\r"
                                 "Проверьте, что папка программы доступна для записи."),
                  QStringLiteral("Ошибка"));
        return false;
    }
    return true;
}

void TfmCommandOptions::OkButtonClick()
{
    // A failed save keeps the dialog open, so nothing typed is lost.
    if (Save())
        TfmCustomOptions::OkButtonClick();
}

void TfmCommandOptions::showEvent(QShowEvent* event)
{
    TfmCustomOptions::showEvent(event);
    if (!event->spontaneous())
        ExePathEdit->setFocus();
}

void TfmCommandOptions::PagesNamesComboBoxChange()
{
    LeaveForSelection();
}

bool TfmCommandOptions::LeaveForSelection()
{
    if (!Save()) {
        // The command being left could not be saved: it stays on show, with what was typed.
        if (TCommand* c = m_command) {
            SelectSilently(PagesNamesComboBox, c->PageNumber());
            FillButtonsList(c->PageNumber());
            SelectSilently(LaunchButtonsComboBox, c->ButtonNumber());
        }
        return false;
    }
    const int position = LaunchButtonsComboBox->currentIndex();
    FillButtonsList(PagesNamesComboBox->currentIndex());
    SelectSilently(LaunchButtonsComboBox, position);
    Show(PagesNamesComboBox->currentIndex(), LaunchButtonsComboBox->currentIndex());
    return true;
}

void TfmCommandOptions::LaunchButtonsComboBoxChange()
{
    const int position = LaunchButtonsComboBox->currentIndex();
    if (!LeaveForSelection())
        return;
    SelectSilently(LaunchButtonsComboBox, position);
    Show(PagesNamesComboBox->currentIndex(), LaunchButtonsComboBox->currentIndex());
}

void TfmCommandOptions::IconPreviewImageClick()
{
    QString file = m_chosenIconFile;
    if (file.isEmpty() || !QFileInfo::exists(file))
        file = Folders::shell32Path();
    int index = m_chosenIconIndex;
    if (!IconChooser().Execute(this, file, index))
        return;
    // Where paths ignore case the stored form is lowercase.
    if (PathsIgnoreCase())
        file = AsciiLowerCase(file);
    file = ExpandSystemRoot(file);
    IconPathEdit->setText(file);
    m_chosenIconFile = file;
    m_chosenIconIndex = index;
    RefreshPreview();
}

void TfmCommandOptions::btnFileClick()
{
    const QString current = ExePathEdit->text();
    const QString start = TargetExists(current) && !NamesFolder(current) ? current : QString();
    const QString file =
        FileDialogs().GetOpenFileName(this, QStringLiteral("Выбрать файл"), start,
                                      QStringLiteral("Все файлы (*);;Ярлыки (*%1);;Сценарии (*.sh)")
                                          .arg(Constants::ShortcutExtension));
    if (file.isEmpty())
        return;
    if (AsciiLowerCase(ExtractFileExt(file)) == Constants::ShortcutExtension &&
        ShowMessage(QStringLiteral("Преобразовать ярлык в команду ?"),
                    QStringLiteral("Запрос на преобразование"),
                    MB::OKCANCEL | MB::ICONQUESTION) == IDOK) {
        TShortcutInfo info = ReadShortcut(file);
        if (info.targetPath.isEmpty())
            info.targetPath = file;
        if (info.iconPath.isEmpty())
            info.iconPath = info.targetPath;
        SetWholeText(ExePathEdit, info.targetPath);
        SetWholeText(ParametersEdit, info.arguments);
        SetWholeText(DescriptionEdit, info.description);
        IconPathEdit->setText(info.iconPath);
        m_chosenIconIndex = info.iconIndex;
        RefreshPreview();
        return;
    }
    // Any other file, and a shortcut the user keeps as it is: the file itself is the command.
    SetWholeText(ExePathEdit, file);
    SetWholeText(DescriptionEdit, CommandDisplayName(QString(), file));
    IconPathEdit->setText(file);
    m_chosenIconIndex = 0;
    RefreshPreview();
}

void TfmCommandOptions::btnFolderClick()
{
    const QString current = ExePathEdit->text();
    const QString start =
        TargetExists(current) && !NamesFolder(current) ? ExtractFilePath(current) : QString();
    QString folder =
        FileDialogs().GetExistingDirectory(this, QStringLiteral("Выбрать папку"), start);
    if (folder.isEmpty())
        return;
    if (!folder.endsWith(PathSeparator))
        folder += PathSeparator;
    SetWholeText(ExePathEdit, folder);
    if (IconPathEdit->text().isEmpty()) {
        IconPathEdit->setText(Folders::shell32Path());
        m_chosenIconIndex = 3;
        RefreshPreview();
    }
}
