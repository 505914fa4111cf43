// grid-gallery: shows one window of each grid kind, the full top list normal,
// with symbols waiting and frozen, filled with samples that exercise every colour
// rule. With --screenshot DIR it saves each window as DIR/<kind>.png and exits.

#include "GallerySamples.h"

#include "client/ui/grids/TBollingerGrid.h"
#include "client/ui/grids/TJFGrid.h"
#include "client/ui/grids/TPointsTopListGrid.h"
#include "client/ui/grids/TQuickStrikeGrid.h"
#include "client/ui/grids/TSmbTopListFullGrid.h"
#include "client/ui/grids/TSymbolOnlyGrid.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>

namespace {

struct TGalleryWindow
{
    QString kind;
    QWidget *window;
};

// Owns the gallery's windows.
class TGallery
{
public:
    TGallery() = default;
    TGallery(const TGallery &) = delete;
    TGallery &operator=(const TGallery &) = delete;
    ~TGallery()
    {
        for (const TGalleryWindow &entry : qAsConst(windows_))
            delete entry.window;
    }

    // A top-level window that its grid fills, placed left to right in rows.
    template <typename TGrid>
    TGrid *AddWindow(const QString &kind, const QSize &size)
    {
        auto *window = new QWidget;
        window->setWindowTitle(QStringLiteral("grid-gallery: ") + kind);
        auto *layout = new QVBoxLayout(window);
        layout->setContentsMargins(0, 0, 0, 0);
        auto *grid = new TGrid(window);
        layout->addWidget(grid);
        if (nextLeft_ + size.width() > RowWidth) {
            nextLeft_ = 0;
            nextTop_ += rowHeight_ + WindowGap;
            rowHeight_ = 0;
        }
        window->setGeometry(QRect(QPoint(nextLeft_, nextTop_), size));
        nextLeft_ += size.width() + WindowGap;
        rowHeight_ = std::max(rowHeight_, size.height());
        windows_.append({kind, window});
        return grid;
    }

    void ShowAll()
    {
        for (const TGalleryWindow &entry : qAsConst(windows_))
            entry.window->show();
    }

    // Saves every window; false when one could not be written.
    bool SaveScreenshots(const QDir &dir) const
    {
        bool saved = true;
        for (const TGalleryWindow &entry : windows_) {
            const QString file = dir.filePath(entry.kind + QStringLiteral(".png"));
            if (!entry.window->grab().save(file)) {
                std::fprintf(stderr, "grid-gallery: cannot write %s\n", qPrintable(file));
                saved = false;
            }
        }
        return saved;
    }

private:
    static constexpr int RowWidth = 1560;
    static constexpr int WindowGap = 40;

    QVector<TGalleryWindow> windows_;
    int nextLeft_ = 0;
    int nextTop_ = 0;
    int rowHeight_ = 0;
};

void FillGallery(TGallery &gallery)
{
    gallery.AddWindow<TQuickStrikeGrid>(QStringLiteral("quickstrike"), QSize(420, 180))
        ->SetEntries(QuickStrikeSamples());

    auto *bollinger = gallery.AddWindow<TBollingerGrid>(QStringLiteral("bollinger"), QSize(300, 180));
    bollinger->SetExtraCaption(QStringLiteral("Distance from band"));
    bollinger->SetEntries(BollingerSamples());

    auto *symbolOnly = gallery.AddWindow<TSymbolOnlyGrid>(QStringLiteral("symbol-only"), QSize(260, 180));
    for (const TQuickStrikeEntries &step : SymbolOnlySteps())
        symbolOnly->SetEntries(step);

    auto *jf = gallery.AddWindow<TJFGrid>(QStringLiteral("jf"), QSize(440, 180));
    jf->SetTextColor(RGB(64, 160, 255));
    jf->SetEntries(JFSamples());

    auto *points = gallery.AddWindow<TPointsTopListGrid>(QStringLiteral("points"), QSize(260, 180));
    points->SetTextColor(RGB(255, 255, 0));
    points->SetEntries(PointsSamples());

    const QSize topListSize(760, 230);
    auto *topList = gallery.AddWindow<TSmbTopListFullGrid>(QStringLiteral("toplist"), topListSize);
    topList->SetColumns(QStringLiteral("0,1,2,3,4,5,6,7,8,9,10,11,12,13,14"));
    topList->SetEntries(TopListSamples());
    // The frame around the symbol cell marks the selected row.
    topList->SetRow(2);

    auto *waiting = gallery.AddWindow<TSmbTopListFullGrid>(QStringLiteral("toplist-missing"), topListSize);
    waiting->SetColumns(QString());
    waiting->SetEntries(TopListSamples());
    waiting->SetEntries(TopListReordered());

    auto *frozen = gallery.AddWindow<TSmbTopListFullGrid>(QStringLiteral("toplist-frozen"), topListSize);
    frozen->SetColumns(QStringLiteral("0 2 1 8 10 11 12 13 14"));
    frozen->SetEntries(TopListSamples());
    frozen->SetFrozen(true);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("grid-gallery"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Shows one window of each alert grid kind."));
    parser.addHelpOption();
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("Save each window as <dir>/<kind>.png and exit."),
                                        QStringLiteral("dir"));
    parser.addOption(screenshot);
    parser.process(app);

    TGallery gallery;
    FillGallery(gallery);
    gallery.ShowAll();

    if (!parser.isSet(screenshot))
        return app.exec();

    const QDir dir(parser.value(screenshot));
    if (!dir.exists() && !QDir().mkpath(dir.path())) {
        std::fprintf(stderr, "grid-gallery: cannot create %s\n", qPrintable(dir.path()));
        return 1;
    }
    // Grab once the windows have been laid out and painted.
    int result = 0;
    QTimer::singleShot(0, &app, [&] {
        result = gallery.SaveScreenshots(dir) ? 0 : 1;
        app.quit();
    });
    app.exec();
    return result;
}
