#pragma once

#include <QLabel>
#include <QStringList>

// A label for text that comes from afar, such as a server's reason on the status line.
// It wraps the text over at most a few lines within the width its layout gives it,
// never asks for more width, and cuts the last line short with "…" when the text
// needs more. It always keeps the height of all its lines, so the controls below stay
// put while the text changes. The whole text is the tooltip. Nothing in the text is
// read as markup, and controls, bidi overrides and invisible characters are drawn
// visibly, so the text cannot pose as another.
class TElidedLabel : public QLabel
{
    Q_OBJECT

public:
    explicit TElidedLabel(int maxLines, QWidget *parent = nullptr);

    // text() becomes the whole text as it is drawn; only the drawing is shortened.
    void SetFullText(const QString &text);
    // What is drawn at the label's present width, line by line.
    QStringList ShownLines() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int maxLines_;
};

// A tooltip that shows the text exactly as written: Qt guesses whether a tooltip is
// rich text, so the text is escaped and wrapped in a paragraph that keeps its spaces.
// An empty text gives an empty tooltip, which shows none.
QString PlainTextToolTip(const QString &text);
