#include "skin/SkinStyle.h"

#include "skin/SkinEngine.h"
#include "skin/SkinPicture.h"

#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <QWidget>
#include <qdrawutil.h>

#include <algorithm>

namespace {

// Frame of a button-like picture: normal, pressed, hover, disabled, default.
int buttonFrame(QStyle::State state, bool isDefault = false)
{
    if (!(state & QStyle::State_Enabled))
        return 3;
    if (state & (QStyle::State_Sunken | QStyle::State_On))
        return 1;
    if (state & QStyle::State_MouseOver)
        return 2;
    return isDefault ? 4 : 0;
}

// Frame of a thumb-like picture: normal, hover, pressed, disabled.
int thumbFrame(QStyle::State state, bool active)
{
    if (!(state & QStyle::State_Enabled))
        return 3;
    if (active && (state & QStyle::State_Sunken))
        return 2;
    if (active && (state & QStyle::State_MouseOver))
        return 1;
    return 0;
}

QColor namedColour(const TSkin& skin, QStringView name)
{
    for (const TSkinNamedColour& c : skin.ColourSections) {
        if (QStringView(c.Section).compare(name, Qt::CaseInsensitive) == 0)
            return c.Colour;
    }
    return {};
}

QColor mix(const QColor& a, const QColor& b, qreal t)
{
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t,
                            a.greenF() + (b.greenF() - a.greenF()) * t,
                            a.blueF() + (b.blueF() - a.blueF()) * t);
}

QPalette paletteOf(const TSkin& skin, const QPalette& fallback)
{
    const TSkinColours& c = skin.Colours;
    auto pick = [](const QColor& value, const QColor& def) {
        return value.isValid() ? value : def;
    };
    const QColor face = pick(c.ButtonFace, fallback.color(QPalette::Button));
    const QColor text = pick(c.WindowText, fallback.color(QPalette::WindowText));
    const QColor buttonText = pick(c.ButtonText, text);
    const QColor light = pick(c.ButtonHilight, face.lighter(150));
    const QColor midlight = pick(c.Buttonlight, face.lighter(120));
    const QColor dark = pick(c.ButtonShadow, face.darker(150));
    const QColor shadow = pick(c.ButtonDkShadow, face.darker(300));
    const QColor highlight = pick(c.Hilight, fallback.color(QPalette::Highlight));
    const QColor highlightText = pick(c.HilightText, fallback.color(QPalette::HighlightedText));
    const QColor base = pick(namedColour(skin, u"COLOUR.Window"),
                             face.lightness() < 128 ? face.darker(130) : QColor(Qt::white));
    const QColor baseText = pick(namedColour(skin, u"COLOUR.WindowText"), text);

    QPalette pal;
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const bool disabled = group == QPalette::Disabled;
        pal.setColor(group, QPalette::Window, face);
        pal.setColor(group, QPalette::Button, face);
        pal.setColor(group, QPalette::WindowText, disabled ? mix(text, face, 0.55) : text);
        pal.setColor(group, QPalette::ButtonText,
                     disabled ? mix(buttonText, face, 0.55) : buttonText);
        pal.setColor(group, QPalette::Text, disabled ? mix(baseText, base, 0.55) : baseText);
        pal.setColor(group, QPalette::Base, disabled ? face : base);
        pal.setColor(group, QPalette::AlternateBase, mix(base, face, 0.3));
        pal.setColor(group, QPalette::Light, light);
        pal.setColor(group, QPalette::Midlight, midlight);
        pal.setColor(group, QPalette::Mid, mix(face, dark, 0.5));
        pal.setColor(group, QPalette::Dark, dark);
        pal.setColor(group, QPalette::Shadow, shadow);
        pal.setColor(group, QPalette::Highlight, disabled ? dark : highlight);
        pal.setColor(group, QPalette::HighlightedText, highlightText);
        pal.setColor(group, QPalette::ToolTipBase, base);
        pal.setColor(group, QPalette::ToolTipText, baseText);
        pal.setColor(group, QPalette::PlaceholderText, mix(baseText, base, 0.5));
        pal.setColor(group, QPalette::Link, highlight);
        pal.setColor(group, QPalette::LinkVisited, highlight.darker(120));
        pal.setColor(group, QPalette::BrightText, light);
    }
    return pal;
}

