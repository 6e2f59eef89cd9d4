#pragma once

#include <QLabel>

// A picture or text that acts on a left click, like a link.
class TClickImage : public QLabel
{
    Q_OBJECT
public:
    explicit TClickImage(QWidget* parent = nullptr) : QLabel(parent) {}

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// A bold heading label with the line under it, as the dialogs show above a group.
class QFrame;
QLabel* CreateHeading(QWidget* parent, const QString& text, const QPoint& at, int lineWidth,
                      QFrame** line = nullptr);
// The bold variant of the dialogs' font.
QFont HeadingFont();
