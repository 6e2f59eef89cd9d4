// Draws the 22 pictures of the main window's actions (MainImageList) and writes them as PNG:
// <out>/16/NN.png and <out>/32/NN.png. The pictures are drawn in a 16 x 16 grid; outlines sit on
// half-pixel coordinates so that they stay sharp at 16 pixels and at the doubled size.
//
//   actionimages <output folder> [--sheet <file.png>]
//
// --sheet also writes an enlarged overview of all pictures, for looking at them.

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QTextStream>

#include <cmath>
#include <functional>
#include <initializer_list>

namespace {

constexpr int ImageCount = 22;

// Tango-like palette: calm fills, a dark outline for every shape.
const QColor Outline(0x2e, 0x34, 0x36);
const QColor Grey(0x55, 0x57, 0x53);
const QColor Steel(0xba, 0xbd, 0xb6);
const QColor Paper(0xff, 0xff, 0xff);
const QColor PaperShade(0xe4, 0xe6, 0xe1);
const QColor Blue(0x34, 0x65, 0xa4);
const QColor DarkBlue(0x20, 0x4a, 0x87);
const QColor LightBlue(0x72, 0x9f, 0xcf);
const QColor Green(0x4e, 0x9a, 0x06);
const QColor LightGreen(0x8a, 0xe2, 0x34);
const QColor Red(0xcc, 0x00, 0x00);
const QColor LightRed(0xef, 0x29, 0x29);
const QColor Yellow(0xfc, 0xe9, 0x4f);
const QColor DarkYellow(0xc4, 0xa0, 0x00);
const QColor Orange(0xf5, 0x79, 0x00);
const QColor Brown(0x8f, 0x59, 0x02);
const QColor LightBrown(0xe9, 0xb9, 0x6e);
const QColor Purple(0x75, 0x50, 0x7b);

QPen pen(const QColor& color, qreal width = 1.0)
{
    QPen p(color, width);
    p.setJoinStyle(Qt::MiterJoin);
    p.setCapStyle(Qt::FlatCap);
    return p;
}

void fillRect(QPainter& p, qreal x, qreal y, qreal w, qreal h, const QColor& color)
{
    p.fillRect(QRectF(x, y, w, h), color);
}

// A sheet of paper with a folded corner; left, top, right, bottom are pixel edges.
void sheet(QPainter& p, qreal left, qreal top, qreal right, qreal bottom,
           const QColor& fill = Paper)
{
    const qreal fold = 3;
    QPainterPath path;
    path.moveTo(left + 0.5, top + 0.5);
    path.lineTo(right - 0.5 - fold, top + 0.5);
    path.lineTo(right - 0.5, top + 0.5 + fold);
    path.lineTo(right - 0.5, bottom - 0.5);
    path.lineTo(left + 0.5, bottom - 0.5);
    path.closeSubpath();
    p.setPen(pen(Grey));
    p.setBrush(fill);
    p.drawPath(path);
    QPainterPath corner;
    corner.moveTo(right - 0.5 - fold, top + 0.5);
    corner.lineTo(right - 0.5 - fold, top + 0.5 + fold);
    corner.lineTo(right - 0.5, top + 0.5 + fold);
    p.setBrush(PaperShade);
    p.drawPath(corner);
}

void textLines(QPainter& p, qreal left, qreal top, qreal right, int count, const QColor& color)
{
    for (int i = 0; i < count; ++i)
        fillRect(p, left, top + 2 * i, (i % 3 == 2) ? (right - left) * 0.6 : right - left, 1,
                 color);
}

// Round badge in the lower right corner, for "add" and "delete".
void badge(QPainter& p, const QColor& fill, const QColor& border)
{
    p.setPen(pen(border));
    p.setBrush(fill);
    p.drawEllipse(QRectF(8.5, 8.5, 7, 7));
}

void plusBadge(QPainter& p)
{
    badge(p, Green, QColor(0x2f, 0x5f, 0x04));
    fillRect(p, 11, 10, 2, 4, Paper);
    fillRect(p, 10, 11, 4, 2, Paper);
}

void crossBadge(QPainter& p)
{
    badge(p, Red, QColor(0x8a, 0x00, 0x00));
    if (p.transform().m11() > 1.5) {
        p.setPen(pen(Paper, 1.3));
        p.drawLine(QPointF(10.2, 10.2), QPointF(13.8, 13.8));
        p.drawLine(QPointF(13.8, 10.2), QPointF(10.2, 13.8));
        return;
    }
    // Whole pixels at 16: an antialiased diagonal turns into a grey smudge there.
    for (int k = 0; k < 4; ++k) {
        fillRect(p, 10 + k, 10 + k, 1, 1, Paper);
        fillRect(p, 13 - k, 10 + k, 1, 1, Paper);
    }
}

void gear(QPainter& p, QPointF centre, qreal outer, qreal inner, qreal hole, int teeth)
{
    QPainterPath path;
    const int steps = teeth * 4;
    for (int i = 0; i < steps; ++i) {
        const qreal angle = (i + 0.5) * 2 * M_PI / steps;
        const qreal radius = (i % 4 < 2) ? outer : inner;
        const QPointF point(centre.x() + radius * std::cos(angle),
                            centre.y() + radius * std::sin(angle));
        if (i == 0)
            path.moveTo(point);
        else
            path.lineTo(point);
    }
    path.closeSubpath();
    QPainterPath holePath;
    holePath.addEllipse(centre, hole, hole);
    path = path.subtracted(holePath);
    p.setPen(pen(Grey));
    QLinearGradient shade(centre.x() - outer, centre.y() - outer, centre.x() + outer,
                          centre.y() + outer);
    shade.setColorAt(0, QColor(0xee, 0xee, 0xec));
    shade.setColorAt(1, Steel.darker(115));
    p.setBrush(shade);
    p.drawPath(path);
}

void circle(QPainter& p, const QColor& light, const QColor& dark, const QColor& border)
{
    QRadialGradient shade(QPointF(6, 5), 9);
    shade.setColorAt(0, light);
    shade.setColorAt(1, dark);
    p.setPen(pen(border));
    p.setBrush(shade);
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
}

// A framed landscape: sky, sun and a green hill.
void picture(QPainter& p, qreal x, qreal y, qreal w, qreal h)
{
    p.setPen(pen(Grey));
    p.setBrush(Paper);
    p.drawRect(QRectF(x + 0.5, y + 0.5, w - 1, h - 1));
    const QRectF inside(x + 2, y + 2, w - 4, h - 4);
    p.save();
    p.setClipRect(inside);
    fillRect(p, inside.x(), inside.y(), inside.width(), inside.height(), LightBlue);
    p.setPen(Qt::NoPen);
    p.setBrush(Yellow);
    p.drawEllipse(QRectF(inside.right() - 4, inside.y() + 1, 3, 3));
    QPainterPath hill;
    hill.moveTo(inside.left(), inside.bottom());
    hill.lineTo(inside.left(), inside.bottom() - 2);
    hill.lineTo(inside.left() + inside.width() * 0.4, inside.bottom() - inside.height() * 0.7);
    hill.lineTo(inside.left() + inside.width() * 0.75, inside.bottom() - 2);
    hill.lineTo(inside.right(), inside.bottom() - 3);
    hill.lineTo(inside.right(), inside.bottom());
    hill.closeSubpath();
    p.setBrush(Green);
    p.drawPath(hill);
    p.restore();
}

// A pencil lying from the lower left to the upper right, its tip at (x, y).
void pencil(QPainter& p, qreal x, qreal y)
{
    p.save();
    p.translate(x, y);
    p.rotate(-45);
    // Along the x axis: tip at 0, body up to 10.
    QPainterPath tip;
    tip.moveTo(0, 0);
    tip.lineTo(3, -1.6);
    tip.lineTo(3, 1.6);
    tip.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(LightBrown);
    p.drawPath(tip);
    p.setBrush(Outline);
    p.drawPolygon(QPolygonF({QPointF(0, 0), QPointF(1.2, -0.65), QPointF(1.2, 0.65)}));
    p.setPen(pen(QColor(0x9c, 0x6d, 0x00), 0.8));
    p.setBrush(Orange);
    p.drawRect(QRectF(3, -1.6, 6, 3.2));
    p.setBrush(LightRed);
    p.drawRect(QRectF(9, -1.6, 2, 3.2));
    p.restore();
}

void envelope(QPainter& p)
{
    p.setPen(pen(Grey));
    p.setBrush(QColor(0xff, 0xfb, 0xe6));
    p.drawRect(QRectF(0.5, 3.5, 15, 10));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(0.5, 3.5), QPointF(8, 9.5), QPointF(15.5, 3.5)}));
    p.setPen(pen(Steel));
    p.drawLine(QPointF(1.5, 13), QPointF(6, 9));
    p.drawLine(QPointF(14.5, 13), QPointF(10, 9));
}

