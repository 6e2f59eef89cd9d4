#include "TestSupport.h"
#include "pages/CommandsPage.h"
#include "pages/MyPageControl.h"
#include "settings/IniFile.h"
#include "settings/SystemSettings.h"

#include <QGuiApplication>
#include <QPainter>
#include <QProxyStyle>
#include <QScreen>
#include <QStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// Pages whose tabs fill two rows beside a grid of 2 x 3 buttons, the control shown in a window.
struct TTabsProfile
{
    static constexpr int Pages = 14;

    QTemporaryDir dir;
    std::unique_ptr<TSystemSettings> settings;
    std::unique_ptr<IniFile> pages;
    std::unique_ptr<IniFile> commands;
    std::unique_ptr<TMyPageControl> control;
    TSystemSettings* previous = SystemSettings;

    TTabsProfile()
    {
        QByteArray pagesIni;
        for (int i = 0; i < Pages; ++i)
            pagesIni += "[" + QByteArray::number(i) +
                        "]\r\nCaption=" + QByteArray("Page ").append(QByteArray(i % 4 + 1, 'W')) +
                        QByteArray::number(i) + "\r\nImageIndex=" + (i % 3 ? "-1" : "0") +
                        "\r\n\r\n";
        writeAll(dir.filePath("Options.ini"), "[PageControl]\r\nColCount=2\r\nCommandsCount=3\r\n"
                                              "PagesCount=" +
                                                  QByteArray::number(Pages) + "\r\n");
        writeAll(dir.filePath("Pages.ini"), pagesIni);
        settings = std::make_unique<TSystemSettings>(dir.path() + '/');
        SystemSettings = settings.get();
        pages = std::make_unique<IniFile>(dir.filePath("Pages.ini"));
        commands = std::make_unique<IniFile>(dir.filePath("Commands.ini"));
        control =
            std::make_unique<TMyPageControl>(nullptr, settings.get(), pages.get(), commands.get());
        QPixmap picture(16, 16);
        picture.fill(Qt::darkRed);
        control->SetImages({picture});
        control->LoadPages(nullptr, nullptr, nullptr, TEditCallback(), nullptr);
        const int height = 3 * 42 + 8;
        control->resize(2 * 43 + 8 + control->TabRowsFor(height) * TMyPageControl::TabRowWidth,
                        height);
    }
    ~TTabsProfile()
    {
        control.reset();
        SystemSettings = previous;
    }
};

// Fusion with every tab drawn as a plain block of one colour.
class TBlockTabs : public QProxyStyle
{
public:
    explicit TBlockTabs(QColor colour)
        : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))), m_colour(colour)
    {}
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override
    {
        if (element == CE_TabBarTabShape)
            painter->fillRect(option->rect, m_colour);
        else
            QProxyStyle::drawControl(element, option, painter, widget);
    }

private:
    QColor m_colour;
};

class TestPagePaint : public QObject
{
    Q_OBJECT

private:
    // What the control shows drawn in one go, and what it shows after painting only region over
    // something else: inside the region they must be the same.
    static QStringList differencesInside(QWidget* widget, const QRegion& region)
    {
        QImage whole(widget->size(), QImage::Format_ARGB32_Premultiplied);
        whole.fill(Qt::white);
        widget->render(&whole);
        QImage part(widget->size(), QImage::Format_ARGB32_Premultiplied);
        part.fill(Qt::green);
        widget->render(&part, region.boundingRect().topLeft(), region);
        QStringList differences;
        for (const QRect& rect : region)
            for (int y = rect.top(); y <= rect.bottom(); ++y)
                for (int x = rect.left(); x <= rect.right(); ++x)
                    if (whole.pixel(x, y) != part.pixel(x, y) && differences.size() < 5)
                        differences << QStringLiteral("(%1,%2)").arg(x).arg(y);
        return differences;
    }

