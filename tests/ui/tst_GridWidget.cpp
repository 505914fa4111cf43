#include "client/ui/grids/TQuickStrikeGrid.h"
#include "support/GridEntries.h"
#include "support/TGridOnScreen.h"
#include "support/TPaintCounter.h"
#include "support/TRecordingCanvas.h"

#include <QScrollBar>
#include <QToolButton>
#include <QtTest>

#include <optional>

namespace {

TQuickStrikeEntry Entry(const QString &symbol)
{
    return QuickStrikeEntry(symbol, 10, 9, MissingReal(), QStringLiteral("10:00:00"));
}

TQuickStrikeEntries Entries(int count)
{
    TQuickStrikeEntries entries;
    for (int n = 0; n < count; ++n)
        entries << Entry(QStringLiteral("SYM%1").arg(n));
    return entries;
}

// Pixels of a rectangle of the image that have the colour.
int CountPixels(const QImage &image, const QRect &rect, const QColor &color)
{
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            count += image.pixelColor(x, y) == color;
    return count;
}

} // namespace

// The grid as a widget on the offscreen platform: painted pixels, scroll bars
// and the mouse.
class TestGridWidget : public QObject
{
    Q_OBJECT

    std::optional<TGridOnScreen<TQuickStrikeGrid>> screen_;
    TQuickStrikeGrid *grid_ = nullptr;
    QStringList sent_;

    QImage Grab() const { return grid_->viewport()->grab().toImage(); }
    // A pixel of the cell that neither text nor bevel ever covers.
    QColor BackgroundOf(const QImage &image, int col, int row) const
    {
        const QRect cell = grid_->CellRect(col, row);
        return image.pixelColor(cell.left() + 1, cell.top() + 1);
    }

private Q_SLOTS:
    void init()
    {
        grid_ = screen_.emplace().grid;
        QVERIFY(screen_->Show(QSize(500, 300), QRect(0, 0, 500, 300)));
        sent_.clear();
        grid_->SetSymbolSender([this](const QString &symbol) { sent_ << symbol; });
    }

    void cleanup()
    {
        screen_.reset();
    }

    void newestRowIsPaintedInverted()
    {
        grid_->SetEntries(Entries(2));
        QImage image = Grab();
        QCOMPARE(BackgroundOf(image, 0, 1), QColor(Qt::white));
        QCOMPARE(BackgroundOf(image, 5, 1), QColor(Qt::white));
        QCOMPARE(BackgroundOf(image, 0, 2), QColor(Qt::black));
        QCOMPARE(BackgroundOf(image, 0, 0).rgb(), grid_->palette().color(QPalette::Button).rgb());
        // Black text on the newest row, white text on the older one.
        QVERIFY(CountPixels(image, grid_->CellRect(0, 1), Qt::black) > 0);
        QVERIFY(CountPixels(image, grid_->CellRect(0, 2), Qt::white) > 0);
        // The strip right of the last column and below the last row is black.
        const int gridRight = grid_->CellRect(5, 0).right() + 1;
        QVERIFY(gridRight < 495);
        QCOMPARE(image.pixelColor(gridRight + 2, 5), QColor(Qt::black));
        QCOMPARE(image.pixelColor(5, grid_->CellRect(0, 2).bottom() + 3), QColor(Qt::black));

        grid_->SetTextColor(RGB(0, 0, 255));
        image = Grab();
        QCOMPARE(BackgroundOf(image, 0, 1), QColor(Qt::blue));
        QVERIFY(CountPixels(image, grid_->CellRect(0, 2), Qt::blue) > 0);
    }

    void emptyListPaintsOneBlackRow()
    {
        grid_->SetEntries({});
        const QImage image = Grab();
        const QRect row = grid_->CellRect(0, 1).united(grid_->CellRect(5, 1));
        QCOMPARE(CountPixels(image, row, Qt::black), row.width() * row.height());
    }

    void headerBevelIsLightAboveAndDarkBelow()
    {
        const QImage image = Grab();
        const QRect header = grid_->CellRect(1, 0);
        const QPalette palette = grid_->palette();
        QCOMPARE(image.pixel(header.left(), header.top() + 3), palette.color(QPalette::Light).rgb());
        QCOMPARE(image.pixel(header.left() + 3, header.top()), palette.color(QPalette::Light).rgb());
        QCOMPARE(image.pixel(header.left() + 3, header.bottom()), palette.color(QPalette::Dark).rgb());
        QCOMPARE(image.pixel(header.right(), header.top() + 3), palette.color(QPalette::Dark).rgb());
        grid_->SetCtl3D(false);
        QCOMPARE(Grab().pixel(header.left(), header.top() + 3), palette.color(QPalette::Button).rgb());
    }

