// Draws the program's own icons and writes them as PNG and ICO files:
//   kestrolin_iconmaker <output folder>
// The results are kept in resources/icons/; run this again after changing a drawing.
//
// Written files:
//   <NAME>_16.png, <NAME>_32.png, <NAME>_48.png for every picture below (MAINICON also _256)
//   kestrolin.ico              the program icon in four sizes (the executable's icon on Windows)
//   MY_WARNING_ICO.ico, MY_ERROR_ICO.ico
//   kestrolin-icons.ico        the icon library: one 32 x 32 image per index, the folder at 3,
//                              the link at 6

#include <QBuffer>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtEndian>

#include <cstdio>
#include <functional>

namespace {

using Drawing = std::function<void(QPainter&)>;

// Every drawing works in a 32 x 32 box; the painter is scaled to the wanted size.
QImage render(const Drawing& draw, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 32.0, size / 32.0);
    draw(painter);
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

void drawProgram(QPainter& p)
{
    // A narrow launcher panel at the right of a rounded blue tile, with a rising bird's wing.
    QLinearGradient sky(0, 0, 0, 32);
    sky.setColorAt(0, QColor(0x3b, 0x8e, 0xde));
    sky.setColorAt(1, QColor(0x1b, 0x4f, 0x9c));
    p.setPen(QPen(QColor(0x12, 0x36, 0x6e), 1));
    p.setBrush(sky);
    p.drawRoundedRect(QRectF(1.5, 1.5, 29, 29), 6, 6);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 230));
    p.drawRoundedRect(QRectF(20, 5, 8, 22), 2, 2);
    const QColor tiles[] = {QColor(0xf2, 0x9d, 0x1f), QColor(0x4c, 0xb0, 0x4f),
                            QColor(0xe0, 0x4f, 0x3c)};
    for (int i = 0; i < 3; ++i) {
        p.setBrush(tiles[i]);
        p.drawRoundedRect(QRectF(21.5, 7 + i * 6.5, 5, 5), 1, 1);
    }

    QPainterPath wing;
    wing.moveTo(4, 21);
    wing.cubicTo(8, 12, 12, 8, 18, 6);
    wing.cubicTo(15, 10, 14, 13, 15, 16);
    wing.cubicTo(12, 16, 8, 18, 4, 21);
    p.setBrush(Qt::white);
    p.drawPath(wing);
    QPainterPath tail;
    tail.moveTo(4, 21);
    tail.cubicTo(9, 20, 13, 21, 17, 24);
    tail.cubicTo(12, 23.5, 8, 23, 4, 21);
    p.setBrush(QColor(255, 255, 255, 190));
    p.drawPath(tail);
}

void drawWarning(QPainter& p)
{
    // Amber triangle with a dark exclamation mark: the icon file is missing.
    QPainterPath triangle;
    triangle.moveTo(16, 2.5);
    triangle.lineTo(30, 28.5);
    triangle.lineTo(2, 28.5);
    triangle.closeSubpath();
    QLinearGradient fill(0, 2, 0, 29);
    fill.setColorAt(0, QColor(0xff, 0xe0, 0x4a));
    fill.setColorAt(1, QColor(0xf5, 0xa6, 0x00));
    p.setPen(QPen(QColor(0x8a, 0x5a, 0x00), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(fill);
    p.drawPath(triangle);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2b, 0x22, 0x10));
    QPainterPath bar;
    bar.moveTo(14.2, 10);
    bar.lineTo(17.8, 10);
    bar.lineTo(17, 21);
    bar.lineTo(15, 21);
    bar.closeSubpath();
    p.drawPath(bar);
    p.drawEllipse(QPointF(16, 24.5), 1.9, 1.9);
}

void drawError(QPainter& p)
{
    // Red disc with a white cross: the command's file is missing.
    QRadialGradient fill(QPointF(12, 10), 20);
    fill.setColorAt(0, QColor(0xff, 0x6b, 0x5a));
    fill.setColorAt(1, QColor(0xc6, 0x1a, 0x12));
    p.setPen(QPen(QColor(0x7a, 0x0c, 0x08), 1.4));
    p.setBrush(fill);
    p.drawEllipse(QPointF(16, 16), 14, 14);
    p.setPen(QPen(Qt::white, 4.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10.5, 10.5), QPointF(21.5, 21.5));
    p.drawLine(QPointF(21.5, 10.5), QPointF(10.5, 21.5));
}

