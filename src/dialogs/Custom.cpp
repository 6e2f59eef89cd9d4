#include "dialogs/Custom.h"

#include <QEvent>
#include <QFontMetrics>
#include <QList>
#include <QPointer>
#include <QWidget>

QFont CustomFont()
{
    QFont font;
    // Nimbus Sans (a Helvetica face shipped with every Debian desktop) is the closest match here
    // to the classic 8-point dialog font; the others stand in where it is missing.
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Nimbus Sans"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                      QStringLiteral("Helvetica"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}

void ApplyCustomLook(QWidget* form)
{
    form->setFont(CustomFont());
    form->setBackgroundRole(QPalette::Button);
    form->setAutoFillBackground(true);
}

TfmCustom::TfmCustom(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("fmCustom"));
    ApplyCustomLook(this);
    resize(257, 240);
}

void PlaceBesideMainWindow(QWidget* mainWindow, QWidget* dialog)
{
    if (!mainWindow || !dialog)
        return;
    const QRect main = mainWindow->frameGeometry();
    QSize size = dialog->frameGeometry().size();
    // A dialog not shown yet has no frame; it will get one like the main window's.
    if (!dialog->testAttribute(Qt::WA_WState_Created) || size == dialog->size())
        size += main.size() - mainWindow->size();
    int top = main.top();
    const int mainBottom = main.top() + main.height();
    if (top + size.height() > mainBottom)
        top = mainBottom - size.height();
    int left = main.left() - size.width();
    if (left < 0)
        left = main.left() + main.width();
    dialog->move(left, top);
}

QSize AverageCharSize(const QFont& font)
{
    const QFontMetrics metrics(font);
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    return {metrics.horizontalAdvance(letters) / 52, metrics.height()};
}

int MulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0)
        return -1;
    const qint64 product = qint64(number) * numerator;
    const qint64 half = qAbs(qint64(denominator)) / 2;
    const bool negative = (product < 0) != (denominator < 0);
    const qint64 result = (qAbs(product) + half) / qAbs(qint64(denominator));
    return int(negative ? -result : result);
}

namespace {

class TAnchorKeeper : public QObject
{
public:
    struct Entry
    {
        QPointer<QWidget> child;
        QRect design;
        QSize parentDesign;
        Qt::Edges edges;
    };

    explicit TAnchorKeeper(QWidget* parent) : QObject(parent) { parent->installEventFilter(this); }

    static TAnchorKeeper* of(QWidget* parent)
    {
        for (QObject* child : parent->children())
            if (auto* keeper = dynamic_cast<TAnchorKeeper*>(child))
                return keeper;
        return new TAnchorKeeper(parent);
    }

    void add(const Entry& entry)
    {
        m_entries.append(entry);
        apply(m_entries.last(), static_cast<QWidget*>(parent())->size());
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == parent() && event->type() == QEvent::Resize)
            for (const Entry& entry : std::as_const(m_entries))
                apply(entry, static_cast<QWidget*>(parent())->size());
        return false;
    }

private:
    static void apply(const Entry& e, const QSize& now)
    {
        if (!e.child)
            return;
        int x = e.design.x();
        int w = e.design.width();
        const int rightMargin = e.parentDesign.width() - (e.design.x() + e.design.width());
        if (e.edges.testFlag(Qt::LeftEdge) && e.edges.testFlag(Qt::RightEdge))
            w = now.width() - rightMargin - x;
        else if (e.edges.testFlag(Qt::RightEdge))
            x = now.width() - rightMargin - w;
        int y = e.design.y();
        int h = e.design.height();
        const int bottomMargin = e.parentDesign.height() - (e.design.y() + e.design.height());
        if (e.edges.testFlag(Qt::TopEdge) && e.edges.testFlag(Qt::BottomEdge))
            h = now.height() - bottomMargin - y;
        else if (e.edges.testFlag(Qt::BottomEdge))
            y = now.height() - bottomMargin - h;
        e.child->setGeometry(x, y, qMax(0, w), qMax(0, h));
    }

    QList<Entry> m_entries;
};

} // namespace

void Anchor(QWidget* child, const QRect& design, const QSize& parentDesign, Qt::Edges edges)
{
    QWidget* parent = child->parentWidget();
    if (!parent) {
        child->setGeometry(design);
        return;
    }
    TAnchorKeeper::of(parent)->add({child, design, parentDesign, edges});
}
