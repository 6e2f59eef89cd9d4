#include "skin/SkinPicture.h"

#include <QImage>
#include <QPainter>
#include <qdrawutil.h>

#include <algorithm>

namespace {

// Pure magenta is see-through where the skin says so.
QPixmap preparedPixmap(const QImage& source, bool transparent)
{
    if (source.isNull())
        return {};
    if (!transparent)
        return QPixmap::fromImage(source);
    QImage image = source.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] & 0xFFFFFF) == 0xFF00FF)
                line[x] = 0;
        }
    }
    return QPixmap::fromImage(image);
}

} // namespace

TSkinPicture MakeSkinPicture(const QImage& image, int frames, bool transparent,
                             const QMargins& margins, bool tile)
{
    TSkinPicture picture;
    if (image.isNull())
        return picture;
    picture.frames = std::clamp(frames, 1, std::max(1, image.width()));
    picture.pixmap = preparedPixmap(image, transparent);
    picture.tile = tile;
    const QSize size = picture.frameSize();
    // Edges wider than the frame itself would make nonsense of the nine slices.
    const int left = std::clamp(margins.left(), 0, size.width() / 2);
    const int right = std::clamp(margins.right(), 0, size.width() - left - 1);
    const int top = std::clamp(margins.top(), 0, size.height() / 2);
    const int bottom = std::clamp(margins.bottom(), 0, size.height() - top - 1);
    picture.margins =
        QMargins(std::max(left, 0), std::max(top, 0), std::max(right, 0), std::max(bottom, 0));
    return picture;
}

// defaultFrames: the state count of a section that has no "Frame" key.
TSkinPicture MakeSkinPicture(const TSkinImageObject& part, int defaultFrames)
{
    if (!part.Present)
        return {};
    return MakeSkinPicture(
        part.Image, part.Frame > 0 ? part.Frame : defaultFrames, part.Trans != 0,
        QMargins(part.LeftWidth, part.TopHeight, part.RightWidth, part.BottomHeight),
        part.Tile == 1);
}

// Draws one frame of a picture into target: edges kept, the rest stretched or repeated. Edges
// that do not fit a small target shrink with it.
void PaintSkinPicture(QPainter* painter, const QRect& target, const TSkinPicture& picture,
                      int frame)
{
    if (!picture.present() || target.width() <= 0 || target.height() <= 0)
        return;
    const QRect source = picture.frameRect(frame);
    QMargins m = picture.margins;
    QMargins t = m;
    if (m.left() + m.right() > target.width()) {
        const int sum = m.left() + m.right();
        t.setLeft(m.left() * target.width() / sum);
        t.setRight(target.width() - t.left());
    }
    if (m.top() + m.bottom() > target.height()) {
        const int sum = m.top() + m.bottom();
        t.setTop(m.top() * target.height() / sum);
        t.setBottom(target.height() - t.top());
    }
    const Qt::TileRule rule = picture.tile ? Qt::RepeatTile : Qt::StretchTile;
    qDrawBorderPixmap(painter, target, t, picture.pixmap, source, m, QTileRules(rule, rule));
}