void star(QPainter& p, QPointF centre, qreal outer, qreal inner)
{
    QPolygonF points;
    for (int i = 0; i < 10; ++i) {
        const qreal angle = -M_PI / 2 + i * M_PI / 5;
        const qreal radius = (i % 2 == 0) ? outer : inner;
        points << QPointF(centre.x() + radius * std::cos(angle),
                          centre.y() + radius * std::sin(angle));
    }
    p.setPen(pen(DarkYellow));
    p.setBrush(Yellow);
    p.drawPolygon(points);
}

void ladybird(QPainter& p)
{
    // Head, body with a parting line and spots, legs.
    p.setPen(pen(Outline, 0.9));
    p.drawLine(QPointF(8.5, 11), QPointF(15.5, 11));
    p.drawLine(QPointF(8.8, 13.5), QPointF(15.2, 13.5));
    p.drawLine(QPointF(9.3, 8.8), QPointF(14.7, 15.2));
    p.setPen(Qt::NoPen);
    p.setBrush(Outline);
    p.drawEllipse(QRectF(10, 6.5, 4, 3));
    p.setPen(pen(QColor(0x8a, 0x00, 0x00)));
    p.setBrush(LightRed);
    p.drawEllipse(QRectF(9.5, 8.5, 5, 7));
    p.setPen(pen(Outline, 0.8));
    p.drawLine(QPointF(12, 8.8), QPointF(12, 15.2));
    p.setPen(Qt::NoPen);
    p.setBrush(Outline);
    p.drawEllipse(QRectF(10.2, 10.6, 1.3, 1.3));
    p.drawEllipse(QRectF(12.6, 12.4, 1.3, 1.3));
}

