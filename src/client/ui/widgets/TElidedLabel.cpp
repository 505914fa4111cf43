#include "client/ui/widgets/TElidedLabel.h"

#include "shared/SafeText.h"

#include <QCursor>
#include <QPainter>
#include <QStyle>
#include <QTextLayout>
#include <QToolTip>

#include <algorithm>

namespace {

QString WithoutTrailingSpaces(QString line)
{
    while (line.endsWith(QLatin1Char(' ')))
        line.chop(1);
    return line;
}

} // namespace

QString PlainTextToolTip(const QString &text)
{
    if (text.isEmpty())
        return QString();
    return QStringLiteral("<p style='white-space:pre-wrap'>") + text.toHtmlEscaped() + QStringLiteral("</p>");
}

TElidedLabel::TElidedLabel(int maxLines, QWidget *parent)
    : QLabel(parent)
    , maxLines_(std::max(1, maxLines))
{
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

void TElidedLabel::SetFullText(const QString &text)
{
    const QString shown = VisibleText(text);
    const QString oldToolTip = toolTip();
    setText(shown);
    setToolTip(PlainTextToolTip(shown));
    // A tooltip on screen shows what it was given when it opened; a reconnect countdown
    // must not stay frozen in it.
    if (QToolTip::isVisible() && !oldToolTip.isEmpty() && QToolTip::text() == oldToolTip)
        QToolTip::showText(QCursor::pos(), toolTip(), this);
}

QStringList TElidedLabel::ShownLines() const
{
    const QString whole = text();
    const int width = contentsRect().width();
    QStringList lines;
    if (whole.isEmpty() || width <= 0)
        return lines;
    QTextLayout layout(whole, font());
    QTextOption option;
    // A long address or word without a space still breaks, at the label's edge.
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (lines.size() == maxLines_ - 1) {
            // The last line takes the rest of the text, cut short when it is too long.
            lines << fontMetrics().elidedText(whole.mid(line.textStart()), Qt::ElideRight, width);
            break;
        }
        lines << WithoutTrailingSpaces(whole.mid(line.textStart(), line.textLength()));
    }
    layout.endLayout();
    return lines;
}

QSize TElidedLabel::sizeHint() const
{
    const QMargins margins = contentsMargins();
    return QSize(0, fontMetrics().lineSpacing() * maxLines_ + margins.top() + margins.bottom() + 2 * margin());
}

QSize TElidedLabel::minimumSizeHint() const
{
    return sizeHint();
}

void TElidedLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QRect line = contentsRect();
    line.setHeight(fontMetrics().lineSpacing());
    for (const QString &text : ShownLines()) {
        style()->drawItemText(&painter, line, int(alignment()), palette(), isEnabled(), text, foregroundRole());
        line.translate(0, line.height());
    }
}