    // What the window shows now against what a full repaint of it would draw.
    static bool showsAsRepainted(QWidget* window)
    {
        const QImage shown = QGuiApplication::primaryScreen()
                                 ->grabWindow(window->winId())
                                 .toImage()
                                 .convertToFormat(QImage::Format_RGB32);
        const QImage repainted = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
        return shown == repainted;
    }

private slots:
    void partsOfTheTabsAreDrawnAsTheWhole()
    {
        // Only the tabs in the part being painted are drawn: whatever a style draws past a tab's
        // rectangle, every tab reaching into the part must still be drawn there.
        for (const char* name : {"Fusion", "Windows"}) {
            std::unique_ptr<QStyle> style(QStyleFactory::create(QLatin1String(name)));
            QVERIFY(style);
            TTabsProfile p;
            p.control->setStyle(style.get());
            p.control->SetActivePageIndex(5);
            QVERIFY(p.control->TabRowCount() >= 2);
            QList<QRegion> regions;
            for (int i = 0; i < TTabsProfile::Pages; ++i) {
                const QRect tab = p.control->TabRect(i);
                regions << QRegion(tab);
                // Where neighbours meet, and the rows beside, which the selected tab may cover.
                regions << QRegion(tab.adjusted(-4, -4, 4, 4));
                regions << QRegion(tab.adjusted(-TMyPageControl::TabRowWidth, 0, 0, 0));
                regions << QRegion(tab.adjusted(0, 0, TMyPageControl::TabRowWidth, 0));
            }
            regions << QRegion(p.control->PageArea()) << QRegion(p.control->rect());
            for (const QRegion& region : std::as_const(regions)) {
                const QStringList differences = differencesInside(p.control.get(), region);
                QVERIFY2(differences.isEmpty(),
                         qPrintable(QStringLiteral("%1, region %2,%3 %4x%5: %6")
                                        .arg(QLatin1String(name))
                                        .arg(region.boundingRect().x())
                                        .arg(region.boundingRect().y())
                                        .arg(region.boundingRect().width())
                                        .arg(region.boundingRect().height())
                                        .arg(differences.join(u' '))));
            }
            p.control.reset();
        }
    }

    // The selected tab of a row away from the page hides no tab of the row beside it: a tab looks
    // the same whichever tab of the other row is selected.
    void theSelectedTabCoversNoOtherRow()
    {
        for (const char* name : {"Fusion", "Windows"}) {
            std::unique_ptr<QStyle> style(QStyleFactory::create(QLatin1String(name)));
            QVERIFY(style);
            TTabsProfile p;
            p.control->setStyle(style.get());
            // Rows of several tabs each, all in sight.
            p.control->resize(2 * 43 + 8 + p.control->TabRowsFor(400) * TMyPageControl::TabRowWidth,
                              400);
            QVERIFY(p.control->ShownTabRowCount() >= 2);
            // A tab of the row next to the page, and two of the row beyond it: one level with
            // it, one not.
            int nearIndex = -1, level = -1, away = -1;
            for (int c = 0; c < TTabsProfile::Pages && (level < 0 || away < 0); ++c) {
                const QRect candidate = p.control->TabRect(c);
                level = away = -1;
                for (int i = 0; i < TTabsProfile::Pages; ++i) {
                    const QRect tab = p.control->TabRect(i);
                    if (tab.left() <= candidate.left())
                        continue;
                    if (tab.top() < candidate.bottom() && tab.bottom() > candidate.top())
                        level = level < 0 ? i : level;
                    else
                        away = away < 0 ? i : away;
                }
                nearIndex = c;
            }
            const QRect near = p.control->TabRect(nearIndex);
            QVERIFY(level >= 0 && away >= 0);
            auto nearTab = [&](int active) {
                p.control->SetActivePageIndex(active);
                return p.control->grab(near).toImage();
            };
            QCOMPARE(nearTab(level), nearTab(away));
            p.control.reset();
        }
    }