void drawAddPage(QPainter& p)
{
    sheet(p, 1, 0, 13, 16);
    textLines(p, 3, 6, 10, 3, LightBlue);
    plusBadge(p);
}

void drawGeneralSettings(QPainter& p)
{
    gear(p, QPointF(8, 8), 7.5, 5.0, 2.0, 6);
}

void drawPage(QPainter& p)
{
    sheet(p, 2, 0, 14, 16);
    fillRect(p, 4, 4, 6, 2, Blue);
    textLines(p, 4, 8, 12, 3, Steel.darker(110));
}

void drawAbout(QPainter& p)
{
    circle(p, LightBlue, Blue, DarkBlue);
    fillRect(p, 7, 4, 2, 2, Paper);
    fillRect(p, 7, 7, 2, 5, Paper);
    fillRect(p, 6, 7, 1, 1, Paper);
    fillRect(p, 6, 11, 4, 1, Paper);
}

void drawHelp(QPainter& p)
{
    circle(p, LightGreen, Green, QColor(0x2f, 0x5f, 0x04));
    p.setPen(pen(Paper, 2));
    p.setBrush(Qt::NoBrush);
    QPainterPath question;
    question.moveTo(5.5, 6.5);
    question.arcTo(QRectF(5.5, 3.5, 5, 5), 180, -250);
    question.lineTo(8, 9);
    question.lineTo(8, 10);
    p.drawPath(question);
    fillRect(p, 7, 11, 2, 2, Paper);
}

void drawService(QPainter& p)
{
    // A wrench from the lower left to the upper right.
    p.save();
    p.translate(8, 8);
    p.rotate(-45);
    QPainterPath wrench;
    wrench.addRoundedRect(QRectF(-7.5, -2, 11, 4), 1.5, 1.5);
    wrench.addEllipse(QPointF(4, 0), 3.5, 3.5);
    QPainterPath jaw;
    jaw.addRect(QRectF(4.5, -1.2, 4, 2.4));
    wrench = wrench.simplified().subtracted(jaw);
    p.setPen(pen(Outline));
    p.setBrush(Steel.darker(108));
    p.drawPath(wrench);
    p.restore();
}

