#include "client/ui/grid/TQtCanvas.h"

#include <QImage>
#include <QPainter>
#include <QtTest>

Q_DECLARE_METATYPE(QVector<TFontStyles>)

// The canvas on a real painter: the font it measures and draws with follows every
// change of style, however often a style is asked for again.
class TestQtCanvas : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void textIsMeasuredInTheLastStyleAskedFor_data()
    {
        QTest::addColumn<QVector<TFontStyles>>("styles");
        const TFontStyles plain;
        const TFontStyles bold(TFontStyle::fsBold);
        const TFontStyles italic(TFontStyle::fsItalic);
        QTest::newRow("plain") << QVector<TFontStyles>{plain};
        QTest::newRow("bold") << QVector<TFontStyles>{bold};
        QTest::newRow("bold twice") << QVector<TFontStyles>{bold, bold};
        QTest::newRow("bold, then plain") << QVector<TFontStyles>{bold, plain};
        QTest::newRow("plain, bold, plain, bold") << QVector<TFontStyles>{plain, bold, plain, bold};
        QTest::newRow("italic, then bold and italic") << QVector<TFontStyles>{italic, bold | italic};
    }

    void textIsMeasuredInTheLastStyleAskedFor()
    {
        QFETCH(QVector<TFontStyles>, styles);
        QImage image(200, 50, QImage::Format_RGB32);
        QPainter painter(&image);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(20);
        TQtCanvas canvas(painter, font, QPalette());
        const QString text = QStringLiteral("WWW 1234");
        for (const TFontStyles style : styles) {
            canvas.SetFontStyle(style);
            QFont expected = font;
            expected.setBold(style.testFlag(TFontStyle::fsBold));
            expected.setItalic(style.testFlag(TFontStyle::fsItalic));
            QCOMPARE(canvas.TextWidth(text), QFontMetrics(expected, &image).horizontalAdvance(text));
            QCOMPARE(painter.font().bold(), style.testFlag(TFontStyle::fsBold));
        }
    }

    void cachedWidthsFollowTheFontAndStyleOfEachPaint_data()
    {
        QTest::addColumn<int>("firstPixels");
        QTest::addColumn<int>("secondPixels");
        QTest::addColumn<bool>("secondBold");
        QTest::newRow("same font twice") << 20 << 20 << false;
        QTest::newRow("the font grows between paints") << 20 << 32 << false;
        QTest::newRow("bold in the second paint") << 20 << 20 << true;
    }

    // Two paints share one cache, as a grid's paints do.
    void cachedWidthsFollowTheFontAndStyleOfEachPaint()
    {
        QFETCH(int, firstPixels);
        QFETCH(int, secondPixels);
        QFETCH(bool, secondBold);
        QImage image(200, 50, QImage::Format_RGB32);
        TTextWidthCache cache;
        const QStringList texts{QStringLiteral("WWW 1234"), QStringLiteral("ibm"), QStringLiteral("WWW 1234")};
        const auto paint = [&](int pixels, bool bold) {
            QPainter painter(&image);
            QFont font(QStringLiteral("DejaVu Sans"));
            font.setPixelSize(pixels);
            TQtCanvas canvas(painter, font, QPalette(), &cache);
            canvas.SetFontStyle(bold ? TFontStyles(TFontStyle::fsBold) : TFontStyles());
            font.setBold(bold);
            for (const QString &text : texts)
                QCOMPARE(canvas.TextWidth(text), QFontMetrics(font, &image).horizontalAdvance(text));
        };
        paint(firstPixels, false);
        paint(secondPixels, secondBold);
    }
};

QTEST_MAIN(TestQtCanvas)
#include "tst_QtCanvas.moc"
