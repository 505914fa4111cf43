#include "client/ui/widgets/ColorTools.h"

#include "shared/Exception.h"

#include <vector>

namespace {

constexpr int BytesPerPixel = 3;

} // namespace

void ShrinkBitmap(const QImage &source, QImage &destination, int factorX, int factorY)
{
    const bool mirrored = factorX < 0;
    if (mirrored)
        factorX = -factorX;
    AZ_ASSERT_MSG(factorY >= 0, "Not implemented yet.");
    AZ_ASSERT(factorX != 0 && factorY != 0);

    const QImage rgb = source.format() == QImage::Format_RGB888
                           ? source
                           : source.convertToFormat(QImage::Format_RGB888);
    const int width = rgb.width() / factorX;
    const int height = rgb.height() / factorY;
    // Reuse the destination's pixels when only the content changes, as it does
    // for every pie cell of one column.
    if (destination.width() != width || destination.height() != height
        || destination.format() != QImage::Format_RGB888)
        destination = QImage(width, height, QImage::Format_RGB888);
    if (width == 0 || height == 0)
        return;

    const quint32 blockSize = quint32(factorX) * quint32(factorY);
    // One sum per channel of each destination column, for the block row being read.
    std::vector<quint32> sums(size_t(width) * BytesPerPixel);
    for (int y = 0; y < height; ++y) {
        std::fill(sums.begin(), sums.end(), 0u);
        for (int sourceY = y * factorY; sourceY < (y + 1) * factorY; ++sourceY) {
            const uchar *pixel = rgb.constScanLine(sourceY);
            for (int x = 0; x < width; ++x) {
                quint32 *sum = &sums[size_t(mirrored ? width - 1 - x : x) * BytesPerPixel];
                for (int i = 0; i < factorX; ++i, pixel += BytesPerPixel) {
                    sum[0] += pixel[0];
                    sum[1] += pixel[1];
                    sum[2] += pixel[2];
                }
            }
        }
        uchar *out = destination.scanLine(y);
        for (size_t i = 0; i < sums.size(); ++i)
            out[i] = uchar((sums[i] + blockSize / 2) / blockSize);
    }
}