void drawSkins(QPainter& p)
{
    // A painter's palette with a thumb hole and four paints.
    QPainterPath palette;
    palette.addEllipse(QRectF(0.5, 2.5, 15, 11));
    QPainterPath notch;
    notch.addEllipse(QRectF(9, 9, 5, 5));
    palette = palette.subtracted(notch);
    p.setPen(pen(Brown));
    p.setBrush(LightBrown);
    p.drawPath(palette);
    p.setPen(Qt::NoPen);
    const QColor paints[] = {Red, Yellow, Blue, Green};
    const QPointF places[] = {{4, 6}, {7.5, 4.5}, {11.5, 5.5}, {4, 10}};
    for (int i = 0; i < 4; ++i) {
        p.setBrush(paints[i]);
        p.drawEllipse(places[i], 1.6, 1.6);
    }
}

void drawExport(QPainter& p)
{
    // An archive box with an arrow leaving it.
    p.setPen(pen(Brown));
    p.setBrush(LightBrown);
    p.drawRect(QRectF(0.5, 7.5, 11, 8));
    p.setBrush(QColor(0xc1, 0x7d, 0x11));
    p.drawRect(QRectF(0.5, 5.5, 11, 2));
    fillRect(p, 5, 8, 2, 7, Brown);
    p.setPen(pen(QColor(0x2f, 0x5f, 0x04)));
    p.setBrush(LightGreen);
    p.drawPolygon(QPolygonF({QPointF(8.5, 6.5), QPointF(12, 3), QPointF(10, 1), QPointF(15.5, 0.5),
                             QPointF(15, 6), QPointF(13, 4), QPointF(9.5, 7.5)}));
}

void drawClear(QPainter& p)
{
    // An eraser leaving a trail.
    fillRect(p, 1, 14, 9, 1, Steel);
    p.save();
    p.translate(8, 8);
    p.rotate(-40);
    p.setPen(pen(QColor(0x8a, 0x00, 0x00)));
    p.setBrush(QColor(0xf0, 0x9a, 0xa8));
    p.drawRect(QRectF(-6.5, -3, 13, 6));
    p.setBrush(LightBlue);
    p.drawRect(QRectF(-1.5, -3, 3, 6));
    p.restore();
}

void drawCommandParameters(QPainter& p)
{
    // A small form with two sliders.
    p.setPen(pen(Grey));
    p.setBrush(Paper);
    p.drawRect(QRectF(0.5, 1.5, 15, 13));
    fillRect(p, 1, 2, 14, 2, Blue);
    fillRect(p, 3, 7, 10, 1, Grey);
    fillRect(p, 3, 11, 10, 1, Grey);
    p.setPen(pen(DarkBlue));
    p.setBrush(LightBlue);
    p.drawRect(QRectF(8.5, 5.5, 3, 4));
    p.drawRect(QRectF(4.5, 9.5, 3, 4));
}

void drawNews(QPainter& p)
{
    // A folded newspaper: headline, a picture and columns.
    p.setPen(pen(Grey));
    p.setBrush(Paper);
    p.drawRect(QRectF(0.5, 1.5, 15, 13));
    fillRect(p, 2, 3, 12, 2, Outline);
    fillRect(p, 2, 7, 5, 5, LightBlue);
    textLines(p, 8, 7, 14, 3, Grey);
    fillRect(p, 2, 13, 12, 1, Steel);
}

void drawCreateShortcut(QPainter& p)
{
    // A monitor (the desktop) with the shortcut arrow on it.
    p.setPen(pen(Outline));
    p.setBrush(Grey);
    p.drawRect(QRectF(0.5, 1.5, 15, 10));
    fillRect(p, 2, 3, 12, 7, LightBlue);
    fillRect(p, 6, 12, 4, 1, Grey);
    fillRect(p, 4, 13, 8, 2, Outline);
    p.setPen(pen(Outline));
    p.setBrush(Paper);
    p.drawRect(QRectF(2.5, 4.5, 6, 6));
    p.setPen(pen(Blue, 1.3));
    p.setBrush(Qt::NoBrush);
    QPainterPath arrow;
    arrow.moveTo(4.5, 9.5);
    arrow.quadTo(4.5, 6.5, 7, 6.5);
    p.drawPath(arrow);
    p.setPen(Qt::NoPen);
    p.setBrush(Blue);
    p.drawPolygon(QPolygonF({QPointF(6, 5), QPointF(8, 6.5), QPointF(6, 8)}));
}

