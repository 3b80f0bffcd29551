#pragma once
#include <QImage>
#include <QString>

namespace zc {

// A skin picture for a screen with `scale` device pixels per pixel of the skin. The skin is
// drawn for one; on a denser screen a sharper variant beside the file serves when there is one:
// "name@2x.png" (twice the size), else "name.svg" drawn at the picture's size times the scale.
// Pictures whose colours must stay exact (a mask colour) take no drawn variant: its smoothed
// edges would not match the mask. The image's device pixel ratio says how many pixels it has
// per pixel of the skin, so it is placed at the size the skin gives it.
QImage LoadSkinImage(const QString& path, qreal scale, bool exactColours);

}  // namespace zc
