#pragma once

#include <QVector>
#include <QWidget>

// A small bar chart of a few counts, oldest on the left, scaled to the largest; used
// for the alerts of the last five minutes beside the link readout.
class TSparkline : public QWidget
{
    Q_OBJECT

public:
    explicit TSparkline(QWidget *parent = nullptr);

    void SetValues(const QVector<int> &values);
    const QVector<int> &Values() const { return values_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QVector<int> values_;
};
