// The chart renderer that answers the status pages' chart requests: the fill
// lies below the line and nowhere above it, gaps stay open, a lone value is
// a visible dot, and a request it cannot read gets a small blank image.

#include <QGuiApplication>
#include <QUrlQuery>
#include <QtTest>

#include "reporting/ui/ChartRenderer.h"

namespace {

const QColor kFill(0x76, 0xA4, 0xFB);
const QColor kWhite(Qt::white);

// Points at 0 %, 50 %, 100 %, a gap of two days, then 50 % twice; no labels
// and no grid, so only the series is coloured.
QUrlQuery SmallChart()
{
    return QUrlQuery(QStringLiteral("chs=300x200&cht=lc&chd=t:0,50,100,-1,-1,50,50&chxt=x,y&chxl=0:|1:"
                                    "&chg=0,0&chls=2,1,0&chtt=&chco=76A4FB&chm=B,76A4FB,0,0,0"));
}

} // namespace

class ChartRendererTest : public QObject {
    Q_OBJECT

private slots:
    void fillBelowTheLineNoneAboveGapsOpen()
    {
        const QImage chart = RenderChart(SmallChart());
        QCOMPARE(chart.size(), QSize(300, 200));
        // Find the plot: the columns and rows the fill reaches.
        int left = -1, right = -1, top = 200, bottom = -1;
        for (int x = 0; x < 300; ++x)
            for (int y = 0; y < 200; ++y)
                if (chart.pixelColor(x, y) == kFill) {
                    if (left < 0) left = x;
                    right = x;
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        QVERIFY(left >= 0);
        const double step = (right - left) / 6.0; // seven points, six steps
        auto columnX = [&](double points) { return static_cast<int>(left + step * points); };
        auto rowAt = [&](double percent) { return static_cast<int>(bottom - (bottom - top) * percent / 100); };

        // Half-way between the 50 % and 100 % points the line stands at 75 %.
        QCOMPARE(chart.pixelColor(columnX(1.5), rowAt(60)), kFill);
        QCOMPARE(chart.pixelColor(columnX(1.5), rowAt(90)), kWhite);
        // Between the two gaps nothing is drawn, from the axis to the top.
        for (int percent : {10, 50, 90})
            QCOMPARE(chart.pixelColor(columnX(3.5), rowAt(percent)), kWhite);
        // After the gap the line goes on at 50 %.
        QCOMPARE(chart.pixelColor(columnX(5.5), rowAt(40)), kFill);
        QCOMPARE(chart.pixelColor(columnX(5.5), rowAt(60)), kWhite);
    }

    // The first day's balance is the only value: it must show, not a pixel or two.
    void aLoneValueIsADotYouCanSee()
    {
        const QImage chart = RenderChart(QUrlQuery(QStringLiteral(
            "chs=300x200&cht=lc&chd=t:-1,-1,50,-1,-1&chxt=x,y&chxl=0:|1:&chg=0,0&chls=2,1,0&chtt=&chco=76A4FB")));
        int coloured = 0;
        for (int x = 0; x < chart.width(); ++x)
            for (int y = 0; y < chart.height(); ++y)
                coloured += chart.pixelColor(x, y) == kFill;
        QVERIFY2(coloured >= 20, qPrintable(QString::number(coloured)));
    }

    void malformedRequestsGetASmallBlankImage_data()
    {
        QTest::addColumn<QString>("query");
        QTest::newRow("no size") << QStringLiteral("cht=lc&chd=t:1,2");
        QTest::newRow("size too large") << QStringLiteral("chs=5000x100&cht=lc&chd=t:1,2");
        QTest::newRow("other chart type") << QStringLiteral("chs=100x100&cht=p3&chd=t:1,2");
        QTest::newRow("data not text") << QStringLiteral("chs=100x100&cht=lc&chd=s:AB");
        QTest::newRow("data not numbers") << QStringLiteral("chs=100x100&cht=lc&chd=t:1,x");
        QTest::newRow("empty") << QString();
    }

    void malformedRequestsGetASmallBlankImage()
    {
        QFETCH(QString, query);
        const QImage chart = RenderChart(QUrlQuery(query));
        QVERIFY(chart.width() <= 16 && chart.height() <= 16);
        for (int x = 0; x < chart.width(); ++x)
            for (int y = 0; y < chart.height(); ++y)
                QCOMPARE(chart.pixelColor(x, y).alpha(), 0);
    }
};

QTEST_MAIN(ChartRendererTest)
#include "ChartRendererTest.moc"
