#include "gui/skin_image.h"

#include <QFileInfo>
#include <QImageReader>

namespace zc {

QImage LoadSkinImage(const QString& path, qreal scale, bool exactColours) {
    QImage plain(path);
    if (plain.isNull() || scale <= 1.0) return plain;
    const QFileInfo file(path);
    const QString base = file.path() + "/" + file.completeBaseName();
    QImage sharp(base + "@2x." + file.suffix());
    // Of another size it was not drawn for this picture's place.
    if (!sharp.isNull() && sharp.size() == plain.size() * 2) {
        sharp.setDevicePixelRatio(2);
        return sharp;
    }
    if (exactColours || !QFileInfo::exists(base + ".svg")) return plain;
    QImageReader reader(base + ".svg");
    reader.setScaledSize((QSizeF(plain.size()) * scale).toSize());
    QImage drawn = reader.read();
    if (drawn.isNull()) return plain;
    drawn.setDevicePixelRatio(scale);
    return drawn;
}

}  // namespace zc
