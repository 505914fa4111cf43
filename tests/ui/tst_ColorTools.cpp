#include "client/ui/widgets/ColorTools.h"
#include "shared/Exception.h"

#include <QtTest>

namespace {

QImage Filled(int width, int height, QRgb color)
{
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(QColor(color));
    return image;
}

} // namespace

class TestColorTools : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sizeIsWholeBlocksOnly_data()
    {
        QTest::addColumn<QSize>("source");
        QTest::addColumn<int>("factorX");
        QTest::addColumn<int>("factorY");
        QTest::addColumn<QSize>("result");
        QTest::newRow("9x9 by 3") << QSize(9, 9) << 3 << 3 << QSize(3, 3);
        QTest::newRow("10x11 by 3") << QSize(10, 11) << 3 << 3 << QSize(3, 3);
        QTest::newRow("7x8 by 2 and 3") << QSize(7, 8) << 2 << 3 << QSize(3, 2);
        QTest::newRow("mirrored 5x1 by 2") << QSize(5, 1) << -2 << 1 << QSize(2, 1);
        QTest::newRow("narrower than a block is empty") << QSize(2, 9) << 3 << 3 << QSize(0, 0);
    }

    void sizeIsWholeBlocksOnly()
    {
        QFETCH(QSize, source);
        QFETCH(int, factorX);
        QFETCH(int, factorY);
        QFETCH(QSize, result);
        QImage destination;
        ShrinkBitmap(Filled(source.width(), source.height(), qRgb(1, 2, 3)), destination, factorX,
                     factorY);
        QCOMPARE(destination.size(), result);
        if (!result.isEmpty())
            QCOMPARE(destination.format(), QImage::Format_RGB888);
    }

    void meanRoundsHalvesUpwards()
    {
        QImage block = Filled(3, 3, qRgb(255, 255, 255));
        block.setPixel(1, 1, qRgb(0, 0, 0));
        QImage destination;
        ShrinkBitmap(block, destination, 3, 3);
        QCOMPARE(destination.pixel(0, 0), qRgb(227, 227, 227));

        QImage pair(2, 1, QImage::Format_RGB888);
        pair.setPixel(0, 0, qRgb(0, 0, 0));
        pair.setPixel(1, 0, qRgb(1, 1, 1));
        ShrinkBitmap(pair, destination, 2, 1);
        QCOMPARE(destination.pixel(0, 0), qRgb(1, 1, 1));
    }

    void eachBlockLandsInItsOwnPixelWithChannelsApart()
    {
        // Blocks of 2 by 3 in a 5 by 7 source whose last column and row are white and
        // ignored; each pixel's channels differ so that a swapped channel, row or
        // column shows.
        QImage source = Filled(5, 7, qRgb(255, 255, 255));
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 4; ++x)
                source.setPixel(x, y, qRgb(10 * x, 20 * y, 100 + x + y));
        QImage destination;
        ShrinkBitmap(source, destination, 2, 3);
        QCOMPARE(destination.size(), QSize(2, 2));
        // Block (0, 0): x 0..1, y 0..2. red mean 5, green mean 20, blue mean 101.5 upwards.
        QCOMPARE(destination.pixel(0, 0), qRgb(5, 20, 102));
        QCOMPARE(destination.pixel(1, 0), qRgb(25, 20, 104));
        QCOMPARE(destination.pixel(0, 1), qRgb(5, 80, 105));
        QCOMPARE(destination.pixel(1, 1), qRgb(25, 80, 107));
    }

    void negativeHorizontalFactorMirrors()
    {
        QImage source(4, 2, QImage::Format_RGB888);
        for (int y = 0; y < 2; ++y) {
            source.setPixel(0, y, qRgb(10, 20, 30));
            source.setPixel(1, y, qRgb(10, 20, 30));
            source.setPixel(2, y, qRgb(200, 100, 50));
            source.setPixel(3, y, qRgb(200, 100, 50));
        }
        QImage destination;
        ShrinkBitmap(source, destination, -2, 2);
        QCOMPARE(destination.size(), QSize(2, 1));
        QCOMPARE(destination.pixel(0, 0), qRgb(200, 100, 50));
        QCOMPARE(destination.pixel(1, 0), qRgb(10, 20, 30));
    }

    void sourceOfAnotherFormatIsReadAs24Bit()
    {
        QImage source(3, 3, QImage::Format_ARGB32);
        source.fill(qRgb(90, 60, 30));
        QImage destination;
        ShrinkBitmap(source, destination, 3, 3);
        QCOMPARE(destination.format(), QImage::Format_RGB888);
        QCOMPARE(destination.pixel(0, 0), qRgb(90, 60, 30));
    }

    void negativeVerticalFactorIsNotImplemented()
    {
        QImage destination;
        try {
            ShrinkBitmap(Filled(4, 4, qRgb(0, 0, 0)), destination, 2, -1);
            QFAIL("no assertion error");
        } catch (const EAssertionFailed &e) {
            QVERIFY2(e.Message().startsWith(QStringLiteral("Not implemented yet. (ColorTools.cpp, line ")),
                     qPrintable(e.Message()));
        }
        QVERIFY(destination.isNull());
    }

    void zeroFactorIsABrokenPrecondition()
    {
        QImage destination;
        QVERIFY_THROWS_EXCEPTION(EAssertionFailed,
                                 ShrinkBitmap(Filled(4, 4, qRgb(0, 0, 0)), destination, 0, 2));
    }
};

QTEST_GUILESS_MAIN(TestColorTools)
#include "tst_ColorTools.moc"
