#include "dialogs/Custom.h"

#include <QAbstractButton>
#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QList>
#include <QPointer>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>

#include <algorithm>

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

void TfmCustom::showEvent(QShowEvent* event)
{
    if (!m_fitted) {
        m_fitted = true;
        GrowToFitCaptions(this);
    }
    QDialog::showEvent(event);
}

namespace {

// Shown when its form is: pages of a page control that are not the current one count too.
bool ShownWithForm(const QWidget* widget, const QWidget* form)
{
    for (const QWidget* w = widget; w && w != form; w = w->parentWidget()) {
        const bool page = qobject_cast<const QStackedWidget*>(w->parentWidget()) != nullptr;
        if (w->isHidden() && !page)
            return false;
    }
    return true;
}

// The width a caption's control needs, or 0 when it shows no single-line caption.
int CaptionWidth(const QWidget* widget)
{
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        if (label->wordWrap() || label->text().isEmpty() || !label->pixmap().isNull())
            return 0;
        return label->sizeHint().width();
    }
    if (const auto* button = qobject_cast<const QPushButton*>(widget)) {
        // The styles' hint asks 80 pixels of any button; only the caption itself counts here.
        if (button->text().isEmpty())
            return 0;
        QString caption = button->text();
        caption.remove(u'&');
        int width = button->fontMetrics().horizontalAdvance(caption) + 12;
        if (!button->icon().isNull())
            width += button->iconSize().width() + 4;
        return width;
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text().isEmpty() ? 0 : button->sizeHint().width();
    return 0;
}

} // namespace

int GrowToFitCaptions(QWidget* form)
{
    // A margin kept free at the right of a caption's container.
    constexpr int Margin = 2;
    const int before = form->width();
    // Growing the form widens what is anchored to both its sides, which may leave more to do.
    for (int pass = 0; pass < 4; ++pass) {
        int grow = 0;
        for (QWidget* widget : form->findChildren<QWidget*>()) {
            QWidget* parent = widget->parentWidget();
            if (!parent || widget->isWindow() || !ShownWithForm(widget, form))
                continue;
            if (auto* tabs = qobject_cast<QTabWidget*>(widget)) {
                // Every tab in sight, none behind scroll arrows.
                const int strip = tabs->tabBar()->sizeHint().width() + 2 * Margin;
                grow = std::max(grow, strip - tabs->width());
                continue;
            }
            const int wanted = CaptionWidth(widget);
            if (wanted <= widget->width())
                continue;
            // What stands to the right of the caption moves along with its end, so columns
            // stay aligned.
            const QRect was = widget->geometry();
            widget->resize(wanted, widget->height());
            int right = widget->geometry().right();
            for (QWidget* sibling : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                const QRect other = sibling->geometry();
                if (sibling == widget || other.left() <= was.right())
                    continue;
                sibling->move(other.left() + wanted - was.width(), other.top());
                right = std::max(right, sibling->geometry().right());
            }
            grow = std::max(grow, right + 1 + Margin - parent->width());
        }
        if (grow <= 0)
            break;
        if (form->minimumWidth() == form->maximumWidth())
            form->setFixedWidth(form->width() + grow);
        else
            form->resize(form->width() + grow, form->height());
    }
    return form->width() - before;
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
