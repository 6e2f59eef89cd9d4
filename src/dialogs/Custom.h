#pragma once

#include <QDialog>
#include <QFont>
#include <QRect>
#include <QSize>

// The font every form uses: a sans-serif face of 8 points at 96 dots per inch (11 pixels), so
// that the forms keep their designed pixel sizes whatever the screen's resolution.
QFont CustomFont();
// Gives a window the look of the program's forms (font, button-face background).
void ApplyCustomLook(QWidget* form);

// The base of the program's forms.
class TfmCustom : public QDialog
{
    Q_OBJECT
public:
    explicit TfmCustom(QWidget* parent = nullptr);

protected:
    // Grows the form, once, where the fonts of this machine need more room than designed.
    void showEvent(QShowEvent* event) override;

private:
    bool m_fitted = false;
};

// The designed pixel sizes of a form are minimums: where a caption (a label, a check box, a
// button, the tabs of a page control) needs more room in the fonts at hand, the caption's
// control is widened and the form grows by what its right-hand side then lacks. Returns how
// much wider the form became.
int GrowToFitCaptions(QWidget* form);

// Places the dialog beside the main window before it is shown: level with its top (bottoms
// aligned when the dialog would reach lower), touching its left side, or its right side when there
// is no room on the left.
void PlaceBesideMainWindow(QWidget* mainWindow, QWidget* dialog);

// The average character width (of the 52 Latin letters) and the character height of a font.
QSize AverageCharSize(const QFont& font);

// Multiplies and divides with rounding to the nearest integer, as one operation.
int MulDiv(int number, int numerator, int denominator);

// Keeps a child at its designed distances from the parent's edges it is anchored to, when the
// parent changes size. design: the child's designed bounds; parentDesign: the parent's designed
// size; edges: the anchored sides (left and right both: the child stretches).
void Anchor(QWidget* child, const QRect& design, const QSize& parentDesign, Qt::Edges edges);
