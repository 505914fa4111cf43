#include "client/ui/grid/NumberFormat.h"
#include "client/ui/grid/TCellText.h"
#include "client/ui/grid/TColor.h"
#include "client/ui/grids/TPointsTopListGrid.h"
#include "support/GridEntries.h"
#include "support/TRecordingCanvas.h"

#include <QtTest>

// The text operations and the painting sequence every grid kind shares, run
// on a recording canvas whose characters are all 7 pixels wide and 13 high.
class TestGridFrame : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void ellipsizeKeepsTheLongestPrefixThatFits_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("fits exactly") << 70 << "ABCDEFGHIJ" << "ABCDEFGHIJ";
        QTest::newRow("one pixel short") << 69 << "ABCDEFGHIJ" << "ABCDEF...";
        QTest::newRow("room for one character") << 28 << "ABCDEFGHIJ" << "A...";
        QTest::newRow("first character does not fit") << 27 << "ABCDEFGHIJ" << "...";
        QTest::newRow("no width") << 0 << "AB" << "...";
        QTest::newRow("empty text") << 0 << "" << "";
    }

    void ellipsizeKeepsTheLongestPrefixThatFits()
    {
        QFETCH(int, width);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        TRecordingCanvas canvas;
        QCOMPARE(TCellText(canvas, QRect(5, 5, width, 17)).EllipsizeText(text), expected);
    }

    void drawsAlignedAndVerticallyCentred_data()
    {
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QPoint>("left");
        QTest::addColumn<QPoint>("right");
        QTest::addColumn<QPoint>("centred");
        QTest::newRow("room to spare") << QRect(10, 20, 50, 17) << "ab" << QPoint(10, 22) << QPoint(46, 22)
                                       << QPoint(28, 22);
        QTest::newRow("odd leftover rounds down") << QRect(10, 20, 51, 18) << "ab" << QPoint(10, 22)
                                                  << QPoint(47, 22) << QPoint(28, 22);
        QTest::newRow("too wide and too low starts at the corner")
            << QRect(10, 20, 20, 9) << "abcd" << QPoint(10, 20) << QPoint(10, 20) << QPoint(10, 20);
    }

    void drawsAlignedAndVerticallyCentred()
    {
        QFETCH(QRect, rect);
        QFETCH(QString, text);
        QFETCH(QPoint, left);
        QFETCH(QPoint, right);
        QFETCH(QPoint, centred);
        TRecordingCanvas canvas;
        TCellText cell(canvas, rect);
        cell.DrawTextLeft(text);
        cell.DrawTextRight(text);
        cell.DrawTextCentered(text);
        QCOMPARE(canvas.Texts.size(), 3);
        QCOMPARE(QPoint(canvas.Texts[0].X, canvas.Texts[0].Y), left);
        QCOMPARE(QPoint(canvas.Texts[1].X, canvas.Texts[1].Y), right);
        QCOMPARE(QPoint(canvas.Texts[2].X, canvas.Texts[2].Y), centred);
        for (const TRecordedText &drawn : canvas.Texts) {
            QCOMPARE(drawn.Clip, rect);
            QCOMPARE(drawn.Text, text);
        }
    }

    void numbersShowWholeOrAsDots()
    {
        TRecordingCanvas canvas;
        QCOMPARE(TCellText(canvas, QRect(0, 0, 35, 17)).FormatFitted(QStringLiteral("%f"), 12.5),
                 QStringLiteral("12.50"));
        QCOMPARE(TCellText(canvas, QRect(0, 0, 34, 17)).FormatFitted(QStringLiteral("%f"), 12.5),
                 QStringLiteral("..."));
        QCOMPARE(TCellText(canvas, QRect(0, 0, 42, 17)).FormatFitted(QStringLiteral("%f%%"), -1.5),
                 QStringLiteral("-1.50%"));
    }

    void abbreviationStepsDownAsTheColumnNarrows_data()
    {
        QTest::addColumn<qint64>("value");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("expected");
        QTest::newRow("whole number fits") << qint64(1234567) << 63 << "1,234,567";
        QTest::newRow("two decimals") << qint64(1234567) << 62 << "1.23M";
        QTest::newRow("one decimal") << qint64(1234567) << 34 << "1.2M";
        QTest::newRow("no decimals") << qint64(1234567) << 27 << "1M";
        QTest::newRow("nothing fits") << qint64(1234567) << 13 << "...";
        QTest::newRow("below a thousand goes straight to dots") << qint64(999) << 20 << "...";
        QTest::newRow("a million is M") << qint64(1000000) << 62 << "1.00M";
        QTest::newRow("just under a million is K") << qint64(999999) << 48 << "1,000K";
        QTest::newRow("a thousand is K") << qint64(1000) << 28 << "1.0K";
    }

    void abbreviationStepsDownAsTheColumnNarrows()
    {
        QFETCH(qint64, value);
        QFETCH(int, width);
        QFETCH(QString, expected);
        TRecordingCanvas canvas;
        QCOMPARE(TCellText(canvas, QRect(0, 0, width, 17)).FormatAbbreviated(value), expected);
    }

    void blendingRoundsHalvesToEven_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<int>("expected");
        QTest::newRow("half of 255 goes to even 128") << 0.5 << RGB(128, 128, 255);
        QTest::newRow("none") << 0.0 << clWhite;
        QTest::newRow("negative stays at the first") << -1.0 << clWhite;
        QTest::newRow("whole") << 1.0 << RGB(0, 0, 255);
        QTest::newRow("beyond whole stays at the second") << 2.0 << RGB(0, 0, 255);
        QTest::newRow("quarter") << 0.25 << RGB(191, 191, 255);
    }

    void blendingRoundsHalvesToEven()
    {
        QFETCH(double, x);
        QFETCH(int, expected);
        QCOMPARE(BlendColor(clWhite, RGB(0, 0, 255), x), expected);
        QCOMPARE(RoundHalfEven(126.5), 126);
        QCOMPARE(RoundHalfEven(127.5), 128);
        QCOMPARE(RoundHalfEven(127.49), 127);
    }

    void measuresRowsAndColumnsFromSamples()
    {
        TPointsTopListGrid grid(nullptr);
        TRecordingCanvas canvas;
        grid.Measure(canvas);
        QCOMPARE(grid.DefaultRowHeight(), 13 + 4);
        // Text width plus 16 with the 3-D look ("Symbol", and "99,999.99" for prices
        // and changes, the widest number they are made for).
        QCOMPARE(grid.ColWidths(0), 42 + 16);
        QCOMPARE(grid.ColWidths(1), 63 + 16);
        QCOMPARE(grid.ColWidths(2), 63 + 16);

        grid.SetCtl3D(false);
        grid.Measure(canvas);
        QCOMPARE(grid.ColWidths(0), 42 + 12);
        QCOMPARE(grid.ColWidths(2), 63 + 12);

        // In another locale, with its separators.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(WidestNumber(2), QStringLiteral("99.999,99"));
        QCOMPARE(WidestNumber(1), QStringLiteral("99.999,9"));
    }

    void constructionDefaults()
    {
        QWidget owner;
        TPointsTopListGrid grid(&owner);
        QCOMPARE(grid.parentWidget(), &owner);
        QCOMPARE(grid.Color(), clBlack);
        QCOMPARE(grid.TextColor(), clWhite);
        QCOMPARE(grid.ColCount(), 3);
        QCOMPARE(grid.RowCount(), 2);
        QVERIFY(grid.ColumnSizing());
        QVERIFY(grid.ThumbTracking());
        QVERIFY(grid.RowSelect());
        QCOMPARE(grid.FixedColor(), FromQColor(grid.palette().color(QPalette::Button)));
        // Measured with the owner's font.
        const QFontMetrics metrics(owner.font(), grid.viewport());
        QCOMPARE(grid.DefaultRowHeight(), metrics.height() + 4);
        QCOMPARE(grid.ColWidths(0), metrics.horizontalAdvance(QStringLiteral("Symbol")) + 16);
    }

    void headerCellsAreBevelledAndCentred()
    {
        TPointsTopListGrid grid(nullptr);
        TRecordingCanvas measure;
        grid.Measure(measure);
        const TPaintedCell header = PaintOneCell(grid, 0, 0);
        QCOMPARE(header.Cell, QRect(0, 0, 58, 17));
        QCOMPARE(header.Background, grid.FixedColor());
        QVERIFY(header.Beveled);
        QCOMPARE(header.Text(), QStringLiteral("Symbol"));
        QCOMPARE(header.TextColor(), clBlack);
        QCOMPARE(header.Texts[0].Style, TFontStyles());
        // One pixel for the bevel, then 3 on either side.
        QCOMPARE(header.Texts[0].Clip, QRect(4, 1, 50, 15));
        QCOMPARE(header.Texts[0].X, 4 + (50 - 42) / 2);
        QCOMPARE(header.Texts[0].Y, 1 + (15 - 13) / 2);
    }

    void insetOnlyFromFifteenPixels_data()
    {
        QTest::addColumn<bool>("ctl3D");
        QTest::addColumn<int>("columnWidth");
        QTest::addColumn<int>("row");
        QTest::addColumn<QRect>("clip");
        // Header rectangles lose the bevel's pixel first, unless the look is flat.
        QTest::newRow("header 14") << true << 16 << 0 << QRect(1, 1, 14, 15);
        QTest::newRow("header 15") << true << 17 << 0 << QRect(4, 1, 9, 15);
        QTest::newRow("flat header 14") << false << 14 << 0 << QRect(0, 0, 14, 17);
        QTest::newRow("flat header 15") << false << 15 << 0 << QRect(3, 0, 9, 17);
        QTest::newRow("data 14") << true << 14 << 1 << QRect(0, 17, 14, 17);
        QTest::newRow("data 15") << true << 15 << 1 << QRect(3, 17, 9, 17);
    }

    void insetOnlyFromFifteenPixels()
    {
        QFETCH(bool, ctl3D);
        QFETCH(int, columnWidth);
        QFETCH(int, row);
        QFETCH(QRect, clip);
        TPointsTopListGrid grid(nullptr);
        grid.SetCtl3D(ctl3D);
        TRecordingCanvas measure;
        grid.Measure(measure);
        grid.SetEntries({PointsEntry(QStringLiteral("A"), 1, 1)});
        grid.SetColWidths(0, columnWidth);
        const TPaintedCell cell = PaintOneCell(grid, 0, row);
        QCOMPARE(cell.Beveled, ctl3D && row == 0);
        QCOMPARE(cell.Texts.size(), 1);
        QCOMPARE(cell.Texts[0].Clip, clip);
    }

    void longAndUnknownHeaders()
    {
        TPointsTopListGrid grid(nullptr);
        TRecordingCanvas measure;
        grid.Measure(measure);
        // 40 - 2 - 6 = 32 pixels: "S" and the dots, centred.
        grid.SetColWidths(0, 40);
        TPaintedCell header = PaintOneCell(grid, 0, 0);
        QCOMPARE(header.Text(), QStringLiteral("S..."));
        QCOMPARE(header.Texts[0].X, 4 + (32 - 28) / 2);
        // Narrower than the dots: they start at the left and are clipped.
        grid.SetColWidths(0, 10);
        header = PaintOneCell(grid, 0, 0);
        QCOMPARE(header.Text(), QStringLiteral("..."));
        QCOMPARE(header.Texts[0].X, 1);
        QCOMPARE(header.Texts[0].Clip, QRect(1, 1, 8, 15));

        grid.SetColCount(4);
        QCOMPARE(PaintOneCell(grid, 3, 0).Text(), QString());
        QCOMPARE(PaintOneCell(grid, 3, 0).Background, grid.FixedColor());
    }

    // Server text is drawn as it reads: characters that turn or hide text show as
    // U+FFFD, so "ABC<override>LPPA" can never look like "ABCAPPL".
    void serverTextIsDrawnVisibly_data()
    {
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("drawn");
        QTest::newRow("clean") << QStringLiteral("BRK.B") << QStringLiteral("BRK.B");
        QTest::newRow("bidi override") << QStringLiteral("ABC\u202ELPPA") << QStringLiteral("ABC\uFFFDLPPA");
        QTest::newRow("zero width") << QStringLiteral("A\u200BB") << QStringLiteral("A\uFFFDB");
        QTest::newRow("escape") << QStringLiteral("A\x1b[2J") << QStringLiteral("A\uFFFD[2J");
    }

    void serverTextIsDrawnVisibly()
    {
        QFETCH(QString, symbol);
        QFETCH(QString, drawn);
        TPointsTopListGrid grid(nullptr);
        TRecordingCanvas measure;
        grid.Measure(measure);
        grid.SetColWidths(0, 200);
        grid.SetEntries({PointsEntry(symbol, 1, 1)});
        QCOMPARE(CellText(grid, 0, 1), drawn);
    }

    void listHandOverKeepsAPrivateCopy()
    {
        TPointsTopListGrid grid(nullptr);
        TRecordingCanvas measure;
        grid.Measure(measure);
        QCOMPARE(grid.RowCount(), 2);

        TPointsTopListEntries list = {PointsEntry(QStringLiteral("AAA"), 1, 1), PointsEntry(QStringLiteral("BBB"), 2, 2),
                                      PointsEntry(QStringLiteral("CCC"), 3, 3)};
        grid.SetEntries(list);
        QCOMPARE(grid.RowCount(), 4);
        QCOMPARE(CellText(grid, 0, 1), QStringLiteral("AAA"));
        QCOMPARE(CellText(grid, 0, 3), QStringLiteral("CCC"));

        list[0].Symbol = "ZZZ";
        list.removeLast();
        QCOMPARE(grid.RowCount(), 4);
        QCOMPARE(CellText(grid, 0, 1), QStringLiteral("AAA"));
        QCOMPARE(CellText(grid, 0, 3), QStringLiteral("CCC"));

        grid.SetEntries({});
        QCOMPARE(grid.RowCount(), 2);
        const TPaintedCell empty = PaintOneCell(grid, 0, 1);
        QCOMPARE(empty.Background, clBlack);
        QVERIFY(empty.Texts.isEmpty());
    }
};

QTEST_MAIN(TestGridFrame)
#include "tst_GridFrame.moc"