    void aNewActivePageLeavesTheWindowAsARepaintDrawsIt()
    {
        // A page change repaints only the two tabs and the page: nothing else may be left behind
        // as the old active page drew it.
        TTabsProfile p;
        p.control->show();
        QVERIFY(QTest::qWaitForWindowExposed(p.control.get()));
        for (const int page : {0, 7, 8, 13, 1, 12, 0}) {
            p.control->SetActivePageIndex(page);
            QTRY_VERIFY2(showsAsRepainted(p.control.get()), qPrintable(QString::number(page)));
        }
        // Too narrow for every row of tabs: the strip scrolls with the active page.
        p.control->resize(2 * 43 + 8 + TMyPageControl::TabRowWidth, p.control->height());
        QVERIFY(p.control->ShownTabRowCount() < p.control->TabRowCount());
        for (const int page : {13, 0, 9}) {
            p.control->SetActivePageIndex(page);
            QTRY_VERIFY2(showsAsRepainted(p.control.get()), qPrintable(QString::number(page)));
        }
    }

    // Tabs of one shape are drawn once and copied after: a new style or palette draws them
    // anew, so that the control looks as one made with the new look from the start.
    void tabsFollowANewStyleAndPalette()
    {
        std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
        TBlockTabs red(Qt::red), blue(Qt::blue);
        QPalette dark = QGuiApplication::palette();
        dark.setColor(QPalette::Window, Qt::darkCyan);
        dark.setColor(QPalette::Button, Qt::darkMagenta);
        dark.setColor(QPalette::Light, Qt::yellow);
        auto looks = [](TTabsProfile& p, QStyle* style, const QPalette* palette) {
            p.control->setStyle(style);
            if (palette)
                p.control->setPalette(*palette);
            return p.control->grab().toImage();
        };
        TTabsProfile changing;
        changing.control->SetActivePageIndex(3);
        looks(changing, fusion.get(), nullptr);
        const QImage asRed = looks(changing, &red, nullptr);
        const QImage asBlue = looks(changing, &blue, nullptr);
        const QImage darkened = looks(changing, fusion.get(), &dark);
        // The tabs themselves changed, not only what lies round them.
        const QPoint inTab = changing.control->TabRect(0).topLeft() + QPoint(3, 3);
        QCOMPARE(QColor(asRed.pixel(inTab)), QColor(Qt::red));
        QCOMPARE(QColor(asBlue.pixel(inTab)), QColor(Qt::blue));
        for (int look = 0; look < 3; ++look) {
            TTabsProfile fresh;
            fresh.control->SetActivePageIndex(3);
            const QImage expected = look == 0   ? looks(fresh, &red, nullptr)
                                    : look == 1 ? looks(fresh, &blue, nullptr)
                                                : looks(fresh, fusion.get(), &dark);
            QCOMPARE(look == 0 ? asRed : look == 1 ? asBlue : darkened, expected);
            fresh.control.reset();
        }
        changing.control.reset();
    }

    void tabsFollowTheirCaptionsAndTheFont()
    {
        // Caption widths are measured once; a new caption or another font measures anew.
        TTabsProfile p;
        const int before = p.control->TabLength(1);
        p.control->Model()->RenamePage(1, QStringLiteral("A much longer caption than before"));
        const int renamed = p.control->TabLength(1);
        QVERIFY(renamed > before);
        QCOMPARE(renamed, p.control->fontMetrics().horizontalAdvance(
                              QStringLiteral("A much longer caption than before")) +
                              21);
        QFont larger = p.control->font();
        larger.setPointSizeF(larger.pointSizeF() * 2);
        p.control->setFont(larger);
        QVERIFY(p.control->TabLength(1) > renamed);
        QCOMPARE(p.control->TabLength(1), p.control->fontMetrics().horizontalAdvance(
                                              QStringLiteral("A much longer caption than before")) +
                                              21);
        // A page with a picture leaves room for it.
        QCOMPARE(p.control->TabLength(0),
                 p.control->fontMetrics().horizontalAdvance(p.control->Page(0)->Caption()) + 21 +
                     16);
    }
};

QTEST_MAIN(TestPagePaint)
#include "tst_pagepaint.moc"