void drawFolder(QPainter& p)
{
    const QColor edge(0x9c, 0x6a, 0x0a);
    p.setPen(QPen(edge, 1));
    p.setBrush(QColor(0xe8, 0xae, 0x2e));
    QPainterPath back;
    back.moveTo(2.5, 7);
    back.lineTo(11, 7);
    back.lineTo(13.5, 9.5);
    back.lineTo(29.5, 9.5);
    back.lineTo(29.5, 26.5);
    back.lineTo(2.5, 26.5);
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(QColor(0xfa, 0xfa, 0xf5));
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(5, 11, 22, 8));
    QLinearGradient front(0, 13, 0, 27);
    front.setColorAt(0, QColor(0xff, 0xd5, 0x5c));
    front.setColorAt(1, QColor(0xf0, 0xb0, 0x2a));
    p.setPen(QPen(edge, 1));
    p.setBrush(front);
    QPainterPath flap;
    flap.moveTo(2.5, 26.5);
    flap.lineTo(4.5, 13.5);
    flap.lineTo(31, 13.5);
    flap.lineTo(29.5, 26.5);
    flap.closeSubpath();
    p.drawPath(flap);
}

void drawFile(QPainter& p)
{
    QPainterPath page;
    page.moveTo(6.5, 2.5);
    page.lineTo(20, 2.5);
    page.lineTo(26.5, 9);
    page.lineTo(26.5, 29.5);
    page.lineTo(6.5, 29.5);
    page.closeSubpath();
    p.setPen(QPen(QColor(0x6b, 0x72, 0x7c), 1));
    p.setBrush(Qt::white);
    p.drawPath(page);
    QPainterPath corner;
    corner.moveTo(20, 2.5);
    corner.lineTo(20, 9);
    corner.lineTo(26.5, 9);
    p.setBrush(QColor(0xdd, 0xe1, 0xe6));
    p.drawPath(corner);
    p.setPen(QPen(QColor(0x9a, 0xa4, 0xb1), 1.4));
    for (int i = 0; i < 5; ++i)
        p.drawLine(QPointF(10, 13 + i * 3.3), QPointF(i == 4 ? 18 : 23, 13 + i * 3.3));
}

void drawLink(QPainter& p)
{
    // A blue globe with its meridians and parallels: a web or mail address.
    QRadialGradient sea(QPointF(12, 11), 17);
    sea.setColorAt(0, QColor(0x8e, 0xc9, 0xf5));
    sea.setColorAt(1, QColor(0x1d, 0x6f, 0xc0));
    const QColor line(0x0f, 0x44, 0x80);
    p.setPen(QPen(line, 1.2));
    p.setBrush(sea);
    const QRectF globe(3, 3, 26, 26);
    p.drawEllipse(globe);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 200), 1.1));
    p.drawEllipse(QRectF(10, 3.5, 12, 25));
    p.drawLine(QPointF(16, 3.5), QPointF(16, 28.5));
    p.drawLine(QPointF(3.5, 16), QPointF(28.5, 16));
    p.drawArc(QRectF(5, 6, 22, 8), 200 * 16, 140 * 16);
    p.drawArc(QRectF(5, 18, 22, 8), 20 * 16, 140 * 16);
    p.setPen(QPen(line, 1.2));
    p.drawEllipse(globe);
}

void drawApplication(QPainter& p)
{
    // A program window: title bar, frame and a gear inside.
    p.setPen(QPen(QColor(0x3a, 0x44, 0x52), 1));
    p.setBrush(QColor(0xf4, 0xf6, 0xf8));
    p.drawRoundedRect(QRectF(2.5, 4.5, 27, 23), 2.5, 2.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x3e, 0x6f, 0xb5));
    p.drawRoundedRect(QRectF(3, 5, 26, 5), 2, 2);
    p.drawRect(QRectF(3, 8, 26, 2));
    p.setBrush(QColor(0x55, 0x5f, 0x6d));
    QPainterPath gear;
    const QPointF c(16, 19);
    for (int i = 0; i < 8; ++i) {
        QTransform t;
        t.translate(c.x(), c.y());
        t.rotate(i * 45);
        gear.addPolygon(t.map(QPolygonF(QRectF(-1.3, -7, 2.6, 3))));
    }
    gear.addEllipse(c, 5, 5);
    gear.setFillRule(Qt::WindingFill);
    p.drawPath(gear.simplified());
    p.setBrush(QColor(0xf4, 0xf6, 0xf8));
    p.drawEllipse(c, 2, 2);
}

