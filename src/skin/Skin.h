#pragma once

#include "skin/SkinReader.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QMap>
#include <QString>

#include <array>

class TQuickIni;

// Colours in skin descriptions are Windows colour values, 0x00BBGGRR (red in the low byte).
// A negative value means "not set" and gives an invalid colour.
QColor windowsColour(int value);
// A colour text: its runs of decimal digits are red, green and blue (missing parts 0, values
// above 255 read as 255). An empty text gives def.
QColor skinColourText(const QString& text, const QColor& def = QColor());
// A value that may be written either way: one integer is a Windows colour value, anything else
// a colour text.
QColor skinColourValue(const QString& text, const QColor& def = QColor());

// One picture of the skin with the keys that say how to draw it. Absent when its section
// names no picture.
struct TSkinImageObject
{
    bool Present = false;
    bool BuiltIn = false; // one of the engine's own pictures, not from the skin file
    QImage Image;
    QImage Image2; // second picture: "Border" of Tabs, "GlyphImage" of UpDown
    int Style = 0;
    int LeftWidth = 0;
    int RightWidth = 0;
    int TopHeight = 0;
    int BottomHeight = 0;
    int Frame = 0;
    int Trans = 0;
    int Tile = 0;
    int NormalColour = -1;
    int MouseOverColour = -1;
    int PressedColour = -1;
    QColor NormalColour2; // invalid: the engine's default colour
    QColor MouseOverColour2;
    QColor PressedColour2;
    // GroupBox only.
    int BackgroundAlignment = 0;
    int BackgroundLeftShift = 0;
    int BackgroundRightShift = 0;
};

// One of the four parts of the window frame.
struct TSkinBorder
{
    QImage Image;
    int LeftWidth = 0;
    int RightWidth = 0;
    int TopHeight = 0;
    int BottomHeight = 0;
    int Frame = 1;
    int Stretch = 1;
    int Trans = 1;
};

struct TSkinTitleText
{
    QString TextBack; // as written; TextBackImage when it names a picture
    QImage TextBackImage;
    int TextShift = 0;
    int TextShiftVert = 0;
    int TextRightClip = 0;
    int TextAlignment = 0;
    int Textbackground = 0;
    int FontHeight = 0;
    QString Fonts;
    int TXTBackleft = 0;
    int TXTBackRight = 0;
    QColor ActiveText;
    QColor InActiveText;
};

struct TSkinMenuBar
{
    QImage menuBar;
    int TileMenu = 0;
    int TileLeftMenu = 0;
    int TileRightMenu = 0;
};

struct TSkinColours
{
    QColor ButtonFace, WindowText, Scrollbar, HilightText, Hilight, Menubar, Menu, MenuText,
        ButtonText, ButtonHilight, Buttonlight, ButtonShadow, ButtonDkShadow, MenuBarText,
        TitleTextActive, TitleTextNoActive;
};

struct TSkinNamedColour
{
    QString Section;
    QColor Colour;
};

struct TSkinTitleButton
{
    QString Section;
    int Action = 0;
    int Align = 0;
    int Xcoord = 0;
    int Ycoord = 0;
    int Visibility = 0;
    int Visibility1 = 0;
    int CombineOp = 0;
    int Frame = 0;
    QImage ButtonImage;
};

// Push, check and radio buttons.
struct TSkinButtons : TSkinImageObject
{
    QImage CheckButton;
    QImage RadioButton;
    int CheckButtonFrame = 0;
    int RadioButtonFrame = 0;
};

// Everything the engine draws with, read from a skin file. Loading a skin makes a new TSkin;
// the one in use is replaced only when the load succeeded.
struct TSkin
{
    QString SkinName;
    TSkinBorder Left, Right, Top, Bottom;
    TSkinTitleText TitleText;
    TSkinMenuBar MenuBar;
    TSkinColours Colours;
    QList<TSkinNamedColour> ColourSections; // sections "COLOUR…", their "color" key
    std::array<QColor, 10> CustomColors;
    QList<TSkinTitleButton> TitleButtons;
    TSkinButtons Buttons;
    // Image objects by the name of their section ("Progress", "Tabs", "Track", …); "Track" and
    // "TRACKVERT" are the built-in pictures when the skin has none.
    QMap<QString, TSkinImageObject> Parts;

    // The part of that section name; an absent one when the skin has none.
    const TSkinImageObject& Part(const QString& section) const;

    // The names of the image-object sections in the order they are read.
    static const QStringList& ImageObjectSections();
    static const QStringList& SecondPictureSections();

    // The engine's own track pictures, used when a skin has none.
    static TSkinImageObject BuiltInTrack(bool vertical);

    // Reads a skin file. On failure *skin is left alone, the status says why and *error holds
    // the text for the user (the older-skin message is an information, the rest errors).
    static TSkinReader::Status Load(const QByteArray& fileBytes, TSkin* skin, QString* error);
    // The same for an archive that is already unpacked.
    static TSkinReader::Status LoadArchive(const QByteArray& archive, TSkin* skin, QString* error);
    static TSkinReader::Status LoadFile(const QString& path, TSkin* skin, QString* error);
};
