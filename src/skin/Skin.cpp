#include "skin/Skin.h"

#include "skin/QuickIni.h"
#include "skin/SkinBitmap.h"
#include "text/Text.h"

#include <QFile>
#include <QHash>

#include <algorithm>

namespace {

// All pictures of one skin together; a skin is far smaller, but the entries of a 64 MB archive
// could otherwise unpack to gigabytes of pixels.
constexpr qint64 MaxSkinPixels = 48 * 1024 * 1024;

int clampByte(qint64 v)
{
    return int(std::clamp<qint64>(v, 0, 255));
}

// Reads the parts of a skin from its archive and description.
class SkinBuilder
{
public:
    SkinBuilder(const TSkinReader& reader, const TQuickIni& ini) : m_reader(reader), m_ini(ini) {}

    bool build(TSkin* skin, QString* error);

private:
    QString text(const QString& section, const QString& key, const QString& def = QString()) const
    {
        return m_ini.ReadString(section, key, def);
    }
    int integer(const QString& section, const QString& key, int def) const
    {
        return m_ini.ReadInteger(section, key, def);
    }
    QImage bitmap(const QString& section, const QString& key)
    {
        return fetchBitmap(text(section, key));
    }
    QImage fetchBitmap(const QString& value);
    void readColourKeys(const QString& section, TSkinImageObject* part) const;
    TSkinImageObject imageObject(const QString& section, const QString& pictureKey,
                                 bool colours = true, bool frame = true);
    TSkinBorder border(const QString& name);

