#include "client/ui/grid/NumberFormat.h"
#include "client/ui/grid/TQtCanvas.h"
#include "client/ui/grids/TSmbTopListFullGrid.h"
#include "shared/Exception.h"
#include "support/TRecordingCanvas.h"

#include "../core/support/SmbRows.h"

#include <QMenu>
#include <QPainter>
#include <QtTest>

#include <memory>
#include <stdexcept>

namespace {

const TSteadyMs Start = 3888000000;

// The fake font of these tests is a little taller than the recording canvas's own.
constexpr int SmbLineHeight = 14;

// Columns, by grid column: Symbol, PrSpk, IPR, TRang, H, L, Last, Volume, #, an unknown id.
const QString TestColumns = QStringLiteral("0,1,2,3,8,10,11,13,14,99");
enum { SymbolCol, SpikeCol, RateCol, RangeCol, HighCol, LowCol, LastCol, VolumeCol, CountCol, UnknownCol };

// A grid in an owner window, measured with the fake canvas's font so that every
// width is known.
struct TGridUnderTest
{
    explicit TGridUnderTest(const QString &columns = TestColumns)
        : grid(new TSmbTopListFullGrid(&owner))
    {
        grid->SetColumns(columns);
        grid->Measure(canvas);
    }

    // What painting one cell drew.
    const TRecordingCanvas &Paint(int col, int row)
    {
        canvas.Clear();
        grid->PaintCell(canvas, col, row);
        return canvas;
    }
    TColor Background(int col, int row) { return Paint(col, row).Fills.first().Color; }
    QString Text(int col, int row)
    {
        const TRecordingCanvas &painted = Paint(col, row);
        return painted.Texts.isEmpty() ? QString() : painted.Texts.first().Text;
    }

    QWidget owner;
    TSmbTopListFullGrid *grid;
    TRecordingCanvas canvas{SmbLineHeight};
};

// The pie image one cell drew, or a null image when it drew none.
QImage PieOf(TGridUnderTest &under, int col, int row)
{
    const TRecordingCanvas &painted = under.Paint(col, row);
    return painted.Images.isEmpty() ? QImage() : painted.Images.first().Image;
}

// One cell as the real canvas paints it on a surface of the given device pixel
// ratio; the image holds the device pixels.
QImage RenderCell(const TGridUnderTest &under, int col, int row, qreal ratio)
{
    const QRect cell = under.grid->CellRect(col, row);
    QImage image(cell.size() * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    QPainter painter(&image);
    painter.translate(-cell.topLeft());
    TQtCanvas canvas(painter, under.grid->CanvasFont(), under.grid->palette());
    under.grid->PaintCell(canvas, col, row);
    return image;
}

// Aligned 2 by 2 blocks whose pixels are not all alike: none in an image
// scaled up from half its size.
int MixedBlocks(const QImage &image)
{
    int mixed = 0;
    for (int y = 0; y + 1 < image.height(); y += 2)
        for (int x = 0; x + 1 < image.width(); x += 2) {
            const QRgb first = image.pixel(x, y);
            mixed += image.pixel(x + 1, y) != first || image.pixel(x, y + 1) != first
                     || image.pixel(x + 1, y + 1) != first;
        }
    return mixed;
}

} // namespace

class TestSmbTopListFullGrid : public QObject
{
    Q_OBJECT

    TSteadyMs clock_ = Start;
    QStringList sent_;

    void SetSeconds(double seconds) { clock_ = Start + qRound64(seconds * 1000); }
    void RecordSymbols(TGridUnderTest &under)
    {
        under.grid->SetSymbolSender([this](const QString &symbol) { sent_.append(symbol); });
    }

private Q_SLOTS:
    void init()
    {
        SetSeconds(0);
        SetSteadyNowFunction([this] { return clock_; });
        sent_.clear();
    }

    void cleanup()
    {
        SetSteadyNowFunction({});
    }

    void constructionNeedsAnOwner()
    {
        QVERIFY_THROWS_EXCEPTION(EAssertionFailed, delete new TSmbTopListFullGrid(nullptr));
    }

