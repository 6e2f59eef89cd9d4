// skinmaker: draws the pictures and descriptions of the program's own skins, one folder per
// skin, ready for "skinpack pack". Every picture is drawn here; nothing is taken from elsewhere.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>

namespace {

const QColor Transparent(255, 0, 255); // the skins' transparent colour

struct Theme
{
    QString name;
    QColor face, faceTop, faceBottom, border, text, buttonText;
    QColor accent, accentTop, accentBottom, accentText;
    QColor base, baseText, menu, menuText, light, shadow, darkShadow;
    int radius;
};

int windowsColour(const QColor& c)
{
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

QString colourText(const QColor& c)
{
    return QStringLiteral("%1,%2,%3").arg(c.red()).arg(c.green()).arg(c.blue());
}

QImage canvas(int width, int height, const QColor& fill = Transparent)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

// Magenta must stay exactly magenta where it is transparent: shapes are drawn without
// antialiasing on the transparent background.
void roundRect(QPainter& p, const QRectF& r, int radius, const QBrush& fill, const QColor& pen)
{
    p.setPen(pen.isValid() ? QPen(pen, 1) : Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
}

QLinearGradient vertical(const QRectF& r, const QColor& top, const QColor& bottom)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return g;
}

// Push buttons: normal, pressed, hover, disabled, default.
QImage buttons(const Theme& t)
{
    const int w = 24, h = 22;
    QImage image = canvas(w * 5, h);
    QPainter p(&image);
    for (int i = 0; i < 5; ++i) {
        const QRectF r(i * w, 0, w, h);
        QColor top = t.faceTop, bottom = t.faceBottom, pen = t.border;
        if (i == 1)
            std::swap(top, bottom), top = top.darker(112), bottom = bottom.darker(112);
        if (i == 2)
            top = top.lighter(112), bottom = bottom.lighter(108), pen = t.accent;
        if (i == 3)
            top = bottom = t.face, pen = t.border.lighter(130);
        if (i == 4)
            pen = t.accent;
        roundRect(p, r, t.radius, vertical(r, top, bottom), pen);
        if (i == 4)
            roundRect(p, r.adjusted(1, 1, -1, -1), t.radius - 1, Qt::NoBrush, t.accent);
    }
    return image;
}

// Check boxes and radio buttons: off, on, off hover, on hover, off disabled, on disabled.
QImage indicator(const Theme& t, bool radio)
{
    const int s = 15;
    QImage image = canvas(s * 6, s);
    QPainter p(&image);
    for (int i = 0; i < 6; ++i) {
        const QRectF r(i * s, 0, s, s);
        const bool on = i % 2 == 1;
        const bool hover = i / 2 == 1;
        const bool disabled = i / 2 == 2;
        const QColor pen = disabled ? t.border.lighter(130) : hover ? t.accent : t.border;
        const QColor fill = disabled ? t.face : t.base;
        if (radio) {
            p.setPen(pen);
            p.setBrush(fill);
            p.drawEllipse(r.adjusted(0.5, 0.5, -1.5, -1.5));
            if (on) {
                p.setPen(Qt::NoPen);
                p.setBrush(disabled ? t.border : t.accent);
                p.drawEllipse(r.center() - QPointF(0.5, 0.5), 3.5, 3.5);
            }
        } else {
            roundRect(p, r, 3, fill, pen);
            if (on) {
                p.setPen(QPen(disabled ? t.border : t.accent, 2));
                const QPointF o = r.topLeft();
                const QPointF points[] = {o + QPointF(3.5, 7.5), o + QPointF(6, 10.5),
                                          o + QPointF(11.5, 4)};
                p.drawPolyline(points, 3);
            }
        }
    }
    return image;
}

// Tabs drawn for the top side: normal, selected, hover.
QImage tabs(const Theme& t)
{
    const int w = 30, h = 24;
    QImage image = canvas(w * 3, h);
    QPainter p(&image);
    for (int i = 0; i < 3; ++i) {
        const QRectF r(i * w, 0, w, h + t.radius + 2); // open at the bottom
        p.save();
        p.setClipRect(QRectF(i * w, 0, w, h));
        QColor top = t.faceTop.darker(108), bottom = t.faceBottom.darker(112);
        if (i == 1)
            top = t.faceTop, bottom = t.face;
        if (i == 2)
            top = t.faceTop.lighter(106), bottom = t.faceBottom;
        roundRect(p, r.adjusted(i == 1 ? 0 : 1, i == 1 ? 0 : 2, i == 1 ? 0 : -1, 0), t.radius + 1,
                  vertical(r, top, bottom), t.border);
        if (i == 1) {
            p.fillRect(QRectF(i * w + 3, 1, w - 6, 3), t.accent);
        }
        p.restore();
    }
    return image;
}

// The tab pane: the face with a border.
QImage pane(const Theme& t)
{
    QImage image = canvas(24, 24, t.face);
    QPainter p(&image);
    p.setPen(t.border);
    p.drawRect(0, 0, 23, 23);
    p.setPen(t.light);
    p.drawLine(1, 1, 22, 1);
    return image;
}

QImage sunken(const Theme& t)
{
    QImage image = canvas(16, 16, t.base);
    QPainter p(&image);
    p.setPen(t.shadow);
    p.drawLine(0, 0, 15, 0);
    p.drawLine(0, 0, 0, 15);
    p.setPen(t.border);
    p.drawRect(0, 0, 15, 15);
    p.setPen(t.accent.lighter(110));
    p.drawLine(1, 15, 14, 15);
    return image;
}

QImage progressGroove(const Theme& t)
{
    QImage image = canvas(24, 16);
    QPainter p(&image);
    roundRect(p, QRectF(0, 0, 24, 16), t.radius,
              vertical(QRectF(0, 0, 24, 16), t.base.darker(106), t.base), t.border);
    return image;
}

// The progress chunk: a glossy bar with slanted stripes, repeated along its length.
QImage progressChunk(const Theme& t)
{
    const int w = 24, h = 12;
    QImage image = canvas(w, h);
    QPainter p(&image);
    p.fillRect(0, 0, w, h, vertical(QRectF(0, 0, w, h), t.accentTop, t.accentBottom));
    p.setPen(Qt::NoPen);
    p.setBrush(t.accentTop.lighter(115));
    for (int x = -h; x < w; x += 12) {
        const QPointF band[] = {
            {double(x), double(h)}, {x + 6.0, double(h)}, {x + 6.0 + h, 0}, {double(x + h), 0}};
        p.drawPolygon(band, 4);
    }
    p.fillRect(0, 0, w, 1, t.accentTop.lighter(130));
    return image;
}

QImage groupBox(const Theme& t)
{
    QImage image = canvas(24, 24);
    QPainter p(&image);
    roundRect(p, QRectF(0, 0, 24, 24), t.radius + 1, t.face, t.border);
    roundRect(p, QRectF(1, 1, 22, 22), t.radius, Qt::NoBrush, t.light);
    return image;
}

QImage groupTitle(const Theme& t)
{
    QImage image = canvas(20, 16);
    QPainter p(&image);
    roundRect(p, QRectF(0, 0, 20, 16), 7, vertical(QRectF(0, 0, 20, 16), t.faceTop, t.face),
              t.border);
    return image;
}

QImage menuItem(const Theme& t)
{
    QImage image = canvas(24, 20);
    QPainter p(&image);
    roundRect(p, QRectF(0, 0, 24, 20), t.radius,
              vertical(QRectF(0, 0, 24, 20), t.accentTop, t.accentBottom),
              t.accentBottom.darker(115));
    return image;
}

// The menu background: a gutter for check marks and icons on the left.
QImage menuBackground(const Theme& t)
{
    QImage image = canvas(40, 32, t.menu);
    QPainter p(&image);
    p.fillRect(1, 1, 26, 30,
               vertical(QRectF(0, 0, 26, 32), t.menu.darker(108), t.menu.darker(114)));
    p.setPen(t.menu.darker(125));
    p.drawLine(27, 1, 27, 30);
    p.setPen(t.border);
    p.drawRect(0, 0, 39, 31);
    return image;
}

QImage menuBar(const Theme& t)
{
    QImage image = canvas(16, 22);
    QPainter p(&image);
    p.fillRect(0, 0, 16, 22, vertical(QRectF(0, 0, 16, 22), t.faceTop, t.faceBottom));
    p.setPen(t.border);
    p.drawLine(0, 21, 15, 21);
    return image;
}

QImage scrollTrack(const Theme& t, bool horizontal)
{
    const int w = horizontal ? 24 : 14, h = horizontal ? 14 : 24;
    QImage image = canvas(w, h, t.face.darker(110));
    QPainter p(&image);
    p.setPen(t.face.darker(125));
    if (horizontal)
        p.drawLine(0, 0, w - 1, 0);
    else
        p.drawLine(0, 0, 0, h - 1);
    return image;
}

// Scroll and track bar thumbs: normal, hover, pressed, disabled.
QImage thumb(const Theme& t, int w, int h, bool horizontal)
{
    QImage image = canvas(w * 4, h);
    QPainter p(&image);
    for (int i = 0; i < 4; ++i) {
        const QRectF r = QRectF(i * w, 0, w, h).adjusted(1, 1, -1, -1);
        QColor a = t.accentTop, b = t.accentBottom;
        if (i == 1)
            a = a.lighter(115), b = b.lighter(115);
        if (i == 2)
            a = a.darker(115), b = b.darker(115);
        if (i == 3)
            a = b = t.face.darker(115);
        QLinearGradient g =
            horizontal ? vertical(r, a, b) : QLinearGradient(r.topLeft(), r.topRight());
        if (!horizontal) {
            g.setColorAt(0, a);
            g.setColorAt(1, b);
        }
        roundRect(p, r, std::min(t.radius, 4), g, b.darker(120));
    }
    return image;
}

QImage track(const Theme& t, bool horizontal)
{
    const int w = horizontal ? 24 : 6, h = horizontal ? 6 : 24;
    QImage image = canvas(w, h);
    QPainter p(&image);
    roundRect(p, QRectF(0, 0, w, h), 2, t.base.darker(112), t.border);
    return image;
}

QImage comboButton(const Theme& t)
{
    const int w = 18, h = 20;
    QImage image = canvas(w * 4, h);
    QPainter p(&image);
    for (int i = 0; i < 4; ++i) {
        const QRectF r(i * w, 0, w, h);
        QColor a = t.faceTop.darker(105), b = t.faceBottom.darker(110);
        if (i == 1)
            a = t.accentTop, b = t.accentBottom;
        if (i == 2)
            a = t.accentBottom, b = t.accentTop;
        if (i == 3)
            a = b = t.face;
        roundRect(p, r.adjusted(2, 2, -2, -2), std::max(t.radius - 1, 1), vertical(r, a, b),
                  Qt::transparent);
    }
    return image;
}

// Panels (the command buttons): raised, sunken, hover.
QImage panels(const Theme& t)
{
    const int s = 24;
    QImage image = canvas(s * 3, s);
    QPainter p(&image);
    for (int i = 0; i < 3; ++i) {
        const QRectF r(i * s, 0, s, s);
        QColor a = t.faceTop, b = t.faceBottom, pen = t.border.lighter(110);
        if (i == 1)
            std::swap(a, b), pen = t.accent.darker(110);
        if (i == 2)
            a = t.faceTop.lighter(110), pen = t.accent;
        roundRect(p, r, t.radius, vertical(r, a, b), pen);
    }
    return image;
}

QImage header(const Theme& t)
{
    QImage image = canvas(48, 20);
    QPainter p(&image);
    for (int i = 0; i < 2; ++i) {
        const QRectF r(i * 24, 0, 24, 20);
        p.fillRect(r, vertical(r, i ? t.faceBottom : t.faceTop, i ? t.faceTop : t.faceBottom));
        p.setPen(t.border);
        p.drawLine(r.bottomLeft() + QPointF(0, -1), r.bottomRight() + QPointF(-1, -1));
        p.drawLine(r.topRight() + QPointF(-1, 3), r.bottomRight() + QPointF(-1, -4));
    }
    return image;
}

bool save(const QImage& image, const QString& folder, const QString& name)
{
    // 24-bit BMP: the transparent magenta stays exact.
    return image.convertToFormat(QImage::Format_RGB888).save(folder + u'/' + name, "BMP");
}

QString description(const Theme& t)
{
    QString text;
    QTextStream out(&text);
    const int r = t.radius + 1;
    auto imageSection = [&](const char* section, const char* key, const char* file, int l, int top,
                            int right, int bottom, int frames, bool trans, bool tile) {
        out << "[" << section << "]\n" << key << "=" << file << "\n";
        out << "LeftWidth=" << l << "\nTopHeight=" << top << "\nRightWidth=" << right
            << "\nBottomHeight=" << bottom << "\n";
        if (frames > 0)
            out << "Frame=" << frames << "\n";
        out << "Trans=" << (trans ? 1 : 0) << "\nTile=" << (tile ? 1 : 0) << "\n\n";
    };
    out << "; " << t.name << " - a skin of Kestrolin, drawn by tools/skinmaker.\n\n";
    out << "[TitlebarSkin]\nSkinName=" << t.name << "\n\n";
    out << "[Personality]\nmenuBar=menubar.bmp\nTileMenu=0\n\n";
    out << "[Colours]\n";
    const std::pair<const char*, QColor> colours[] = {{"ButtonFace", t.face},
                                                      {"WindowText", t.text},
                                                      {"Scrollbar", t.face.darker(110)},
                                                      {"HilightText", t.accentText},
                                                      {"Hilight", t.accent},
                                                      {"Menubar", t.face},
                                                      {"Menu", t.menu},
                                                      {"MenuText", t.menuText},
                                                      {"ButtonText", t.buttonText},
                                                      {"ButtonHilight", t.light},
                                                      {"Buttonlight", t.faceTop},
                                                      {"ButtonShadow", t.shadow},
                                                      {"ButtonDkShadow", t.darkShadow},
                                                      {"MenuBarText", t.text},
                                                      {"TitleTextActive", t.text},
                                                      {"TitleTextNoActive", t.shadow}};
    for (const auto& [key, colour] : colours)
        out << key << "=" << windowsColour(colour) << "\n";
    out << "\n[COLOUR.Window]\ncolor=" << colourText(t.base) << "\n\n";
    out << "[COLOUR.WindowText]\ncolor=" << colourText(t.baseText) << "\n\n";
    out << "[Buttons]\nBitmap=buttons.bmp\nLeftWidth=" << r << "\nTopHeight=" << r
        << "\nRightWidth=" << r << "\nBottomHeight=" << r
        << "\nTrans=1\nTile=0\nCheckButton=check.bmp\nCheckButtonFrame=6\n"
           "RadioButton=radio.bmp\nRadioButtonFrame=6\n\n";
    imageSection("Tabs", "Image", "tabs.bmp", r + 1, 5, r + 1, 2, 0, true, false);
    imageSection("Tab.Pane", "Image", "pane.bmp", 2, 2, 2, 2, 1, false, false);
    imageSection("Progress", "Bitmap", "progress.bmp", r, r, r, r, 1, true, false);
    imageSection("Progress.Chunk", "Image", "chunk.bmp", 0, 1, 0, 1, 1, false, true);
    imageSection("GroupBox", "Image", "groupbox.bmp", r + 1, r + 1, r + 1, r + 1, 1, true, false);
    imageSection("GroupBoxEdge", "Image", "grouptitle.bmp", 7, 7, 7, 7, 1, true, false);
    imageSection("SunkEdge", "Image", "sunken.bmp", 3, 3, 3, 3, 1, false, false);
    imageSection("MenuItem", "Image", "menuitem.bmp", r, r, r, r, 1, true, false);
    imageSection("MenuBackground", "Image", "menuback.bmp", 28, 2, 2, 2, 1, false, false);
    imageSection("HorzScroll", "Image", "hscroll.bmp", 1, 1, 1, 1, 1, false, true);
    imageSection("VertScroll", "Image", "vscroll.bmp", 1, 1, 1, 1, 1, false, true);
    imageSection("HorzScrollThumb", "Image", "hthumb.bmp", 5, 4, 5, 4, 4, true, false);
    imageSection("VertScrollThumb", "Image", "vthumb.bmp", 4, 5, 4, 5, 4, true, false);
    imageSection("Track", "Image", "track.bmp", 3, 2, 3, 2, 1, true, false);
    imageSection("TRACKVERT", "Image", "trackvert.bmp", 2, 3, 2, 3, 1, true, false);
    imageSection("Trackbar.ThumbHorz", "Image", "sliderh.bmp", 4, 4, 4, 4, 4, true, false);
    imageSection("Trackbar.ThumbVert", "Image", "sliderv.bmp", 4, 4, 4, 4, 4, true, false);
    imageSection("ComboButton", "Image", "combobutton.bmp", 4, 4, 4, 4, 0, true, false);
    imageSection("ToolBars", "Image", "panels.bmp", r, r, r, r, 3, true, false);
    imageSection("Headerbar", "Image", "header.bmp", 3, 3, 3, 3, 2, false, false);
    return text;
}

bool writeSkin(const Theme& t, const QString& root)
{
    const QString folder = root + u'/' + t.name;
    QDir(folder).removeRecursively();
    if (!QDir().mkpath(folder))
        return false;
    bool ok =
        save(buttons(t), folder, "buttons.bmp") && save(indicator(t, false), folder, "check.bmp") &&
        save(indicator(t, true), folder, "radio.bmp") && save(tabs(t), folder, "tabs.bmp") &&
        save(pane(t), folder, "pane.bmp") && save(progressGroove(t), folder, "progress.bmp") &&
        save(progressChunk(t), folder, "chunk.bmp") && save(groupBox(t), folder, "groupbox.bmp") &&
        save(groupTitle(t), folder, "grouptitle.bmp") && save(sunken(t), folder, "sunken.bmp") &&
        save(menuItem(t), folder, "menuitem.bmp") &&
        save(menuBackground(t), folder, "menuback.bmp") &&
        save(menuBar(t), folder, "menubar.bmp") &&
        save(scrollTrack(t, true), folder, "hscroll.bmp") &&
        save(scrollTrack(t, false), folder, "vscroll.bmp") &&
        save(thumb(t, 24, 14, true), folder, "hthumb.bmp") &&
        save(thumb(t, 14, 24, false), folder, "vthumb.bmp") &&
        save(track(t, true), folder, "track.bmp") &&
        save(track(t, false), folder, "trackvert.bmp") &&
        save(thumb(t, 12, 20, true), folder, "sliderh.bmp") &&
        save(thumb(t, 20, 12, false), folder, "sliderv.bmp") &&
        save(comboButton(t), folder, "combobutton.bmp") && save(panels(t), folder, "panels.bmp") &&
        save(header(t), folder, "header.bmp");
    QFile ini(folder + QStringLiteral("/skin.ini"));
    ok = ok && ini.open(QIODevice::WriteOnly) && ini.write(description(t).toUtf8()) > 0;
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "Usage: skinmaker <folder>\n";
        return 2;
    }
    const Theme themes[] = {
        // The program's own look, worn from the first start (packed as mxskin28.skn): the
        // familiar grey of a desktop dialog with a quiet blue accent.
        {"Kestrolin", QColor(224, 224, 220), QColor(244, 244, 241), QColor(214, 214, 209),
         QColor(128, 128, 124), QColor(20, 20, 20), QColor(20, 20, 20), QColor(38, 96, 170),
         QColor(76, 136, 210), QColor(28, 78, 148), QColor(255, 255, 255), QColor(255, 255, 255),
         QColor(20, 20, 20), QColor(246, 246, 244), QColor(20, 20, 20), QColor(255, 255, 255),
         QColor(160, 160, 156), QColor(64, 64, 64), 2},
        // Dark: graphite with an amber accent.
        {"Graphite", QColor(46, 50, 58), QColor(64, 69, 80), QColor(44, 48, 56), QColor(22, 24, 28),
         QColor(226, 229, 234), QColor(236, 238, 242), QColor(240, 160, 48), QColor(252, 190, 90),
         QColor(214, 126, 22), QColor(24, 20, 14), QColor(32, 35, 41), QColor(226, 229, 234),
         QColor(38, 41, 48), QColor(226, 229, 234), QColor(90, 96, 108), QColor(26, 28, 32),
         QColor(10, 10, 12), 4},
        // Light: porcelain white with a cobalt accent.
        {"Porcelain", QColor(236, 240, 245), QColor(252, 253, 255), QColor(222, 228, 236),
         QColor(150, 162, 180), QColor(30, 37, 48), QColor(30, 37, 48), QColor(46, 110, 210),
         QColor(90, 150, 235), QColor(36, 92, 186), QColor(255, 255, 255), QColor(255, 255, 255),
         QColor(30, 37, 48), QColor(250, 251, 253), QColor(30, 37, 48), QColor(255, 255, 255),
         QColor(160, 170, 186), QColor(90, 100, 116), 3},
        // Colourful: a turquoise lagoon with coral and violet.
        {"Lagoon", QColor(178, 232, 226), QColor(212, 246, 240), QColor(130, 210, 204),
         QColor(36, 120, 128), QColor(16, 56, 66), QColor(16, 56, 66), QColor(236, 84, 120),
         QColor(255, 136, 120), QColor(170, 70, 200), QColor(255, 255, 255), QColor(240, 253, 250),
         QColor(16, 56, 66), QColor(255, 246, 228), QColor(80, 30, 90), QColor(236, 255, 252),
         QColor(60, 150, 150), QColor(20, 80, 90), 7},
    };
    for (const Theme& theme : themes) {
        if (!writeSkin(theme, QString::fromLocal8Bit(argv[1]))) {
            QTextStream(stderr) << "Cannot write the skin " << theme.name << "\n";
            return 1;
        }
    }
    return 0;
}