// One image as an icon directory entry: 32-bit BGRA rows bottom-up followed by the AND mask,
// or the PNG itself for 256 pixels (as Windows Vista and later store big icons).
QByteArray iconImageData(const QImage& image)
{
    const int w = image.width();
    const int h = image.height();
    if (w >= 256) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return png;
    }
    QByteArray data;
    auto put32 = [&data](quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        data.append(b, 4);
    };
    auto put16 = [&data](quint16 v) {
        char b[2];
        qToLittleEndian(v, b);
        data.append(b, 2);
    };
    const int maskStride = ((w + 31) / 32) * 4;
    put32(40);
    put32(quint32(w));
    put32(quint32(h * 2));
    put16(1);
    put16(32);
    put32(0);
    put32(quint32(w * h * 4 + maskStride * h));
    put32(0);
    put32(0);
    put32(0);
    put32(0);
    for (int y = h - 1; y >= 0; --y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            data.append(char(qBlue(line[x])));
            data.append(char(qGreen(line[x])));
            data.append(char(qRed(line[x])));
            data.append(char(qAlpha(line[x])));
        }
    }
    for (int y = h - 1; y >= 0; --y) {
        QByteArray row(maskStride, '\0');
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            if (qAlpha(line[x]) == 0)
                row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
        }
        data.append(row);
    }
    return data;
}

bool writeIco(const QString& path, const QList<QImage>& images)
{
    QByteArray header;
    auto put16 = [](QByteArray& out, quint16 v) {
        char b[2];
        qToLittleEndian(v, b);
        out.append(b, 2);
    };
    auto put32 = [](QByteArray& out, quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        out.append(b, 4);
    };
    put16(header, 0);
    put16(header, 1);
    put16(header, quint16(images.size()));
    QByteArray body;
    quint32 offset = 6 + 16 * quint32(images.size());
    for (const QImage& image : images) {
        const QByteArray data = iconImageData(image);
        header.append(char(image.width() >= 256 ? 0 : image.width()));
        header.append(char(image.height() >= 256 ? 0 : image.height()));
        header.append(char(0));
        header.append(char(0));
        put16(header, 1);
        put16(header, 32);
        put32(header, quint32(data.size()));
        put32(header, offset);
        offset += quint32(data.size());
        body.append(data);
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(header + body) == header.size() + body.size();
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: kestrolin_iconmaker <output folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);

    struct Picture
    {
        const char* name;
        Drawing draw;
    };
    // The order is the icon library's index order: the folder must stay at index 3, the link
    // at 6 (IShell::LinkIconIndex).
    const QList<Picture> pictures = {{"MAINICON", drawProgram},   {"MY_WARNING_ICO", drawWarning},
                                     {"MY_ERROR_ICO", drawError}, {"FOLDER_ICO", drawFolder},
                                     {"FILE_ICO", drawFile},      {"PROGRAM_ICO", drawApplication},
                                     {"LINK_ICO", drawLink}};
    bool ok = true;
    QList<QImage> library;
    for (const Picture& picture : pictures) {
        for (int size : {16, 32, 48})
            ok &= render(picture.draw, size)
                      .save(folder + QStringLiteral("/%1_%2.png").arg(picture.name).arg(size));
        library.append(render(picture.draw, 32));
    }
    ok &= render(drawProgram, 256).save(folder + QStringLiteral("/MAINICON_256.png"));
    ok &= writeIco(folder + QStringLiteral("/kestrolin.ico"),
                   {render(drawProgram, 16), render(drawProgram, 32), render(drawProgram, 48),
                    render(drawProgram, 256)});
    ok &= writeIco(folder + QStringLiteral("/MY_WARNING_ICO.ico"),
                   {render(drawWarning, 16), render(drawWarning, 32), render(drawWarning, 48)});
    ok &= writeIco(folder + QStringLiteral("/MY_ERROR_ICO.ico"),
                   {render(drawError, 16), render(drawError, 32), render(drawError, 48)});
    ok &= writeIco(folder + QStringLiteral("/kestrolin-icons.ico"), library);
    if (!ok) {
        std::fprintf(stderr, "could not write every file to %s\n", argv[1]);
        return 1;
    }
    return 0;
}