    void constructionDefaults()
    {
        QWidget owner;
        TSmbTopListFullGrid grid(&owner);
        QCOMPARE(grid.ColumnMap(), QVector<int>({0}));
        QCOMPARE(grid.RowCount(), 2);
        QVERIFY(grid.RowSelect());
        QCOMPARE(grid.ScrollBars(), TGridScrollBars::sbHorizontal);
        QCOMPARE(grid.Color(), clBlack);
    }

    void columnsSetting_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QStringList>("headers");
        QTest::newRow("four columns") << "0,11,12,13" << QStringList({"Symbol", "Last", "%Chg", "Volume"});
        QTest::newRow("empty setting")
            << "" << QStringList({"Symbol", "PrSpk", "IPR", "TRang", "ORang", "Strnth", "Up Tr", "Nr Hi", "H", "Nr Lo", "L"});
        QTest::newRow("not a number") << "abc" << QStringList({"Symbol"});
        QTest::newRow("unknown id") << "14 15 -1" << QStringList({"#", "", ""});
    }

    void columnsSetting()
    {
        QFETCH(QString, setting);
        QFETCH(QStringList, headers);
        TGridUnderTest under(setting);
        QStringList painted;
        for (int col = 0; col < under.grid->ColCount(); ++col)
            painted.append(under.Text(col, 0));
        QCOMPARE(painted, headers);
    }

    // The "columns" setting stays the default the user chooses from and goes back to;
    // a moved pie column stays square and an unknown id stays an empty column.
    void chosenColumnsStartFromTheSetting()
    {
        TGridUnderTest under(QStringLiteral("0,8,11,99"));
        QMenu menu;
        under.grid->FillColumnMenu(&menu);
        QStringList checked;
        int offered = 0;
        for (const QAction *item : menu.actions()) {
            offered += item->isCheckable();
            if (item->isChecked())
                checked << item->text();
        }
        QCOMPARE(offered, 15);
        QCOMPARE(checked, QStringList({"Symbol", "H", "Last"}));

        menu.findChild<QAction *>(QStringLiteral("Column0MenuItem"))->trigger();
        TColumnLayout layout = under.grid->ColumnLayout();
        QVERIFY(layout.Move(0, 1));
        under.grid->SetColumnLayout(layout);
        QCOMPARE(under.grid->ColumnMap(), QVector<int>({11, 8, 99}));
        QCOMPARE(QStringList({under.Text(0, 0), under.Text(1, 0), under.Text(2, 0)}),
                 QStringList({"Last", "H", ""}));
        QCOMPARE(under.grid->ColWidths(1), under.grid->DefaultRowHeight());

        under.grid->ResetColumns();
        QCOMPARE(under.grid->ColumnMap(), QVector<int>({0, 8, 11, 99}));
    }

    void columnWidthsFollowSamplesAndRowHeight()
    {
        TGridUnderTest under;
        const int rowHeight = SmbLineHeight + 4;
        QCOMPARE(under.grid->DefaultRowHeight(), rowHeight);
        QCOMPARE(under.grid->ColWidths(SymbolCol), 6 * TRecordingCanvas::CharWidth + 16); // the caption
        QCOMPARE(under.grid->ColWidths(VolumeCol), 11 * TRecordingCanvas::CharWidth + 16);
        QCOMPARE(under.grid->ColWidths(HighCol), rowHeight);
        QCOMPARE(under.grid->ColWidths(LowCol), rowHeight);

        // Laying out again replaces dragged widths, except in a column without a sample.
        under.grid->SetColWidths(SymbolCol, 200);
        under.grid->SetColWidths(UnknownCol, 77);
        under.grid->Measure(under.canvas);
        QCOMPARE(under.grid->ColWidths(SymbolCol), 6 * TRecordingCanvas::CharWidth + 16); // the caption
        QCOMPARE(under.grid->ColWidths(UnknownCol), 77);
    }

