// Encoding a picture as PNG with QImage.
#include "platform/qt/qt_png.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

namespace mirokel {

std::string encodePngWithQt(const std::uint32_t* pixels, std::int32_t width, std::int32_t height)
{
    const QImage image(reinterpret_cast<const uchar*>(pixels), width, height, static_cast<qsizetype>(width) * 4,
                       QImage::Format_RGB32);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) return {};
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace mirokel