// The application's style while a skin is on: Fusion for the shapes, the skin for the looks.
class TSkinStyle : public QProxyStyle
{
public:
    TSkinStyle(std::shared_ptr<const TSkin> skin, const QPalette& fallback)
        : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))), m_skin(std::move(skin))
    {
        setObjectName(QStringLiteral("KestrolinSkin"));
        const TSkin& s = *m_skin;
        m_palette = paletteOf(s, fallback);
        const TSkinButtons& b = s.Buttons;
        if (b.Present) {
            m_buttons = MakeSkinPicture(
                b.Image, b.Frame > 0 ? b.Frame : 5, b.Trans != 0,
                QMargins(b.LeftWidth, b.TopHeight, b.RightWidth, b.BottomHeight), b.Tile == 1);
        }
        m_check = MakeSkinPicture(b.CheckButton, std::max(b.CheckButtonFrame, 1), true, {}, false);
        m_radio = MakeSkinPicture(b.RadioButton, std::max(b.RadioButtonFrame, 1), true, {}, false);
        auto part = [&](const char* name, int frames = 1) {
            return MakeSkinPicture(s.Part(QString::fromLatin1(name)), frames);
        };
        m_tabs = part("Tabs", 3);
        m_pane = part("Tab.Pane");
        m_progress = part("Progress");
        m_chunk = part("Progress.Chunk");
        m_groupBox = part("GroupBox");
        m_groupTitle = part("GroupBoxEdge");
        m_sunk = part("SunkEdge");
        m_menuItem = part("MenuItem");
        m_menuBack = part("MenuBackground");
        m_hScroll = part("HorzScroll");
        m_vScroll = part("VertScroll");
        m_hThumb = part("HorzScrollThumb", 4);
        m_vThumb = part("VertScrollThumb", 4);
        m_track = part("Track");
        m_trackVert = part("TRACKVERT");
        m_sliderH = part("Trackbar.ThumbHorz", 4);
        m_sliderV = part("Trackbar.ThumbVert", 4);
        m_comboButton = part("ComboButton", 4);
        m_toolBars = part("ToolBars", 3);
        m_header = part("Headerbar", 2);
        m_menuBar = MakeSkinPicture(s.MenuBar.menuBar, 1, false, {}, s.MenuBar.TileMenu == 1);
        auto colour = [](const QColor& v, const QColor& def) { return v.isValid() ? v : def; };
        m_menuColour = colour(s.Colours.Menu, m_palette.color(QPalette::Base));
        m_menuText = colour(s.Colours.MenuText, m_palette.color(QPalette::Text));
        m_menuBarText = colour(s.Colours.MenuBarText, m_menuText);
    }

    const TSkin& skin() const { return *m_skin; }
    QPalette standardPalette() const override { return m_palette; }
    void polish(QPalette& palette) override { palette = m_palette; }
    void polish(QWidget* widget) override
    {
        QProxyStyle::polish(widget);
        if (qobject_cast<QMenu*>(widget)) {
            // Fusion draws a menu's odd corners (scrollers, tear-off) from its palette.
            QPalette pal = m_palette;
            pal.setColor(QPalette::Window, m_menuColour);
            pal.setColor(QPalette::WindowText, m_menuText);
            widget->setPalette(pal);
            widget->setProperty(MenuPaletteProperty, true);
        }
    }
    void unpolish(QWidget* widget) override
    {
        if (widget->property(MenuPaletteProperty).toBool()) {
            widget->setPalette(QPalette());
            widget->setProperty(MenuPaletteProperty, QVariant());
        }
        QProxyStyle::unpolish(widget);
    }
    using QProxyStyle::polish;
    using QProxyStyle::unpolish;

    void drawPanel(QPainter* p, const QRect& rect, bool sunken, bool hovered) const
    {
        if (m_toolBars.present())
            PaintSkinPicture(p, rect, m_toolBars, sunken ? 1 : hovered ? 2 : 0);
        else if (m_buttons.present())
            PaintSkinPicture(p, rect, m_buttons, sunken ? 1 : hovered ? 2 : 0);
        else
            qDrawShadePanel(p, rect, m_palette, sunken, 1);
    }

    void drawComboFace(QPainter* p, const QRect& rect, const QRect& arrowRect, QStyle::State state,
                       bool editable, const QWidget* widget) const
    {
        const int frame = buttonFrame(state);
        if (editable && m_sunk.present()) {
            PaintSkinPicture(p, rect, m_sunk, 0);
        } else if (m_buttons.present()) {
            PaintSkinPicture(p, rect, m_buttons, frame);
        } else {
            QStyleOptionButton button;
            button.rect = rect;
            button.state = state;
            button.palette = m_palette;
            baseStyle()->drawPrimitive(PE_PanelButtonCommand, &button, p, widget);
        }
        if (arrowRect.isEmpty())
            return;
        if (m_comboButton.present())
            PaintSkinPicture(p, arrowRect, m_comboButton, thumbFrame(state, true));
        QStyleOption arrow;
        arrow.rect = QRect(0, 0, 9, 9);
        arrow.rect.moveCenter(arrowRect.center());
        arrow.state = state;
        arrow.palette = m_palette;
        baseStyle()->drawPrimitive(PE_IndicatorArrowDown, &arrow, p, widget);
    }

    void drawPrimitive(PrimitiveElement pe, const QStyleOption* opt, QPainter* p,
                       const QWidget* w) const override
    {
        switch (pe) {
        case PE_FrameFocusRect:
        case PE_FrameDefaultButton:
            return; // the skin's frames show focus and default themselves
        case PE_PanelButtonCommand:
        case PE_PanelButtonBevel:
            if (m_buttons.present()) {
                const auto* button = qstyleoption_cast<const QStyleOptionButton*>(opt);
                const bool isDefault =
                    button && (button->features & QStyleOptionButton::DefaultButton);
                PaintSkinPicture(p, opt->rect, m_buttons, buttonFrame(opt->state, isDefault));
                return;
            }
            break;
        case PE_PanelButtonTool:
            if (m_buttons.present() &&
                (opt->state & (State_Sunken | State_On | State_MouseOver | State_Raised))) {
                PaintSkinPicture(p, opt->rect, m_buttons, buttonFrame(opt->state));
                return;
            }
            break;
        case PE_IndicatorCheckBox:
        case PE_IndicatorRadioButton: {
            const TSkinPicture& picture = pe == PE_IndicatorCheckBox ? m_check : m_radio;
            if (!picture.present())
                break;
            const bool on = opt->state & (State_On | State_NoChange);
            int frame = on ? 1 : 0;
            if (!(opt->state & State_Enabled))
                frame += 4;
            else if (opt->state & (State_MouseOver | State_Sunken))
                frame += 2;
            if (frame >= picture.frames)
                frame = on ? 1 : 0;
            QRect target(QPoint(), picture.frameSize());
            target.moveCenter(opt->rect.center());
            p->drawPixmap(target, picture.pixmap, picture.frameRect(frame));
            return;
        }
        case PE_FrameTabWidget:
            if (m_pane.present()) {
                PaintSkinPicture(p, opt->rect, m_pane, 0);
                return;
            }
            break;
        case PE_PanelLineEdit:
            if (m_sunk.present()) {
                PaintSkinPicture(p, opt->rect, m_sunk, 0);
                p->fillRect(opt->rect.marginsRemoved(QMargins(2, 2, 2, 2)),
                            opt->palette.brush(QPalette::Base));
                return;
            }
            break;
        case PE_FrameLineEdit:
            if (m_sunk.present()) {
                p->save();
                p->setClipRegion(
                    QRegion(opt->rect).subtracted(opt->rect.marginsRemoved(QMargins(2, 2, 2, 2))));
                PaintSkinPicture(p, opt->rect, m_sunk, 0);
                p->restore();
                return;
            }
            break;
        case PE_FrameGroupBox:
            if (m_groupBox.present()) {
                PaintSkinPicture(p, opt->rect, m_groupBox, 0);
                return;
            }
            break;
        case PE_PanelMenu:
            if (m_menuBack.present())
                PaintSkinPicture(p, opt->rect, m_menuBack, 0);
            else
                p->fillRect(opt->rect, m_menuColour);
            return;
        case PE_FrameMenu:
            if (m_menuBack.present())
                return; // the background picture has its own edge
            qDrawShadePanel(p, opt->rect, m_palette, false, 1);
            return;
        case PE_PanelMenuBar:
            if (m_menuBar.present()) {
                PaintSkinPicture(p, opt->rect, m_menuBar, 0);
                return;
            }
            break;
        case PE_PanelToolBar:
            if (m_toolBars.present()) {
                PaintSkinPicture(p, opt->rect, m_toolBars, 0);
                return;
            }
            break;
        default:
            break;
        }
        QProxyStyle::drawPrimitive(pe, opt, p, w);
    }

    void drawControl(ControlElement ce, const QStyleOption* opt, QPainter* p,
                     const QWidget* w) const override
    {
        switch (ce) {
        case CE_TabBarTabShape:
            if (const auto* tab = qstyleoption_cast<const QStyleOptionTab*>(opt);
                tab && m_tabs.present()) {
                drawTabShape(tab, p);
                return;
            }
            break;
        case CE_ProgressBarGroove:
            if (m_progress.present()) {
                PaintSkinPicture(p, opt->rect, m_progress, 0);
                return;
            }
            break;
        case CE_ProgressBarContents:
            if (const auto* bar = qstyleoption_cast<const QStyleOptionProgressBar*>(opt);
                bar && m_chunk.present() && bar->maximum > bar->minimum) {
                drawProgressChunk(bar, p);
                return;
            }
            break;
        case CE_MenuItem:
            if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(opt)) {
                drawMenuItem(item, p, w);
                return;
            }
            break;
        case CE_MenuEmptyArea:
            return; // the menu's panel is already there
        case CE_MenuBarEmptyArea:
            if (m_menuBar.present()) {
                PaintSkinPicture(p, opt->rect, m_menuBar, 0);
                return;
            }
            break;
        case CE_MenuBarItem:
            if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(opt)) {
                if (m_menuBar.present())
                    PaintSkinPicture(p, opt->rect, m_menuBar, 0);
                const bool active = (item->state & State_Enabled) &&
                                    (item->state & (State_Selected | State_Sunken));
                if (active) {
                    if (m_menuItem.present())
                        PaintSkinPicture(p, item->rect, m_menuItem, 0);
                    else
                        p->fillRect(item->rect, m_palette.highlight());
                }
                p->setPen(active ? m_palette.color(QPalette::HighlightedText) : m_menuBarText);
                p->setFont(item->font);
                p->drawText(item->rect, Qt::AlignCenter | Qt::TextShowMnemonic, item->text);
                return;
            }
            break;
        case CE_HeaderSection:
            if (m_header.present()) {
                PaintSkinPicture(p, opt->rect, m_header, buttonFrame(opt->state) == 1 ? 1 : 0);
                return;
            }
            break;
        default:
            break;
        }
        QProxyStyle::drawControl(ce, opt, p, w);
    }

    void drawComplexControl(ComplexControl cc, const QStyleOptionComplex* opt, QPainter* p,
                            const QWidget* w) const override
    {
        switch (cc) {
        case CC_ScrollBar:
            if (const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(opt)) {
                const bool horizontal = bar->orientation == Qt::Horizontal;
                if ((horizontal ? m_hScroll : m_vScroll).present()) {
                    drawScrollBar(bar, p, w);
                    return;
                }
            }
            break;
        case CC_Slider:
            if (const auto* slider = qstyleoption_cast<const QStyleOptionSlider*>(opt)) {
                const bool horizontal = slider->orientation == Qt::Horizontal;
                if ((horizontal ? m_sliderH : m_sliderV).present()) {
                    drawSlider(slider, p, w);
                    return;
                }
            }
            break;
        case CC_GroupBox:
            if (const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(opt);
                box && m_groupBox.present()) {
                drawGroupBox(box, p, w);
                return;
            }
            break;
        case CC_ComboBox:
            if (const auto* combo = qstyleoption_cast<const QStyleOptionComboBox*>(opt);
                combo && m_buttons.present()) {
                const QRect arrow =
                    proxy()->subControlRect(CC_ComboBox, combo, SC_ComboBoxArrow, w);
                drawComboFace(p, combo->rect, arrow, combo->state, combo->editable, w);
                return;
            }
            break;
        default:
            break;
        }
        QProxyStyle::drawComplexControl(cc, opt, p, w);
    }

    int pixelMetric(PixelMetric pm, const QStyleOption* opt, const QWidget* w) const override
    {
        switch (pm) {
        case PM_IndicatorWidth:
        case PM_IndicatorHeight:
            if (m_check.present()) {
                const QSize size = m_check.frameSize();
                return std::clamp(pm == PM_IndicatorWidth ? size.width() : size.height(), 8, 32);
            }
            break;
        case PM_ExclusiveIndicatorWidth:
        case PM_ExclusiveIndicatorHeight:
            if (m_radio.present()) {
                const QSize size = m_radio.frameSize();
                return std::clamp(pm == PM_ExclusiveIndicatorWidth ? size.width() : size.height(),
                                  8, 32);
            }
            break;
        case PM_ScrollBarExtent:
            if (m_vThumb.present())
                return std::clamp(m_vThumb.frameSize().width(), 10, 24);
            break;
        case PM_TabBarTabShiftHorizontal:
        case PM_TabBarTabShiftVertical:
            if (m_tabs.present())
                return 0;
            break;
        default:
            break;
        }
        return QProxyStyle::pixelMetric(pm, opt, w);
    }

