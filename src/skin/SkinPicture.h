#pragma once

#include "skin/Skin.h"

#include <QMargins>
#include <QPixmap>

class QImage;
class QPainter;
class QRect;

// One picture of a skin made ready for drawing: transparency applied, its frames (the states side
// by side) known, drawn as nine slices: the edges kept, the middle stretched or repeated.
struct TSkinPicture
{
    QPixmap pixmap;
    int frames = 1;
    QMargins margins;
    bool tile = false;

    bool present() const { return !pixmap.isNull(); }
    QSize frameSize() const { return {pixmap.width() / frames, pixmap.height()}; }
    QRect frameRect(int frame) const
    {
        const QSize size = frameSize();
        if (frame < 0 || frame >= frames)
            frame = 0;
        return {frame * size.width(), 0, size.width(), size.height()};
    }
};

// frames: how many states stand side by side (at least 1); margins: the edges kept unscaled,
// brought within the frame; tile: the middle repeated instead of stretched.
TSkinPicture MakeSkinPicture(const QImage& image, int frames, bool transparent,
                             const QMargins& margins, bool tile);
// A picture section of a skin; defaultFrames: the state count of a section that has no "Frame"
// key. Empty for a section the skin does not have.
TSkinPicture MakeSkinPicture(const TSkinImageObject& part, int defaultFrames = 1);
// Draws one frame of a picture into target: edges kept, the rest stretched or repeated. Edges
// that do not fit a small target shrink with it.
void PaintSkinPicture(QPainter* painter, const QRect& target, const TSkinPicture& picture,
                      int frame);
