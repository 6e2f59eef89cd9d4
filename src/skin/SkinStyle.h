#pragma once

#include "skin/Skin.h"

#include <QPalette>

#include <memory>

class QStyle;

// The application's style while a skin is on (TSkinEngine): Fusion for the shapes, the skin's
// pictures and colours for the looks. fallback: the palette for colours the skin does not give.
// The caller owns the style.
QStyle* CreateSkinStyle(std::shared_ptr<const TSkin> skin, const QPalette& fallback);
// True for a style that CreateSkinStyle made.
bool IsSkinStyle(const QStyle* style);