private:
    static constexpr const char* MenuPaletteProperty = "kestrolinSkinMenuPalette";

    void drawTabShape(const QStyleOptionTab* tab, QPainter* p) const
    {
        const int frame = (tab->state & State_Selected)    ? 1
                          : (tab->state & State_MouseOver) ? 2
                                                           : 0;
        const QRect r = tab->rect;
        p->save();
        // The picture is drawn for tabs on top; other sides turn it so its top faces outwards.
        QRect local(0, 0, r.width(), r.height());
        switch (tab->shape) {
        case QTabBar::RoundedEast:
        case QTabBar::TriangularEast:
            p->translate(r.right() + 1, r.top());
            p->rotate(90);
            local = QRect(0, 0, r.height(), r.width());
            break;
        case QTabBar::RoundedWest:
        case QTabBar::TriangularWest:
            p->translate(r.left(), r.bottom() + 1);
            p->rotate(-90);
            local = QRect(0, 0, r.height(), r.width());
            break;
        case QTabBar::RoundedSouth:
        case QTabBar::TriangularSouth:
            p->translate(r.right() + 1, r.bottom() + 1);
            p->rotate(180);
            break;
        default:
            p->translate(r.topLeft());
            break;
        }
        PaintSkinPicture(p, local, m_tabs, frame);
        p->restore();
    }

    void drawProgressChunk(const QStyleOptionProgressBar* bar, QPainter* p) const
    {
        const QRect area = bar->rect.marginsRemoved(QMargins(2, 2, 2, 2));
        const qint64 range = qint64(bar->maximum) - bar->minimum;
        const qint64 done = std::clamp<qint64>(qint64(bar->progress) - bar->minimum, 0, range);
        const bool vertical = !(bar->state & State_Horizontal);
        QRect fill = area;
        if (vertical) {
            const int h = int(area.height() * done / range);
            fill.setTop(area.bottom() + 1 - h);
        } else {
            const int width = int(area.width() * done / range);
            if (bar->invertedAppearance != (bar->direction == Qt::RightToLeft))
                fill.setLeft(area.right() + 1 - width);
            else
                fill.setWidth(width);
        }
        PaintSkinPicture(p, fill, m_chunk, 0);
    }

    void drawMenuItem(const QStyleOptionMenuItem* item, QPainter* p, const QWidget* w) const
    {
        const QRect r = item->rect;
        if (item->menuItemType == QStyleOptionMenuItem::Separator) {
            const int y = r.center().y();
            p->setPen(m_palette.color(QPalette::Dark));
            p->drawLine(r.left() + 4, y, r.right() - 4, y);
            p->setPen(m_palette.color(QPalette::Light));
            p->drawLine(r.left() + 4, y + 1, r.right() - 4, y + 1);
            return;
        }
        if (item->menuItemType == QStyleOptionMenuItem::EmptyArea)
            return;
        const bool enabled = item->state & State_Enabled;
        const bool selected = enabled && (item->state & State_Selected);
        if (selected) {
            if (m_menuItem.present())
                PaintSkinPicture(p, r, m_menuItem, 0);
            else
                p->fillRect(r, m_palette.highlight());
        }
        const QColor text = !enabled   ? mix(m_menuText, m_menuColour, 0.55)
                            : selected ? m_palette.color(QPalette::HighlightedText)
                                       : m_menuText;
        const int checkWidth = std::max(item->maxIconWidth, 20);
        const QRect checkRect(r.left() + 2, r.top(), checkWidth, r.height());
        if (item->checkType != QStyleOptionMenuItem::NotCheckable && item->checked) {
            p->save();
            p->setRenderHint(QPainter::Antialiasing);
            p->setPen(QPen(text, 2));
            const QPointF c = QRectF(checkRect).center();
            if (item->checkType == QStyleOptionMenuItem::Exclusive) {
                p->setBrush(text);
                p->drawEllipse(c, 3, 3);
            } else {
                const QPointF points[] = {c + QPointF(-4, 0), c + QPointF(-1, 3),
                                          c + QPointF(4, -3)};
                p->drawPolyline(points, 3);
            }
            p->restore();
        } else if (!item->icon.isNull()) {
            const int size = proxy()->pixelMetric(PM_SmallIconSize, item, w);
            QRect iconRect(0, 0, size, size);
            iconRect.moveCenter(checkRect.center());
            item->icon.paint(p, iconRect, Qt::AlignCenter,
                             enabled ? QIcon::Normal : QIcon::Disabled);
        }
        QString label = item->text;
        QString shortcut;
        if (const qsizetype tab = label.indexOf(u'\t'); tab >= 0) {
            shortcut = label.mid(tab + 1);
            label.truncate(tab);
        }
        const QRect textRect = r.adjusted(checkRect.right() + 6 - r.left(), 0, -20, 0);
        p->save();
        p->setPen(text);
        p->setFont(item->font);
        p->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, label);
        if (!shortcut.isEmpty())
            p->drawText(textRect, Qt::AlignRight | Qt::AlignVCenter, shortcut);
        p->restore();
        if (item->menuItemType == QStyleOptionMenuItem::SubMenu) {
            QStyleOption arrow;
            arrow.rect = QRect(r.right() - 14, r.center().y() - 4, 8, 8);
            arrow.state = item->state;
            arrow.palette = m_palette;
            arrow.palette.setColor(QPalette::ButtonText, text);
            arrow.palette.setColor(QPalette::WindowText, text);
            baseStyle()->drawPrimitive(PE_IndicatorArrowRight, &arrow, p, w);
        }
    }

    void drawScrollBar(const QStyleOptionSlider* bar, QPainter* p, const QWidget* w) const
    {
        const bool horizontal = bar->orientation == Qt::Horizontal;
        PaintSkinPicture(p, bar->rect, horizontal ? m_hScroll : m_vScroll, 0);
        const struct
        {
            SubControl control;
            PrimitiveElement arrow;
        } buttons[] = {
            {SC_ScrollBarSubLine, horizontal ? PE_IndicatorArrowLeft : PE_IndicatorArrowUp},
            {SC_ScrollBarAddLine, horizontal ? PE_IndicatorArrowRight : PE_IndicatorArrowDown},
        };
        for (const auto& button : buttons) {
            const QRect r = proxy()->subControlRect(CC_ScrollBar, bar, button.control, w);
            if (r.isEmpty())
                continue;
            QStyle::State state = bar->state & ~(State_Sunken | State_MouseOver);
            if (bar->activeSubControls & button.control)
                state |= bar->state & (State_Sunken | State_MouseOver);
            if (m_buttons.present())
                PaintSkinPicture(p, r, m_buttons, buttonFrame(state));
            QStyleOption arrow;
            arrow.rect = QRect(0, 0, 7, 7);
            arrow.rect.moveCenter(r.center());
            arrow.state = state;
            arrow.palette = m_palette;
            baseStyle()->drawPrimitive(button.arrow, &arrow, p, w);
        }
        const QRect thumb = proxy()->subControlRect(CC_ScrollBar, bar, SC_ScrollBarSlider, w);
        const TSkinPicture& picture = horizontal ? m_hThumb : m_vThumb;
        if (!thumb.isEmpty() && bar->maximum > bar->minimum) {
            const int frame = thumbFrame(bar->state, bar->activeSubControls & SC_ScrollBarSlider);
            if (picture.present())
                PaintSkinPicture(p, thumb, picture, frame);
            else if (m_buttons.present())
                PaintSkinPicture(p, thumb, m_buttons, 0);
        }
    }

    void drawSlider(const QStyleOptionSlider* slider, QPainter* p, const QWidget* w) const
    {
        const bool horizontal = slider->orientation == Qt::Horizontal;
        if (slider->subControls & SC_SliderTickmarks) {
            QStyleOptionSlider ticks(*slider);
            ticks.subControls = SC_SliderTickmarks;
            QProxyStyle::drawComplexControl(CC_Slider, &ticks, p, w);
        }
        const QRect groove = proxy()->subControlRect(CC_Slider, slider, SC_SliderGroove, w);
        const TSkinPicture& track = horizontal ? m_track : m_trackVert;
        if (track.present()) {
            QRect band = groove;
            const QSize size = track.frameSize();
            if (horizontal) {
                band.setHeight(std::min(groove.height(), std::max(size.height(), 4)));
                band.moveTop(groove.center().y() - band.height() / 2);
            } else {
                band.setWidth(std::min(groove.width(), std::max(size.width(), 4)));
                band.moveLeft(groove.center().x() - band.width() / 2);
            }
            PaintSkinPicture(p, band, track, 0);
        }
        const QRect handle = proxy()->subControlRect(CC_Slider, slider, SC_SliderHandle, w);
        PaintSkinPicture(p, handle, horizontal ? m_sliderH : m_sliderV,
                         thumbFrame(slider->state, slider->activeSubControls & SC_SliderHandle));
    }

    void drawGroupBox(const QStyleOptionGroupBox* box, QPainter* p, const QWidget* w) const
    {
        if (box->subControls & SC_GroupBoxFrame) {
            const QRect frame = proxy()->subControlRect(CC_GroupBox, box, SC_GroupBoxFrame, w);
            PaintSkinPicture(p, frame, m_groupBox, 0);
        }
        const QRect label = proxy()->subControlRect(CC_GroupBox, box, SC_GroupBoxLabel, w);
        if ((box->subControls & SC_GroupBoxLabel) && !box->text.isEmpty()) {
            QRect back = label.adjusted(-4, 0, 4, 0);
            if (box->subControls & SC_GroupBoxCheckBox)
                back.setLeft(
                    proxy()->subControlRect(CC_GroupBox, box, SC_GroupBoxCheckBox, w).left() - 4);
            if (m_groupTitle.present())
                PaintSkinPicture(p, back, m_groupTitle, 0);
            const QColor colour = box->textColor.isValid() && box->textColor != QColor(Qt::black)
                                      ? box->textColor
                                      : box->palette.color(QPalette::WindowText);
            p->save();
            p->setPen(colour);
            p->drawText(label, Qt::TextShowMnemonic | int(box->textAlignment) | Qt::AlignVCenter,
                        box->text);
            p->restore();
        }
        if (box->subControls & SC_GroupBoxCheckBox) {
            QStyleOptionButton check;
            check.QStyleOption::operator=(*box);
            check.rect = proxy()->subControlRect(CC_GroupBox, box, SC_GroupBoxCheckBox, w);
            proxy()->drawPrimitive(PE_IndicatorCheckBox, &check, p, w);
        }
    }

    std::shared_ptr<const TSkin> m_skin;
    QPalette m_palette;
    TSkinPicture m_buttons, m_check, m_radio, m_tabs, m_pane, m_progress, m_chunk, m_groupBox,
        m_groupTitle, m_sunk, m_menuItem, m_menuBack, m_menuBar, m_hScroll, m_vScroll, m_hThumb,
        m_vThumb, m_track, m_trackVert, m_sliderH, m_sliderV, m_comboButton, m_toolBars, m_header;
    QColor m_menuColour, m_menuText, m_menuBarText;
};

