#include "dialogs/CustomOptions.h"

#include "dialogs/Help.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QWheelEvent>

TfmCustomOptions::TfmCustomOptions(QWidget* owner) : TfmCustom(owner)
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    const QSize client = DesignClientSize;
    setFixedSize(client);

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Anchor(Bevel1, {0, 172, 261, 2}, client, Qt::LeftEdge | Qt::RightEdge | Qt::BottomEdge);

    MainPageControl = new QTabWidget(this);
    MainPageControl->setObjectName(QStringLiteral("MainPageControl"));
    Anchor(MainPageControl, DesignPageControl, client,
           Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge | Qt::BottomEdge);
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    MainPageControl->addTab(TabSheet1, QStringLiteral("TabSheet1"));
    Bevel2 = new QFrame(TabSheet1);
    Bevel2->setObjectName(QStringLiteral("Bevel2"));
    Bevel2->setFrameShape(QFrame::Box);
    Bevel2->setFrameShadow(QFrame::Sunken);
    Anchor(Bevel2, {6, 6, 228, 118}, TabSheetDesignSize(DesignPageControl.size()),
           Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge | Qt::BottomEdge);

    HelpButton = new QPushButton(QStringLiteral("&Справка"), this);
    HelpButton->setObjectName(QStringLiteral("HelpButton"));
    Anchor(HelpButton, {6, 182, 75, 25}, client, Qt::LeftEdge | Qt::BottomEdge);
    OkButton = new QPushButton(QStringLiteral("&Ок"), this);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    Anchor(OkButton, {99, 182, 75, 25}, client, Qt::RightEdge | Qt::BottomEdge);
    CancelButton = new QPushButton(QStringLiteral("&Отмена"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    Anchor(CancelButton, {180, 182, 75, 25}, client, Qt::RightEdge | Qt::BottomEdge);
    // Enter and Escape are handled by the form itself, so no button takes them over.
    for (QPushButton* button : {HelpButton, OkButton, CancelButton}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    setTabOrder(HelpButton, OkButton);
    setTabOrder(OkButton, CancelButton);
    setTabOrder(CancelButton, MainPageControl);

    connect(OkButton, &QPushButton::clicked, this, [this] { OkButtonClick(); });
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(HelpButton, &QPushButton::clicked, this, [this] { HelpButtonClick(); });

    // The form sees keys before its controls do, like a key preview.
    qApp->installEventFilter(this);
    MainPageControl->installEventFilter(this);
    MainPageControl->tabBar()->installEventFilter(this);
}

QSize TfmCustomOptions::TabSheetDesignSize(const QSize& pageControl)
{
    return {pageControl.width() - 8, pageControl.height() - 28};
}

bool TfmCustomOptions::FormKeyDown(int key)
{
    bool handled = false;
    if (key == Qt::Key_Escape) {
        CancelButton->click();
        handled = true;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        OkButton->click();
        handled = true;
    }
    return handled;
}

void TfmCustomOptions::OkButtonClick()
{
    accept();
}

void TfmCustomOptions::HelpButtonClick()
{
    ShowHelpTopic(m_helpKeyword);
}

bool TfmCustomOptions::MainPageControlWheel(int delta)
{
    // A mouse notch is 120; smaller steps (touchpads) add up to one.
    m_wheelRest += delta;
    while (m_wheelRest <= -120) {
        m_wheelRest += 120;
        if (MainPageControl->currentIndex() < MainPageControl->count() - 1)
            MainPageControl->setCurrentIndex(MainPageControl->currentIndex() + 1);
    }
    while (m_wheelRest >= 120) {
        m_wheelRest -= 120;
        if (MainPageControl->currentIndex() > 0)
            MainPageControl->setCurrentIndex(MainPageControl->currentIndex() - 1);
    }
    return true;
}

namespace {

// An in-place editor of a list or table keeps Enter and Escape to accept or drop its text.
bool isItemEditor(QWidget* widget, QWidget* form)
{
    for (QWidget* w = widget; w && w != form; w = w->parentWidget()) {
        QWidget* viewport = w->parentWidget();
        auto* view =
            viewport ? qobject_cast<QAbstractItemView*>(viewport->parentWidget()) : nullptr;
        if (view && view->viewport() == viewport)
            return true;
    }
    return false;
}

} // namespace

bool TfmCustomOptions::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        // Keys of this form's own controls only; a message box over it is another window.
        // An editor's key travels on to the view and the form after the editor has seen it.
        const bool editing =
            isItemEditor(widget, this) || (focusWidget() && isItemEditor(focusWidget(), this));
        if ((widget == this || isAncestorOf(widget)) && isVisible() && !editing) {
            // The key is taken: after Cancel or OK closed the form, no control may act on it too.
            if (FormKeyDown(static_cast<QKeyEvent*>(event)->key()))
                return true;
        }
    }
    if (event->type() == QEvent::Wheel &&
        (watched == MainPageControl || watched == MainPageControl->tabBar()))
        return MainPageControlWheel(static_cast<QWheelEvent*>(event)->angleDelta().y());
    return TfmCustom::eventFilter(watched, event);
}