void drawExit(QPainter& p)
{
    // An open door with an arrow going out.
    p.setPen(pen(Grey));
    p.setBrush(PaperShade);
    p.drawRect(QRectF(1.5, 0.5, 9, 15));
    p.setPen(pen(Brown));
    p.setBrush(QColor(0xc1, 0x7d, 0x11));
    p.drawPolygon(
        QPolygonF({QPointF(1.5, 0.5), QPointF(6.5, 2.5), QPointF(6.5, 15.5), QPointF(1.5, 15.5)}));
    fillRect(p, 5, 8, 1, 2, Outline);
    p.setPen(pen(Red.darker(130)));
    p.setBrush(LightRed);
    p.drawPolygon(
        QPolygonF({QPointF(8.5, 6.5), QPointF(12.5, 6.5), QPointF(12.5, 4), QPointF(15.5, 8),
                   QPointF(12.5, 12), QPointF(12.5, 9.5), QPointF(8.5, 9.5)}));
}

void drawLaunch(QPainter& p)
{
    circle(p, LightGreen, Green, QColor(0x2f, 0x5f, 0x04));
    p.setPen(Qt::NoPen);
    p.setBrush(Paper);
    p.drawPolygon(QPolygonF({QPointF(6, 4.5), QPointF(11.5, 8), QPointF(6, 11.5)}));
}

void drawChangeImage(QPainter& p)
{
    picture(p, 0, 1, 14, 12);
    pencil(p, 7.5, 15);
}

// Draws a small bitmap glyph, one string per row, "X" for a set pixel.
void glyph(QPainter& p, int x, int y, std::initializer_list<const char*> rows, const QColor& color)
{
    int row = 0;
    for (const char* line : rows) {
        for (int column = 0; line[column]; ++column)
            if (line[column] == 'X')
                fillRect(p, x + column, y + row, 1, 1, color);
        ++row;
    }
}

void drawRename(QPainter& p)
{
    // An edit field with the letters "Ab" and the text cursor; the letters are pixel glyphs,
    // which stay legible at 16 pixels where a font would blur.
    p.setPen(pen(Grey));
    p.setBrush(Paper);
    p.drawRect(QRectF(0.5, 2.5, 15, 11));
    glyph(p, 2, 5, {"..X..", ".X.X.", ".X.X.", "X...X", "XXXXX", "X...X", "X...X"}, Outline);
    glyph(p, 8, 5, {"X...", "X...", "XXX.", "X..X", "X..X", "X..X", "XXX."}, Outline);
    fillRect(p, 13, 4, 1, 8, Blue);
    fillRect(p, 12, 4, 3, 1, Blue);
    fillRect(p, 12, 11, 3, 1, Blue);
}

void drawHistory(QPainter& p)
{
    p.setPen(pen(Grey));
    p.setBrush(Paper);
    p.drawEllipse(QRectF(0.5, 0.5, 15, 15));
    p.setPen(pen(Steel));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    for (int i = 0; i < 12; i += 3) {
        const qreal angle = i * M_PI / 6;
        fillRect(p, 7.5 + 5.5 * std::cos(angle), 7.5 + 5.5 * std::sin(angle), 1, 1, Grey);
    }
    fillRect(p, 7, 3, 2, 6, Outline);
    fillRect(p, 8, 7, 4, 2, Outline);
    fillRect(p, 7, 7, 1, 1, Red);
}

void drawDeletePage(QPainter& p)
{
    sheet(p, 1, 0, 13, 16);
    textLines(p, 3, 6, 10, 3, LightBlue);
    crossBadge(p);
}

void drawPictures(QPainter& p)
{
    p.setPen(pen(Grey));
    p.setBrush(PaperShade);
    p.drawRect(QRectF(4.5, 0.5, 11, 10));
    picture(p, 0, 4, 12, 11);
}

void drawWishMail(QPainter& p)
{
    envelope(p);
    star(p, QPointF(12, 11.2), 4.3, 1.9);
}

void drawWebSite(QPainter& p)
{
    circle(p, LightBlue, Blue, DarkBlue);
    p.save();
    p.setClipRegion(QRegion(2, 2, 12, 12, QRegion::Ellipse));
    p.setPen(pen(Paper));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(4.5, 1.5, 6, 13));
    fillRect(p, 7, 2, 1, 12, Paper);
    fillRect(p, 2, 7, 12, 1, Paper);
    fillRect(p, 2, 4, 12, 1, Paper);
    fillRect(p, 2, 10, 12, 1, Paper);
    p.restore();
}