    // In a big font, captions and the prices a column is made for still show whole.
    void newFontRemeasuresTheGrid()
    {
        QWidget owner;
        TSmbTopListFullGrid grid(&owner);
        grid.SetColumns(QStringLiteral("0,1,11"));
        const int before = grid.DefaultRowHeight();
        QFont big = grid.font();
        big.setPixelSize(60);
        grid.setFont(big);
        QVERIFY(grid.DefaultRowHeight() > before);
        QCOMPARE(grid.CanvasFont().pixelSize(), 60);
        const QFontMetrics metrics(big, grid.viewport());
        QVERIFY(grid.ColWidths(2) - 6 >= metrics.horizontalAdvance(FormatValues(QStringLiteral("%f"), {99999.99})));
        QVERIFY(grid.ColWidths(2) - 6 >= metrics.horizontalAdvance(QStringLiteral("99,999.99")));
        QVERIFY(grid.ColWidths(1) - 8 >= metrics.horizontalAdvance(QStringLiteral("PrSpk")));
        QVERIFY(grid.ColWidths(1) - 6 >= metrics.horizontalAdvance(QStringLiteral("99,999.9")));
    }

    void volRateColours_data()
    {
        QTest::addColumn<double>("rate");
        QTest::addColumn<TColor>("color");
        QTest::newRow("missing") << MissingReal() << clBlack;
        QTest::newRow("0.25") << 0.25 << RGB(0, 0, 255);
        QTest::newRow("0.5") << 0.5 << RGB(0, 0, 255);
        QTest::newRow("0.75") << 0.75 << RGB(0, 0, 128);
        QTest::newRow("1") << 1.0 << clBlack;
        QTest::newRow("2.25") << 2.25 << RGB(128, 0, 0);
        QTest::newRow("3.5") << 3.5 << RGB(255, 0, 0);
        QTest::newRow("9") << 9.0 << RGB(255, 0, 0);
    }

    void volRateColours()
    {
        QFETCH(double, rate);
        QFETCH(TColor, color);
        QCOMPARE(VolRateColor(rate), color);
        TGridUnderTest under;
        TSmbTopListEntry entry = SmbRow(QStringLiteral("A"));
        entry.VolRate = rate;
        entry.TodaysRange = 1;
        under.grid->SetEntries({entry});
        for (int col : {SymbolCol, RateCol}) {
            QCOMPARE(under.Background(col, 1), color);
            if (!under.canvas.Texts.isEmpty())
                QCOMPARE(under.canvas.Texts.first().Color, clWhite);
        }
        // Other cells stay black with the ordinary text colour.
        QCOMPARE(under.Background(RangeCol, 1), clBlack);
        QCOMPARE(under.Paint(RangeCol, 1).Texts.first().Color, under.grid->TextColor());
    }

    void priceSpikeLightsUpFromFive_data()
    {
        QTest::addColumn<double>("spike");
        QTest::addColumn<TColor>("background");
        QTest::addColumn<QString>("text");
        QTest::newRow("5") << 5.0 << clYellow << "5.0";
        QTest::newRow("4.99") << 4.99 << clBlack << "5.0";
        QTest::newRow("missing") << MissingReal() << clBlack << "";
    }

    void priceSpikeLightsUpFromFive()
    {
        QFETCH(double, spike);
        QFETCH(TColor, background);
        QFETCH(QString, text);
        TGridUnderTest under;
        TSmbTopListEntry entry = SmbRow(QStringLiteral("A"));
        entry.PriceSpike = spike;
        under.grid->SetEntries({entry});
        QCOMPARE(under.Background(SpikeCol, 1), background);
        QCOMPARE(under.Text(SpikeCol, 1), text);
        if (!text.isEmpty())
            QCOMPARE(under.canvas.Texts.first().Color, background == clYellow ? clBlack : clWhite);
    }