// The skin style drawing the application, null while none is.
TSkinStyle* activeStyle()
{
    if (!TSkinEngine::Current() || !qApp)
        return nullptr;
    return dynamic_cast<TSkinStyle*>(QApplication::style());
}

} // namespace

QStyle* CreateSkinStyle(std::shared_ptr<const TSkin> skin, const QPalette& fallback)
{
    return new TSkinStyle(std::move(skin), fallback);
}

bool IsSkinStyle(const QStyle* style)
{
    return dynamic_cast<const TSkinStyle*>(style) != nullptr;
}

namespace SkinHooks {

bool drawPanel(QPainter* painter, const QWidget*, const QRect& rect, bool sunken, bool hovered)
{
    TSkinStyle* style = activeStyle();
    if (!style)
        return false;
    style->drawPanel(painter, rect, sunken, hovered);
    return true;
}

bool drawComboBox(QPainter* painter, const QWidget* widget, const QRect& rect,
                  const QRect& arrowRect, QStyle::State state)
{
    TSkinStyle* style = activeStyle();
    if (!style)
        return false;
    style->drawComboFace(painter, rect, arrowRect, state, false, widget);
    return true;
}

QColor textColour()
{
    TSkinStyle* style = activeStyle();
    return style ? style->standardPalette().color(QPalette::ButtonText) : QColor();
}

} // namespace SkinHooks
