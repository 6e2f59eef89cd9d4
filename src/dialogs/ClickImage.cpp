#include "dialogs/ClickImage.h"

#include "dialogs/Custom.h"

#include <QFrame>
#include <QMouseEvent>

void TClickImage::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    // Released over the picture: a press that slid off it is no click.
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

QFont HeadingFont()
{
    QFont font = CustomFont();
    font.setBold(true);
    return font;
}

QLabel* CreateHeading(QWidget* parent, const QString& text, const QPoint& at, int lineWidth,
                      QFrame** line)
{
    auto* label = new QLabel(text, parent);
    label->setFont(HeadingFont());
    label->move(at);
    label->adjustSize();
    auto* bevel = new QFrame(parent);
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setGeometry(at.x(), at.y() + 14, lineWidth, 2);
    if (line)
        *line = bevel;
    return label;
}