    const TSkinReader& m_reader;
    const TQuickIni& m_ini;
    QHash<QString, QImage> m_bitmaps; // by entry name: a picture named twice is decoded once
    qint64 m_pixels = 0;
    QString m_error;
};

QImage SkinBuilder::fetchBitmap(const QString& value)
{
    const qsizetype slash = std::max(value.lastIndexOf(u'\\'), value.lastIndexOf(u':'));
    const QString name = value.mid(slash + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (name.isEmpty() || dot < 0 || QStringView(name).mid(dot) != u".bmp")
        return {};
    const QString key = AsciiLowerCase(name);
    if (const auto cached = m_bitmaps.constFind(key); cached != m_bitmaps.cend())
        return cached.value();
    const QByteArray bytes = m_reader.FetchEntry(name);
    QImage image;
    if (!bytes.isEmpty() && m_error.isEmpty()) {
        QSize size;
        QString why;
        if (!SkinBitmap::checkHeader(bytes, &size, &why)) {
            m_error = QStringLiteral("Файл скина повреждён: %1 — %2.").arg(key, why);
        } else if (m_pixels + qint64(size.width()) * size.height() > MaxSkinPixels) {
            m_error = QStringLiteral("Рисунки скина слишком велики: вместе больше %1 "
                                     "миллионов точек.")
                          .arg(MaxSkinPixels / (1024 * 1024));
        } else {
            m_pixels += qint64(size.width()) * size.height();
            image = SkinBitmap::decode(bytes, &why);
            if (image.isNull())
                m_error = QStringLiteral("Файл скина повреждён: %1 — %2.").arg(key, why);
        }
    }
    m_bitmaps.insert(key, image);
    return image;
}

void SkinBuilder::readColourKeys(const QString& section, TSkinImageObject* part) const
{
    part->NormalColour = integer(section, QStringLiteral("NormalColour"), -1);
    part->MouseOverColour = integer(section, QStringLiteral("MouseOverColour"), -1);
    part->PressedColour = integer(section, QStringLiteral("PressedColour"), -1);
    part->NormalColour2 = skinColourText(text(section, QStringLiteral("NormalColour2")));
    part->MouseOverColour2 = skinColourText(text(section, QStringLiteral("MouseOverColour2")));
    part->PressedColour2 = skinColourText(text(section, QStringLiteral("PressedColour2")));
}

TSkinImageObject SkinBuilder::imageObject(const QString& section, const QString& pictureKey,
                                          bool colours, bool frame)
{
    TSkinImageObject part;
    const QString picture = text(section, pictureKey);
    if (picture.isEmpty())
        return part;
    part.Present = true;
    part.Image = fetchBitmap(picture);
    part.Style = integer(section, QStringLiteral("Style"), 0);
    part.LeftWidth = integer(section, QStringLiteral("LeftWidth"), 0);
    part.RightWidth = integer(section, QStringLiteral("RightWidth"), 0);
    part.TopHeight = integer(section, QStringLiteral("TopHeight"), 0);
    part.BottomHeight = integer(section, QStringLiteral("BottomHeight"), 0);
    if (frame)
        part.Frame = integer(section, QStringLiteral("Frame"), 0);
    part.Trans = integer(section, QStringLiteral("Trans"), 0);
    part.Tile = integer(section, QStringLiteral("Tile"), 0);
    if (part.Tile > 1)
        part.Tile = 0;
    if (colours)
        readColourKeys(section, &part);
    return part;
}

TSkinBorder SkinBuilder::border(const QString& name)
{
    const QString section = QStringLiteral("Personality");
    TSkinBorder part;
    part.Image = bitmap(section, name);
    const int first = integer(section, name + QStringLiteral("TopHeight"), 0);
    const int second = integer(section, name + QStringLiteral("BotHeight"), 0);
    if (name == u"Left" || name == u"Right") {
        part.TopHeight = first;
        part.BottomHeight = second;
    } else {
        part.LeftWidth = first;
        part.RightWidth = second;
    }
    part.Frame = integer(section, name + QStringLiteral("Frame"), 1);
    part.Stretch = std::min(integer(section, name + QStringLiteral("Stretch"), 1), 1);
    part.Trans = integer(section, name + QStringLiteral("Trans"), 1);
    return part;
}

bool SkinBuilder::build(TSkin* skin, QString* error)
{
    TSkin s;
    s.SkinName = text(QStringLiteral("TitlebarSkin"), QStringLiteral("SkinName"));

    s.Left = border(QStringLiteral("Left"));
    s.Right = border(QStringLiteral("Right"));
    s.Top = border(QStringLiteral("Top"));
    s.Bottom = border(QStringLiteral("Bottom"));

    const QString personality = QStringLiteral("Personality");
    TSkinTitleText& t = s.TitleText;
    t.TextBack = text(personality, QStringLiteral("TextBack"));
    t.TextBackImage = fetchBitmap(t.TextBack);
    t.TextShift = integer(personality, QStringLiteral("TextShift"), 0);
    t.TextShiftVert = integer(personality, QStringLiteral("TextShiftVert"), 0);
    t.TextRightClip = integer(personality, QStringLiteral("TextRightClip"), 0);
    t.TextAlignment = integer(personality, QStringLiteral("TextAlignment"), 0);
    t.Textbackground = integer(personality, QStringLiteral("Textbackground"), 0);
    t.FontHeight = integer(personality, QStringLiteral("FontHeight"), 0);
    t.Fonts = text(personality, QStringLiteral("Fonts"));
    t.TXTBackleft = integer(personality, QStringLiteral("TXTBackleft"), 0);
    t.TXTBackRight = integer(personality, QStringLiteral("TXTBackRight"), 0);
    t.ActiveText = skinColourValue(text(personality, QStringLiteral("ActiveText")));
    t.InActiveText = skinColourValue(text(personality, QStringLiteral("InActiveText")));
    s.MenuBar.menuBar = bitmap(personality, QStringLiteral("menuBar"));
    s.MenuBar.TileMenu = integer(personality, QStringLiteral("TileMenu"), 0);
    s.MenuBar.TileLeftMenu = integer(personality, QStringLiteral("TileLeftMenu"), 0);
    s.MenuBar.TileRightMenu = integer(personality, QStringLiteral("TileRightMenu"), 0);

    const QString colours = QStringLiteral("Colours");
    auto colour = [&](const char* key) {
        return skinColourValue(text(colours, QString::fromLatin1(key)));
    };
    TSkinColours& c = s.Colours;
    c.ButtonFace = colour("ButtonFace");
    c.WindowText = colour("WindowText");
    c.Scrollbar = colour("Scrollbar");
    c.HilightText = colour("HilightText");
    c.Hilight = colour("Hilight");
    c.Menubar = colour("Menubar");
    c.Menu = colour("Menu");
    c.MenuText = colour("MenuText");
    c.ButtonText = colour("ButtonText");
    c.ButtonHilight = colour("ButtonHilight");
    c.Buttonlight = colour("Buttonlight");
    c.ButtonShadow = colour("ButtonShadow");
    c.ButtonDkShadow = colour("ButtonDkShadow");
    c.MenuBarText = colour("MenuBarText");
    c.TitleTextActive = colour("TitleTextActive");
    c.TitleTextNoActive = colour("TitleTextNoActive");

    const QStringList sections = m_ini.SectionNames();
    for (const QString& name : sections) {
        if (name.startsWith(u"COLOUR") && name != u"COLOURS")
            s.ColourSections.append({name, skinColourValue(text(name, QStringLiteral("color")))});
    }
    for (int i = 0; i < 10; ++i)
        s.CustomColors[size_t(i)] =
            skinColourValue(text(QStringLiteral("Customcolors"), QStringLiteral("Color%1").arg(i)));

    for (const QString& name : sections) {
        if (!name.startsWith(u"BUTTON") || name == u"BUTTONS" || name == u"BUTTON.RADIO" ||
            name == u"BUTTON.CHECKBOX")
            continue;
        TSkinTitleButton b;
        b.Section = name;
        b.Action = integer(name, QStringLiteral("Action"), 0);
        b.Align = integer(name, QStringLiteral("Align"), 0);
        b.Xcoord = integer(name, QStringLiteral("Xcoord"), 0);
        b.Ycoord = integer(name, QStringLiteral("Ycoord"), 0);
        b.Visibility = integer(name, QStringLiteral("Visibility"), 0);
        b.Visibility1 = integer(name, QStringLiteral("Visibility1"), 0);
        b.CombineOp = integer(name, QStringLiteral("CombineOp"), 0);
        b.Frame = integer(name, QStringLiteral("frame"), 0);
        b.ButtonImage = bitmap(name, QStringLiteral("ButtonImage"));
        s.TitleButtons.append(b);
    }

    const QString buttons = QStringLiteral("Buttons");
    TSkinButtons& pb = s.Buttons;
    static_cast<TSkinImageObject&>(pb) =
        imageObject(buttons, QStringLiteral("Bitmap"), true, false);
    pb.CheckButton = bitmap(buttons, QStringLiteral("CheckButton"));
    pb.RadioButton = bitmap(buttons, QStringLiteral("RadioButton"));
    pb.CheckButtonFrame = integer(buttons, QStringLiteral("CheckButtonFrame"), 0);
    pb.RadioButtonFrame = integer(buttons, QStringLiteral("RadioButtonFrame"), 0);

    for (const QString& name : TSkin::ImageObjectSections()) {
        const bool progress = name == u"Progress";
        TSkinImageObject part = imageObject(
            name, progress ? QStringLiteral("Bitmap") : QStringLiteral("Image"), !progress);
        if (name == u"GroupBox" && part.Present) {
            part.BackgroundAlignment = integer(name, QStringLiteral("BackgroundAlignment"), 0);
            part.BackgroundLeftShift = integer(name, QStringLiteral("BackgroundLeftShift"), 0);
            part.BackgroundRightShift = integer(name, QStringLiteral("BackgroundRightShift"), 0);
        }
        if (name == u"Tab.Pane") {
            part.LeftWidth = std::min(part.LeftWidth, 4);
            part.RightWidth = std::min(part.RightWidth, 4);
            part.TopHeight = std::min(part.TopHeight, 4);
            part.BottomHeight = std::min(part.BottomHeight, 4);
        }
        if (part.Present)
            s.Parts.insert(name, part);
    }
    for (const QString& name : TSkin::SecondPictureSections()) {
        TSkinImageObject part = imageObject(name, QStringLiteral("Image"), true, false);
        if (!part.Present)
            continue;
        if (name == u"Tabs")
            part.Image2 = bitmap(name, QStringLiteral("Border"));
        else if (name.startsWith(u"UpDown."))
            part.Image2 = bitmap(name, QStringLiteral("GlyphImage"));
        s.Parts.insert(name, part);
    }
    if (!s.Parts.contains(QStringLiteral("Track")))
        s.Parts.insert(QStringLiteral("Track"), TSkin::BuiltInTrack(false));
    if (!s.Parts.contains(QStringLiteral("TRACKVERT")))
        s.Parts.insert(QStringLiteral("TRACKVERT"), TSkin::BuiltInTrack(true));

    if (!m_error.isEmpty()) {
        if (error)
            *error = m_error;
        return false;
    }
    *skin = std::move(s);
    return true;
}

} // namespace

QColor windowsColour(int value)
{
    if (value < 0)
        return {};
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

QColor skinColourText(const QString& text, const QColor& def)
{
    if (text.isEmpty())
        return def;
    qint64 parts[3] = {0, 0, 0};
    int index = -1;
    bool inDigits = false;
    for (QChar ch : text) {
        const bool digit = ch >= u'0' && ch <= u'9';
        if (digit && !inDigits && ++index >= 3)
            break;
        if (digit)
            parts[index] = std::min<qint64>(parts[index] * 10 + (ch.unicode() - '0'), 1000);
        inDigits = digit;
    }
    return QColor(clampByte(parts[0]), clampByte(parts[1]), clampByte(parts[2]));
}

QColor skinColourValue(const QString& text, const QColor& def)
{
    int value = 0;
    if (TQuickIni::ParseInteger(text, &value))
        return value < 0 ? def : windowsColour(value);
    return skinColourText(text, def);
}

const TSkinImageObject& TSkin::Part(const QString& section) const
{
    static const TSkinImageObject absent;
    const auto found = Parts.constFind(section);
    return found == Parts.cend() ? absent : found.value();
}

const QStringList& TSkin::ImageObjectSections()
{
    static const QStringList names = {
        "Progress",           "Progress.Chunk",     "GroupBoxEdge",
        "GroupBox",           "StatusBarEdges",     "Tab.Pane",
        "ToolBars",           "SunkEdge",           "ExtraImages",
        "Headerbar",          "MenuItem",           "MenuBackground",
        "Scrollbar",          "HorzScroll",         "VertScroll",
        "HorzScrollThumb",    "VertScrollThumb",    "Trackbar.ThumbHorz",
        "Trackbar.ThumbVert", "Trackbar.ThumbLeft", "Trackbar.ThumbRight",
        "Trackbar.ThumbUp",   "Trackbar.ThumbDown", "Track",
        "TRACKVERT"};
    return names;
}

const QStringList& TSkin::SecondPictureSections()
{
    static const QStringList names = {"Tabs", "UpDown.Horz", "UpDown.Vert", "ComboButton"};
    return names;
}

TSkinImageObject TSkin::BuiltInTrack(bool vertical)
{
    // A sunken groove in the standard 3D colours, stretched between two-pixel ends.
    const QSize size = vertical ? QSize(4, 12) : QSize(12, 4);
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(0xD4, 0xD0, 0xC8));
    const int w = size.width();
    const int h = size.height();
    for (int x = 0; x < w; ++x) {
        image.setPixel(x, 0, qRgb(0x80, 0x80, 0x80));
        image.setPixel(x, h - 1, qRgb(0xFF, 0xFF, 0xFF));
        if (x > 0 && x < w - 1)
            image.setPixel(x, 1, qRgb(0x40, 0x40, 0x40));
    }
    for (int y = 0; y < h; ++y) {
        image.setPixel(0, y, qRgb(0x80, 0x80, 0x80));
        image.setPixel(w - 1, y, qRgb(0xFF, 0xFF, 0xFF));
        if (y > 0 && y < h - 1)
            image.setPixel(1, y, qRgb(0x40, 0x40, 0x40));
    }

    TSkinImageObject part;
    part.Present = true;
    part.BuiltIn = true;
    part.Image = image;
    part.LeftWidth = part.RightWidth = part.TopHeight = part.BottomHeight = 2;
    return part;
}

namespace {

TSkinReader::Status readSkin(const TSkinReader& reader, TSkin* skin, QString* error)
{
    TQuickIni ini;
    ini.Load(reader.FetchEntryContaining(QStringLiteral(".ini")));
    SkinBuilder builder(reader, ini);
    return builder.build(skin, error) ? TSkinReader::Status::Loaded : TSkinReader::Status::Damaged;
}

} // namespace

TSkinReader::Status TSkin::Load(const QByteArray& fileBytes, TSkin* skin, QString* error)
{
    TSkinReader reader;
    const TSkinReader::Status status = reader.LoadSkin(fileBytes, error);
    if (status != TSkinReader::Status::Loaded)
        return status;
    return readSkin(reader, skin, error);
}

TSkinReader::Status TSkin::LoadArchive(const QByteArray& archive, TSkin* skin, QString* error)
{
    TSkinReader reader;
    const TSkinReader::Status status = reader.LoadArchive(archive, error);
    if (status != TSkinReader::Status::Loaded)
        return status;
    return readSkin(reader, skin, error);
}

TSkinReader::Status TSkin::LoadFile(const QString& path, TSkin* skin, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Не удалось открыть файл скина %1:\r%2")
                         .arg(path, file.errorString());
        return TSkinReader::Status::Damaged;
    }
    // The compressed file is never much larger than the archive it holds.
    if (file.size() > 2 * TSkinReader::MaxArchiveSize) {
        if (error)
            *error = QStringLiteral("Файл скина %1 слишком велик.").arg(path);
        return TSkinReader::Status::Damaged;
    }
    return Load(file.readAll(), skin, error);
}