    void cellFormats()
    {
        TGridUnderTest under;
        TSmbTopListEntry entry = SmbRow(QStringLiteral("LONGSYMBOL"));
        entry.TodaysRange = -1234567.8; // wider than its column
        entry.Last = 12.5;
        entry.Volume = 123456789;
        entry.Count = 0;
        under.grid->SetEntries({entry, SmbRow(QStringLiteral("B"))});
        QCOMPARE(under.Text(SymbolCol, 1), QStringLiteral("LONG..."));
        QCOMPARE(under.Text(RangeCol, 1), QStringLiteral("..."));
        QCOMPARE(under.Text(LastCol, 1), QStringLiteral("12.50"));
        QCOMPARE(under.Text(VolumeCol, 1), QStringLiteral("123,456,789"));
        QCOMPARE(under.Text(CountCol, 1), QString());
        QCOMPARE(under.Text(LastCol, 2), QString());
        // A row below the list and a column of unknown id show only their background.
        QCOMPARE(under.Paint(UnknownCol, 1).Texts.size(), 0);
        QCOMPARE(under.Paint(LastCol, 3).Texts.size(), 0);

        // Narrowed so that six characters fit: the volume is abbreviated.
        under.grid->SetColWidths(VolumeCol, 6 * TRecordingCanvas::CharWidth + 6);
        QCOMPARE(under.Text(VolumeCol, 1), QStringLiteral("123.5M"));
    }

    void separatorRowRepeatsTheHeader()
    {
        TGridUnderTest under;
        TSmbTopListEntry separator = SmbRow(QStringLiteral("-"));
        separator.VolRate = 3;
        separator.Last = 4;
        under.grid->SetEntries({SmbRow(QStringLiteral("A")), separator});
        // Painted exactly like the header cell above it, whatever its values.
        for (int col : {SymbolCol, LastCol}) {
            const TRecordingCanvas header = under.Paint(col, 0);
            const TRecordingCanvas &painted = under.Paint(col, 2);
            QCOMPARE(painted.Fills.first().Color, SmbHeaderColor);
            QCOMPARE(painted.Bevels.size(), 1);
            QCOMPARE(painted.Texts.size(), 1);
            QCOMPARE(painted.Texts.first().Text, header.Texts.first().Text);
            QCOMPARE(painted.Texts.first().Color, clBlack);
            QCOMPARE(header.Texts.first().Color, clBlack);
        }
        under.grid->SetFrozen(true);
        QCOMPARE(under.Background(SymbolCol, 2), SmbFrozenHeaderColor);
    }

    void selectedRowFramesItsSymbolCell()
    {
        TGridUnderTest under;
        TSmbTopListEntry entry = SmbRow(QStringLiteral("A"));
        entry.VolRate = 0.5;
        under.grid->SetEntries({entry, SmbRow(QStringLiteral("B"))});
        under.grid->SetRow(1);
        const TRecordingCanvas &painted = under.Paint(SymbolCol, 1);
        QCOMPARE(painted.Frames.size(), 1);
        QCOMPARE(painted.Frames.first().Rect, under.grid->CellRect(SymbolCol, 1));
        QCOMPARE(painted.Frames.first().Color, clWhite);
        QCOMPARE(under.Paint(RangeCol, 1).Frames.size(), 0);
        QCOMPARE(under.Paint(SymbolCol, 2).Frames.size(), 0);
    }

    void pies()
    {
        TGridUnderTest under;
        // Row height 18: the pie cell is 18 square and its text rectangle, 12 by 18,
        // holds a disc of radius 6 centred at (6, 9).
        TSmbTopListEntry quarter = SmbRow(QStringLiteral("Q"));
        quarter.NewHigh = 0.25;
        quarter.NewLow = 1;
        TSmbTopListEntry nothing = SmbRow(QStringLiteral("N"));
        nothing.NewHigh = 0;
        nothing.NewLow = -1;
        under.grid->SetEntries({quarter, nothing, SmbRow(QStringLiteral("NAN"))});

        const QImage high = PieOf(under, HighCol, 1);
        QCOMPARE(high.size(), QSize(12, 18));
        QCOMPARE(under.canvas.Images.first().X, under.grid->CellRect(HighCol, 1).left() + 3);
        QCOMPARE(high.pixel(3, 6), qRgb(0, 255, 0));
        QCOMPARE(high.pixel(9, 12), qRgb(0, 0, 0));

        // Edges are averaged: some pixels lie between the disc and the background.
        const QImage low = PieOf(under, LowCol, 1);
        QCOMPARE(low.pixel(9, 12), qRgb(255, 102, 0));
        bool blended = false;
        for (int y = 0; y < low.height(); ++y)
            for (int x = 0; x < low.width(); ++x)
                blended = blended || (qRed(low.pixel(x, y)) > 0 && qRed(low.pixel(x, y)) < 255);
        QVERIFY(blended);

        QVERIFY(PieOf(under, HighCol, 2).isNull());
        QVERIFY(PieOf(under, LowCol, 2).isNull());
        QVERIFY(PieOf(under, HighCol, 3).isNull());
        QCOMPARE(under.Background(HighCol, 2), clBlack);
    }