    void scrollBarsShowWhenTheCellsDoNotFit()
    {
        grid_->SetEntries(Entries(3));
        QCoreApplication::processEvents();
        QVERIFY(!grid_->verticalScrollBar()->isVisible());
        QVERIFY(!grid_->horizontalScrollBar()->isVisible());
        grid_->SetEntries(Entries(100));
        QTRY_VERIFY(grid_->verticalScrollBar()->isVisible());
        for (int col = 0; col < grid_->ColCount(); ++col)
            grid_->SetColWidths(col, 400);
        QTRY_VERIFY(grid_->horizontalScrollBar()->isVisible());

        // Scrolling moves whole rows under the fixed header, and columns by pixels,
        // so the last column can be reached whole.
        grid_->verticalScrollBar()->setValue(10);
        QCOMPARE(grid_->TopRow(), 11);
        grid_->horizontalScrollBar()->setValue(grid_->horizontalScrollBar()->maximum());
        QCOMPARE(grid_->CellRect(5, 0).right(), grid_->viewport()->width() - 1);
        int col, row;
        QVERIFY(grid_->MouseToCell(grid_->viewport()->width() - 5, grid_->DefaultRowHeight() + 1, col, row));
        QCOMPARE(QPoint(col, row), QPoint(5, 11));
        QVERIFY(grid_->MouseToCell(5, 1, col, row));
        QCOMPARE(row, 0);
        grid_->horizontalScrollBar()->setValue(390);
        QVERIFY(grid_->MouseToCell(5, 1, col, row));
        QCOMPARE(col, 0);
        QVERIFY(grid_->MouseToCell(15, 1, col, row));
        QCOMPARE(col, 1);
    }

