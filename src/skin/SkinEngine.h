#pragma once

#include "skin/Skin.h"

#include <QObject>
#include <QPalette>
#include <QPointer>
#include <QStyle>

#include <memory>

class QPainter;
class QWidget;

// The skin engine of the main window. While it is active the whole application is drawn with the
// loaded skin: a proxy style over Fusion draws buttons, check and radio buttons, tabs and the tab
// pane, progress bars, scroll bars, track bars, group boxes, edits, combo boxes, menus and the
// menu bar from the skin's pictures, and the application palette takes the skin's colours.
// Switching it off puts back the style and palette the application had before.
//
// How the pictures are read:
// - a picture holds its states side by side as equal frames ("Frame" of the section, at least
//   1); a state beyond the last frame falls back to frame 0;
// - the edge widths (LeftWidth, RightWidth, TopHeight, BottomHeight) are kept unscaled, the
//   rest of the picture fills the area: stretched, or repeated when "Tile" is 1 (nine-slice);
// - when "Trans" is not 0, pure magenta (255, 0, 255) is transparent.
// Frames of the states:
// - Buttons (push, tool, combo): normal, pressed, hover, disabled, default;
// - CheckButton / RadioButton: off, on, off hover, on hover, off disabled, on disabled;
// - Tabs: normal, selected, hover;
// - scroll thumbs, track bar thumbs, ComboButton: normal, hover, pressed, disabled;
// - MenuItem, MenuBackground, Progress, Progress.Chunk, Tab.Pane, GroupBox, SunkEdge, Track,
//   ToolBars: one frame.
// Colours come from the "Colours" section; the edit field colours from the sections
// "COLOUR.Window" and "COLOUR.WindowText" when the skin has them, otherwise from the face colour.
class TSkinEngine : public QObject
{
    Q_OBJECT
public:
    explicit TSkinEngine(QObject* parent = nullptr);
    // An engine that is still active gives the application its old drawing back.
    ~TSkinEngine() override;

    // Remembers the skin file (full path). When the engine is active the skin is loaded and
    // drawn at once; a file that cannot be loaded leaves the current drawing and file as they
    // are, and the result says why (*error, *status).
    bool SetSkinFile(const QString& path, QString* error = nullptr,
                     TSkinReader::Status* status = nullptr);
    QString SkinFile() const { return m_skinFile; }
    // The file of the skin in use, empty when none is drawn.
    QString LoadedFile() const { return m_loadedFile; }

    // On: loads the remembered file (when it is not loaded yet) and draws every window with it.
    // A load that fails keeps the engine off and says why. Off: standard drawing at once.
    bool SetActive(bool on, QString* error = nullptr, TSkinReader::Status* status = nullptr);
    bool Active() const { return m_active; }

    const TSkin* Skin() const { return m_skin.get(); }

    // The active engine of the application, null when none is.
    static TSkinEngine* Current();

signals:
    void ActiveChanged(bool active);
    // A new skin is drawn (also when the engine is switched on).
    void SkinChanged();

private:
    bool loadFile(const QString& path, QString* error, TSkinReader::Status* status);
    void install();
    void restore();

    QString m_skinFile;
    QString m_loadedFile;
    bool m_active = false;
    std::shared_ptr<const TSkin> m_skin;
    QPointer<QStyle> m_originalStyle;
    QPalette m_originalPalette;
};

// Drawing of the program's own widgets in skin terms. Each returns false when no skin is
// active, and the widget then draws itself as usual.
namespace SkinHooks {

// The background of a panel (the command button): raised, or sunken when pressed; hover shows
// the hot state. Drawn with the skin's "ToolBars" picture, else its push button.
bool drawPanel(QPainter* painter, const QWidget* widget, const QRect& rect, bool sunken,
               bool hovered);
// The face of a combo box (the quick-launch button): the body in rect, the drop-down part in
// arrowRect with its arrow. state: QStyle::State_Enabled, State_MouseOver, State_Sunken.
bool drawComboBox(QPainter* painter, const QWidget* widget, const QRect& rect,
                  const QRect& arrowRect, QStyle::State state);
// The colour for text on those faces, invalid when no skin is active.
QColor textColour();

} // namespace SkinHooks