    void piesAreSharpAtTwiceTheDevicePixels()
    {
        TGridUnderTest under;
        TSmbTopListEntry entry = SmbRow(QStringLiteral("A"));
        entry.NewHigh = 0.3;
        entry.NewLow = 1;
        under.grid->SetEntries({entry});
        for (const int col : {HighCol, LowCol}) {
            const QImage sharp = RenderCell(under, col, 1, 2);
            const QImage plain = RenderCell(under, col, 1, 1);
            const QImage blocky = plain.scaled(plain.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
            QCOMPARE(sharp.size(), blocky.size());
            QCOMPARE(MixedBlocks(blocky), 0);
            // The edge is drawn in the finer pixels all the way round.
            QVERIFY2(MixedBlocks(sharp) >= 12, qPrintable(QString::number(MixedBlocks(sharp))));
            // And it is the same pie: each block averages to about the 1x pixel.
            for (int y = 0; y < plain.height(); ++y)
                for (int x = 0; x < plain.width(); ++x) {
                    int green = 0;
                    for (int dy = 0; dy < 2; ++dy)
                        for (int dx = 0; dx < 2; ++dx)
                            green += qGreen(sharp.pixel(2 * x + dx, 2 * y + dy));
                    QVERIFY2(std::abs(green / 4 - qGreen(plain.pixel(x, y))) <= 64,
                             qPrintable(QStringLiteral("col %1 at %2,%3").arg(col).arg(x).arg(y)));
                }
        }
    }

    void textIsMeasuredInDeviceIndependentPixels()
    {
        // A screen at 200% shows the same layout as one at 100%.
        TGridUnderTest under(QStringLiteral("0,1,13,8"));
        QVector<int> widths[2];
        int heights[2];
        for (const int ratio : {1, 2}) {
            QImage surface(QSize(50, 50) * ratio, QImage::Format_RGB32);
            surface.setDevicePixelRatio(ratio);
            under.grid->Measure(TQtTextMetrics(under.grid->CanvasFont(), &surface));
            for (int col = 0; col < under.grid->ColCount(); ++col)
                widths[ratio - 1] << under.grid->ColWidths(col);
            heights[ratio - 1] = under.grid->DefaultRowHeight();
        }
        QCOMPARE(widths[1], widths[0]);
        QCOMPARE(heights[1], heights[0]);
    }

    void pieNeedsASquareOfSevenPixels()
    {
        TGridUnderTest under;
        TSmbTopListEntry entry = SmbRow(QStringLiteral("A"));
        entry.NewHigh = 1;
        under.grid->SetEntries({entry});
        // Three times a height of 2 is a square of 6: too small to draw.
        under.grid->SetDefaultRowHeight(2);
        QVERIFY(PieOf(under, HighCol, 1).isNull());
        under.grid->SetDefaultRowHeight(3);
        QVERIFY(!PieOf(under, HighCol, 1).isNull());
    }

    void makeSquare_data()
    {
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<QRect>("square");
        QTest::newRow("tall, even excess") << QRect(0, 0, 36, 54) << QRect(0, 9, 36, 36);
        QTest::newRow("tall, odd excess") << QRect(0, 0, 4, 7) << QRect(0, 1, 4, 4);
        QTest::newRow("wide, odd excess") << QRect(10, 20, 9, 4) << QRect(12, 20, 4, 4);
        QTest::newRow("square") << QRect(1, 2, 5, 5) << QRect(1, 2, 5, 5);
    }

    void makeSquare()
    {
        QFETCH(QRect, rect);
        QFETCH(QRect, square);
        QCOMPARE(MakeSquare(rect), square);
    }

    void valuesUpdateInPlaceAndOrderAppliesOnTheTimer()
    {
        TGridUnderTest under;
        under.grid->SetEntries(SmbRows({"A", "B", "C"}));
        SetSeconds(10);
        TSmbTopListEntries next = SmbRows({"C", "B", "D", "E"});
        next[0].Last = 7;
        under.grid->SetEntries(next);
        QCOMPARE(under.grid->RowCount(), 4);
        QCOMPARE(under.Text(SymbolCol, 3), QStringLiteral("C"));
        QCOMPARE(under.Text(LastCol, 3), QStringLiteral("7.00"));
        QVERIFY(under.grid->UpdatePending());
        QCOMPARE(under.grid->MissingText(), QStringLiteral("D, E"));

        SetSeconds(31);
        under.grid->CheckSortTimer();
        QCOMPARE(under.grid->RowCount(), 5);
        QCOMPARE(under.Text(SymbolCol, 1), QStringLiteral("C"));
        QCOMPARE(under.Text(SymbolCol, 4), QStringLiteral("E"));
        QCOMPARE(under.Background(SymbolCol, 0), SmbHeaderColor);
    }

    void entriesAreCopied()
    {
        TGridUnderTest under;
        TSmbTopListEntries list = SmbRows({"A"});
        under.grid->SetEntries(list);
        list[0].Symbol = "Z";
        QCOMPARE(under.Text(SymbolCol, 1), QStringLiteral("A"));
    }

    void clicksAndKeysLinkEachNewSymbolOnce()
    {
        TGridUnderTest under;
        RecordSymbols(under);
        under.owner.resize(400, 300);
        under.grid->resize(400, 300);
        under.owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&under.owner));
        under.grid->SetEntries(SmbRows({"A", "-", "C"}));
        QWidget *viewport = under.grid->viewport();
        const auto click = [&](Qt::MouseButton button, int col, int row) {
            QTest::mouseClick(viewport, button, {}, under.grid->CellRect(col, row).center());
        };