void drawBugMail(QPainter& p)
{
    envelope(p);
    ladybird(p);
}

const std::function<void(QPainter&)> Drawings[ImageCount] = {
    drawAddPage,           // 0  Pages_AddAction
    drawGeneralSettings,   // 1  Options_MainOptionsAction
    drawPage,              // 2  the "Страница" submenu
    drawAbout,             // 3  AboutProgAction
    drawHelp,              // 4  WorkingWithProgAction
    drawService,           // 5  the "Сервис" submenu
    drawSkins,             // 6  the "Скины" submenu
    drawExport,            // 7  ExportParamsAction
    drawClear,             // 8  Buttons_ClearAction
    drawCommandParameters, // 9  Buttons_ParametersAction
    drawNews,              // 10 NewsAction
    drawCreateShortcut,    // 11 Buttons_CreateShortCutAction
    drawExit,              // 12 ExitAction
    drawLaunch,            // 13 running a command
    drawChangeImage,       // 14 Pages_ChangeImageAction
    drawRename,            // 15 Pages_RenameAction
    drawHistory,           // 16 run history
    drawDeletePage,        // 17 Pages_DelAction
    drawPictures,          // 18 Options_PagesImagesRepositoryAction
    drawWishMail,          // 19 SendMail_WishAction
    drawWebSite,           // 20 GotoWWWAction
    drawBugMail,           // 21 SendMaul_BugAction
};

QImage render(int index, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 16.0, size / 16.0);
    Drawings[index](painter);
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

QImage sheetOf(const QList<QImage>& small, const QList<QImage>& large)
{
    // Per picture: the 16 px picture enlarged 6 times, the 32 px one enlarged 3 times, both
    // on a light and a dark strip, with the number above.
    const int cell = 16 * 6 + 8, columns = 6;
    const int rows = (ImageCount + columns - 1) / columns;
    const int cellHeight = 16 + 2 * (cell + 4) + 40;
    QImage out(columns * (2 * cell + 8) + 8, rows * cellHeight + 8, QImage::Format_ARGB32);
    out.fill(QColor(0xd0, 0xd0, 0xd0));
    QPainter p(&out);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    p.setFont(font);
    for (int i = 0; i < ImageCount; ++i) {
        const int x = 8 + (i % columns) * (2 * cell + 8), y = 8 + (i / columns) * cellHeight;
        p.setPen(Qt::black);
        p.drawText(QRect(x, y, 2 * cell, 14), Qt::AlignLeft, QString::number(i));
        for (int shade = 0; shade < 2; ++shade) {
            const int top = y + 16 + shade * (cell + 4);
            p.fillRect(QRect(x, top, 2 * cell, cell), shade ? QColor(0x40, 0x40, 0x40) : Qt::white);
            p.drawImage(QRect(x + 4, top + 4, 96, 96), small[i].scaled(96, 96));
            p.drawImage(QRect(x + cell + 4, top + 4, 96, 96), large[i].scaled(96, 96));
            // Actual size too, as the menus show them.
            p.drawImage(QPoint(x + cell - 20, top + cell - 20), small[i]);
        }
        Q_UNUSED(large);
    }
    p.end();
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTextStream err(stderr);
    if (args.size() < 2) {
        err << "usage: actionimages <output folder> [--sheet <file.png>]\n";
        return 2;
    }
    const QDir out(args.at(1));
    QList<QImage> small, large;
    for (int size : {16, 32}) {
        if (!out.mkpath(QString::number(size))) {
            err << "cannot create " << out.filePath(QString::number(size)) << "\n";
            return 1;
        }
        for (int i = 0; i < ImageCount; ++i) {
            const QImage image = render(i, size);
            (size == 16 ? small : large).append(image);
            const QString path =
                out.filePath(QStringLiteral("%1/%2.png").arg(size).arg(i, 2, 10, QLatin1Char('0')));
            if (!image.save(path)) {
                err << "cannot write " << path << "\n";
                return 1;
            }
        }
    }
    const int sheetArg = args.indexOf(QStringLiteral("--sheet"));
    if (sheetArg > 0 && sheetArg + 1 < args.size()) {
        if (!sheetOf(small, large).save(args.at(sheetArg + 1))) {
            err << "cannot write " << args.at(sheetArg + 1) << "\n";
            return 1;
        }
    }
    return 0;
}
