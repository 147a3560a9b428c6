#pragma once
// Draws the line chart that a chart request's query keys describe: size
// (chs), type (cht=lc), data 0-100 with -1 gaps (chd=t:), axis labels
// (chxt, chxl), grid (chg), line style (chls), title (chtt), colour (chco)
// and the fill below the line (chm=B). A query that does not describe such a
// chart gives a small blank image.

#include <QImage>

class QUrlQuery;

QImage RenderChart(const QUrlQuery& query);
// What a malformed request is answered with.
QImage BlankChart();
