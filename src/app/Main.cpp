#include "app/Main.h"

#include "settings/Constants.h"

#include <QGuiApplication>
#include <QScreen>

TfmMain::TfmMain(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(Constants::ProductName);
    resize(80, 300);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect work = screen->availableGeometry();
        move(work.right() - width() + 1, work.bottom() - height() + 1);
    }
}

void TfmMain::ActivateFromOtherInstance()
{
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}
