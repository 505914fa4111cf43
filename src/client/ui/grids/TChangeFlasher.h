#pragma once

#include "client/core/TCellFlashes.h"
#include "client/ui/grid/TColor.h"

#include <QObject>
#include <QTimer>

class TDrawGrid;

// Lights up the cells of a grid whose number changed: green when it went up, red when
// it went down, fading back to the cell's own colour over TCellFlashes::DurationMs
// in a few paced repaints. Off until the grid's window turns it on.
class TChangeFlasher : public QObject
{
    Q_OBJECT

public:
    // One repaint of a fade; a flash fades in about six.
    static constexpr int FadeStepMs = 100;

    explicit TChangeFlasher(TDrawGrid &grid);

    bool Enabled() const { return enabled_; }
    // Turned off, every flash ends at once and the numbers shown are forgotten.
    void SetEnabled(bool enabled);

    // The numbers the grid shows now; see TCellFlashes::Take. Nothing while off.
    void Take(const QVector<TCellValue> &shown, bool quiet);
    // The same for a list that never freezes: noteNumbers(shown, entry) appends the
    // numbers of one entry.
    template <typename TEntries, typename TNoteNumbers>
    void TakeFrom(const TEntries &entries, TNoteNumbers noteNumbers)
    {
        if (!enabled_)
            return;
        QVector<TCellValue> shown;
        for (const auto &entry : entries)
            noteNumbers(shown, entry);
        Take(shown, false);
    }
    // The background of a cell, lit by its flash if it has one.
    TColor Background(TColor background, const QByteArray &symbol, int column) const;

private:
    // One step of the fade: repaints, and stops once every flash is over.
    void Fade();

    TDrawGrid &grid_;
    bool enabled_ = false;
    TCellFlashes flashes_;
    QTimer fadeTimer_;
};
