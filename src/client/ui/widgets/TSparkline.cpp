#include "client/ui/widgets/TSparkline.h"

#include <QPainter>

#include <algorithm>

namespace {

// Each value is a bar this wide with a pixel of air after it.
constexpr int BarWidth = 2;
constexpr int BarPitch = BarWidth + 1;

} // namespace

TSparkline::TSparkline(QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void TSparkline::SetValues(const QVector<int> &values)
{
    if (values == values_)
        return;
    values_ = values;
    updateGeometry();
    update();
}

QSize TSparkline::sizeHint() const
{
    return QSize(std::max<int>(1, values_.size()) * BarPitch, fontMetrics().height());
}

void TSparkline::paintEvent(QPaintEvent *)
{
    const int largest = values_.isEmpty() ? 0 : *std::max_element(values_.begin(), values_.end());
    QPainter painter(this);
    const QColor ink = palette().color(foregroundRole());
    // A baseline, so that a quiet five minutes still shows as a chart.
    painter.fillRect(0, height() - 1, width(), 1, ink);
    if (largest <= 0)
        return;
    for (int i = 0; i < values_.size(); ++i) {
        // Any alert at all shows at least a pixel above the baseline.
        const int bar = values_[i] > 0 ? std::max(1, values_[i] * (height() - 1) / largest) : 0;
        painter.fillRect(i * BarPitch, height() - 1 - bar, BarWidth, bar, ink);
    }
}