        // Any column selects the whole row; press and release link once.
        click(Qt::LeftButton, RangeCol, 1);
        QCOMPARE(sent_, QStringList({"A"}));
        QCOMPARE(under.grid->Row(), 1);
        click(Qt::LeftButton, SymbolCol, 1);
        click(Qt::RightButton, SymbolCol, 3);
        click(Qt::LeftButton, SymbolCol, 0);
        click(Qt::LeftButton, SymbolCol, 2);
        QCOMPARE(under.grid->Row(), 2);
        click(Qt::LeftButton, SymbolCol, 1);
        QCOMPARE(sent_, QStringList({"A"}));

        QTest::keyClick(under.grid, Qt::Key_Down);
        QTest::keyClick(under.grid, Qt::Key_Down);
        QCOMPARE(sent_, QStringList({"A", "C"}));
        QCOMPARE(under.grid->LastLinkedSymbol(), QStringLiteral("C"));
    }

    void paintedPixels()
    {
        QWidget owner;
        QFont font = owner.font();
        font.setPixelSize(16);
        owner.setFont(font);
        TSmbTopListFullGrid grid(&owner);
        grid.SetColumns(QStringLiteral("11,8,10"));
        grid.resize(300, 200);
        owner.resize(300, 200);
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));

        TSmbTopListEntries entries = SmbRows({"A", "B", "C", "D"});
        entries[0].NewHigh = 0.25;
        entries[0].NewLow = 1;
        entries[1].NewHigh = 0;
        entries[1].NewLow = MissingReal();
        entries[2].NewHigh = 1;
        grid.SetEntries(entries);

        const auto grabbed = [&] { return grid.viewport()->grab().toImage(); };
        const auto colorAt = [](const QImage &image, QPoint point) {
            return FromQColor(image.pixelColor(point));
        };
        // A point of the header's background: inside the bevel, left of any caption.
        const QRect header = grid.CellRect(0, 0);
        const QPoint headerPoint(header.left() + 2, header.center().y());

        QImage image = grabbed();
        QCOMPARE(colorAt(image, headerPoint), SmbHeaderColor);

        // Quadrants of the disc in a pie cell: upper left, upper right, lower left, lower right.
        const auto quadrants = [&](int col, int row) {
            const QRect text = grid.CellRect(col, row).adjusted(3, 0, -3, 0);
            const QPoint centre(text.left() + text.width() / 2, text.top() + text.height() / 2);
            const int d = std::min(text.width(), text.height()) / 4;
            QVector<TColor> colors;
            for (const QPoint offset : {QPoint(-d, -d), QPoint(d, -d), QPoint(-d, d), QPoint(d, d)})
                colors.append(colorAt(image, centre + offset));
            return colors;
        };
        const TColor green = RGB(0, 255, 0);
        const TColor orange = RGB(255, 102, 0);
        QCOMPARE(quadrants(1, 1), QVector<TColor>({green, clBlack, clBlack, clBlack}));
        QCOMPARE(quadrants(2, 1), QVector<TColor>({orange, orange, orange, orange}));
        QCOMPARE(quadrants(1, 3), QVector<TColor>({green, green, green, green}));
        QCOMPARE(quadrants(1, 2), QVector<TColor>({clBlack, clBlack, clBlack, clBlack}));
        QCOMPARE(quadrants(2, 2), QVector<TColor>({clBlack, clBlack, clBlack, clBlack}));

        SetSeconds(5);
        grid.SetEntries(SmbRows({"NEW", "A"}));
        image = grabbed();
        QCOMPARE(colorAt(image, headerPoint), SmbMissingHeaderColor);
        grid.SetFrozen(true);
        image = grabbed();
        QCOMPARE(colorAt(image, headerPoint), SmbFrozenHeaderColor);
    }

    void failingLinkIsSwallowed()
    {
        TGridUnderTest under;
        under.grid->SetEntries(SmbRows({"A", "B"}));
        under.grid->SetSymbolSender([](const QString &) { throw std::runtime_error("no link"); });
        under.grid->SetRow(2);
        QCOMPARE(under.grid->Row(), 2);
        QCOMPARE(under.grid->LastLinkedSymbol(), QStringLiteral("B"));
    }

    void selectionAfterASort()
    {
        TGridUnderTest under;
        RecordSymbols(under);
        under.grid->SetEntries(SmbRows({"A", "B", "C"}));
        // The first order leaves no row selected.
        QCOMPARE(under.grid->Row(), -1);
        under.grid->SetRow(2);
        QCOMPARE(sent_, QStringList({"B"}));

        // B stays in its row: selection and link stay.
        SetSeconds(40);
        under.grid->SetEntries(SmbRows({"C", "B", "A"}));
        QCOMPARE(under.grid->Row(), 2);
        QCOMPARE(under.grid->LastLinkedSymbol(), QStringLiteral("B"));

        // Another symbol moves under the selection: selection and link go.
        SetSeconds(80);
        under.grid->SetEntries(SmbRows({"B", "C", "A"}));
        QCOMPARE(under.grid->Row(), -1);
        QCOMPARE(under.grid->LastLinkedSymbol(), QString());
        QCOMPARE(under.grid->TopRow(), 1);

        // The list empties under a selection: nothing is linked on the way.
        under.grid->SetRow(3);
        QCOMPARE(sent_, QStringList({"B", "A"}));
        SetSeconds(120);
        under.grid->SetEntries({});
        QCOMPARE(under.grid->RowCount(), 2);
        QCOMPARE(under.grid->LastLinkedSymbol(), QString());
        QCOMPARE(sent_, QStringList({"B", "A"}));
    }
};

QTEST_MAIN(TestSmbTopListFullGrid)
#include "tst_SmbTopListFullGrid.moc"