    // Mouse and keyboard share one selection: the keys go on from the clicked row,
    // not from a row the keyboard framed before.
    void clickThenDownThenEnterSendsTheNextRow()
    {
        grid_->SetEntries(Entries(10));
        grid_->setFocus();
        QTest::keyClick(grid_, Qt::Key_Down);
        QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {}, screen_->CentreOf(2, 4));
        QCOMPARE(grid_->Row(), 4);
        QTest::keyClick(grid_, Qt::Key_Down);
        QTest::keyClick(grid_, Qt::Key_Return);
        QCOMPARE(sent_, QStringList({"SYM3", "SYM4"}));
    }

    // A gap marker is one band across the width of the view, wider than the columns,
    // with its text drawn once and cut only at the band's end.
    void gapMarkerSpansTheRow()
    {
        TQuickStrikeEntries entries = Entries(2);
        const TQuickStrikeEntry marker = TQuickStrikeEntry::GapMarker(
            {DateTimeFromQDateTime(QDateTime(QDate(2026, 3, 2), QTime(21, 19, 4))),
             DateTimeFromQDateTime(QDateTime(QDate(2026, 3, 2), QTime(21, 19, 9)))});
        entries.insert(1, marker);
        grid_->SetEntries(entries);
        for (int col = 0; col < grid_->ColCount(); ++col)
            grid_->SetColWidths(col, 40);
        const QString text = LinkGapText(marker.Gap());
        const auto paintedMarker = [this] {
            TRecordingCanvas canvas;
            grid_->PaintTo(canvas, grid_->viewport()->rect());
            QVector<TRecordedText> texts;
            for (const TRecordedText &drawn : canvas.Texts)
                if (drawn.Y >= grid_->CellRect(0, 2).top() && drawn.Y < grid_->CellRect(0, 3).top())
                    texts << drawn;
            return texts;
        };
        const int width = grid_->viewport()->width();
        QVERIFY(grid_->ContentWidth() < width);
        QVERIFY(TRecordingCanvas::CharWidth * text.size() > grid_->ContentWidth());
        QVector<TRecordedText> texts = paintedMarker();
        QCOMPARE(texts.size(), 1);
        QCOMPARE(texts[0].Text, text);
        QCOMPARE(texts[0].Clip.left(), 3);
        QCOMPARE(texts[0].Clip.right(), width - 1 - 3);

        // Columns wider than the view: the row ends where they end.
        screen_->owner->resize(200, 300);
        grid_->setGeometry(0, 0, 200, 300);
        texts = paintedMarker();
        QCOMPARE(texts.size(), 1);
        QVERIFY(texts[0].Text.endsWith(QLatin1String("...")));
        QVERIFY(text.startsWith(texts[0].Text.chopped(3)));
        QCOMPARE(texts[0].Clip.right(), grid_->ContentWidth() - 1 - 3);
    }

    // Scrolled down to read older alerts, the rows on screen stay where they are while
    // new ones come in above, and a count says how many did; at the top new rows
    // push the older ones down as always.
    void aScrolledListStaysStill()
    {
        TQuickStrikeList list;
        int next = 0;
        const auto alerts = [&](int count) {
            for (int n = 0; n < count; ++n)
                list.prepend(Entry(QStringLiteral("SYM%1").arg(next++)));
            grid_->SetEntries(list);
        };
        alerts(200);
        grid_->SetTopRow(50);
        const QString firstShown = CellText(*grid_, 0, 50);
        const auto newAbove = [this] {
            return grid_->viewport()->findChild<QToolButton *>(QStringLiteral("NewAbove"));
        };
        QVERIFY(!newAbove()->isVisible());
        for (int n = 0; n < 100; ++n)
            alerts(1);
        QCOMPARE(grid_->TopRow(), 150);
        QCOMPARE(CellText(*grid_, 0, grid_->TopRow()), firstShown);
        QCOMPARE(grid_->NewAboveCount(), 100);
        QVERIFY(newAbove()->isVisible());
        QCOMPARE(newAbove()->text(), QStringLiteral("100 new \u2191"));

        QTest::mouseClick(newAbove(), Qt::LeftButton);
        QCOMPARE(grid_->TopRow(), 1);
        QVERIFY(!newAbove()->isVisible());
        alerts(3);
        QCOMPARE(grid_->TopRow(), 1);
        QCOMPARE(CellText(*grid_, 0, 1), QStringLiteral("SYM302"));
    }

    void leftClickSendsTheRowsSymbolOnce()
    {
        grid_->SetEntries(Entries(3));
        QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {}, screen_->CentreOf(3, 2));
        QCOMPARE(sent_, QStringList{"SYM1"});
        QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {}, screen_->CentreOf(0, 1));
        QCOMPARE(sent_, QStringList({"SYM1", "SYM0"}));
    }

    void clicksThatSendNothing()
    {
        grid_->SetEntries(Entries(2));
        QTest::mouseClick(grid_->viewport(), Qt::RightButton, {}, screen_->CentreOf(0, 1));
        QTest::mouseClick(grid_->viewport(), Qt::MiddleButton, {}, screen_->CentreOf(0, 1));
        QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {}, screen_->CentreOf(0, 0));
        // Below the last row and right of the last column.
        QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {}, screen_->CentreOf(0, 2) + QPoint(0, 50));
        QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {}, QPoint(495, screen_->CentreOf(0, 1).y()));
        QVERIFY(sent_.isEmpty());

        grid_->SetEntries({});
        QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {}, screen_->CentreOf(0, 1));
        QVERIFY(sent_.isEmpty());
    }

    void onlyAPressAndReleaseOnOneRowSends()
    {
        grid_->SetEntries(Entries(3));
        QWidget *viewport = grid_->viewport();
        QTest::mousePress(viewport, Qt::LeftButton, {}, screen_->CentreOf(0, 1));
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, screen_->CentreOf(0, 2));
        // A column drag that ends over a data row is no click either.
        const int width = grid_->ColWidths(0);
        const QPoint border(grid_->CellRect(0, 0).right() + 1, 5);
        const QPoint overRow(border.x() + 30, screen_->CentreOf(0, 3).y());
        QTest::mousePress(viewport, Qt::LeftButton, {}, border);
        QTest::mouseMove(viewport, overRow);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, overRow);
        QCOMPARE(grid_->ColWidths(0), width + 30);
        QVERIFY(sent_.isEmpty());

        // An alert that moves the rows between press and release does not change
        // what was clicked.
        QTest::mousePress(viewport, Qt::LeftButton, {}, screen_->CentreOf(2, 2));
        TQuickStrikeEntries moved = Entries(3);
        moved.prepend(Entry(QStringLiteral("NEW")));
        grid_->SetEntries(moved);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, screen_->CentreOf(4, 2));
        QCOMPARE(sent_, QStringList{"SYM1"});

        // The sent symbol's row flashes in the selection colour, and the flash
        // follows it when the next alert moves it down.
        const QColor highlight = grid_->palette().color(QPalette::Highlight);
        QImage image = Grab();
        QCOMPARE(BackgroundOf(image, 0, 3), highlight);
        QCOMPARE(BackgroundOf(image, 5, 3), highlight);
        QCOMPARE(BackgroundOf(image, 0, 2), QColor(Qt::black));
        moved.prepend(Entry(QStringLiteral("NEWER")));
        grid_->SetEntries(moved);
        image = Grab();
        QCOMPARE(BackgroundOf(image, 0, 4), highlight);
        QCOMPARE(BackgroundOf(image, 0, 3), QColor(Qt::black));
        QTRY_COMPARE(BackgroundOf(Grab(), 0, 4), QColor(Qt::black));
        QCOMPARE(grid_->TopRow(), 1);
    }

    void aBurstOfListsCostsOnePaint()
    {
        TPaintCounter paints;
        grid_->viewport()->installEventFilter(&paints);
        QSignalSpy ranges(grid_->verticalScrollBar(), &QScrollBar::rangeChanged);
        grid_->SetEntries(Entries(50));
        QTRY_VERIFY(grid_->verticalScrollBar()->isVisible());
        QTRY_VERIFY(paints.Count > 0);
        paints.Count = 0;
        ranges.clear();

        for (int count = 51; count <= 250; ++count)
            grid_->SetEntries(Entries(count));
        QCOMPARE(paints.Count, 0);
        QTRY_COMPARE(paints.Count, 1);
        for (int pass = 0; pass < 5; ++pass)
            QCoreApplication::processEvents();
        QCOMPARE(paints.Count, 1);
        QCOMPARE(ranges.count(), 1);
        QCOMPARE(grid_->verticalScrollBar()->maximum(), 250 + 1 - grid_->VisibleRowCount() - 1);
    }
};

QTEST_MAIN(TestGridWidget)
#include "tst_GridWidget.moc"
