#pragma once

#include <QLabel>

// A one-line label that never asks for more width than its layout gives it: a text too
// long for the label is drawn cut short with "…" and shown whole as the tooltip. A
// server's long reason on the status line must not widen the window.
class TElidedLabel : public QLabel
{
    Q_OBJECT

public:
    explicit TElidedLabel(QWidget *parent = nullptr);

    // text() stays the whole text; only the drawing is shortened.
    void SetFullText(const QString &text);
    // What is drawn at the label's present width.
    QString ShownText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};
