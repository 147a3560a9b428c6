#include "reporting/ui/ChartRenderer.h"

#include <algorithm>

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QUrl>
#include <QUrlQuery>

#include <cmath>
#include <optional>

namespace {

constexpr int kMaxSide = 1000;
constexpr int kBlankSide = 16;
constexpr int kFontPixels = 10;
const QColor kGridColour(0xCC, 0xCC, 0xCC);
const QColor kAxisColour(0x99, 0x99, 0x99);
const QColor kTextColour(0x66, 0x66, 0x66);

struct TChartSpec {
    QSize Size;
    std::vector<std::optional<double>> Values; // 0-100; nullopt is a gap
    QStringList XLabels;
    QStringList YLabels;
    double GridX = 0; // percent of the plot's width; 0 means none
    double GridY = 0;
    double LineWidth = 2;
    QColor LineColour = QColor(0x76, 0xA4, 0xFB);
    std::optional<QColor> Fill;
    QString Title;
};

QString Value(const QUrlQuery& query, const char* key)
{
    return query.queryItemValue(QString::fromLatin1(key), QUrl::FullyDecoded);
}

std::optional<QSize> ParseSize(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char('x'));
    bool okWidth = false;
    bool okHeight = false;
    if (parts.size() != 2) return std::nullopt;
    const int width = parts[0].toInt(&okWidth);
    const int height = parts[1].toInt(&okHeight);
    if (!okWidth || !okHeight || width < 1 || height < 1 || width > kMaxSide || height > kMaxSide)
        return std::nullopt;
    return QSize(width, height);
}

std::optional<std::vector<std::optional<double>>> ParseData(const QString& text)
{
    if (!text.startsWith(QStringLiteral("t:"))) return std::nullopt;
    std::vector<std::optional<double>> values;
    for (const QString& item : text.mid(2).split(QLatin1Char(','))) {
        bool ok = false;
        const double value = item.toDouble(&ok);
        if (!ok || !std::isfinite(value)) return std::nullopt;
        values.push_back(value < 0 ? std::nullopt : std::optional<double>(std::min(value, 100.0)));
    }
    return values;
}

std::optional<QColor> ParseColour(const QString& hex)
{
    const QColor colour(QLatin1Char('#') + hex);
    return hex.size() == 6 && colour.isValid() ? std::optional<QColor>(colour) : std::nullopt;
}

// "0:|a|b|1:|c|d|e": the labels of axis 0 (x) and axis 1 (y).
void ParseAxisLabels(const QString& labels, TChartSpec& spec)
{
    QStringList* axis = nullptr;
    for (const QString& token : labels.split(QLatin1Char('|'))) {
        if (token == QStringLiteral("0:")) axis = &spec.XLabels;
        else if (token == QStringLiteral("1:")) axis = &spec.YLabels;
        else if (axis) axis->append(token);
    }
}

void ParseStyle(const QUrlQuery& query, TChartSpec& spec)
{
    const QStringList grid = Value(query, "chg").split(QLatin1Char(','));
    spec.GridX = std::clamp(grid.value(0).toDouble(), 0.0, 100.0);
    spec.GridY = std::clamp(grid.value(1).toDouble(), 0.0, 100.0);
    const double width = Value(query, "chls").split(QLatin1Char(',')).value(0).toDouble();
    if (width > 0) spec.LineWidth = std::min(width, 20.0);
    if (const auto colour = ParseColour(Value(query, "chco"))) spec.LineColour = *colour;
    const QStringList marker = Value(query, "chm").split(QLatin1Char(','));
    if (marker.value(0) == QStringLiteral("B")) spec.Fill = ParseColour(marker.value(1));
    spec.Title = Value(query, "chtt");
}

std::optional<TChartSpec> ParseSpec(const QUrlQuery& query)
{
    const auto size = ParseSize(Value(query, "chs"));
    const auto values = ParseData(Value(query, "chd"));
    if (!size || !values || values->empty() || Value(query, "cht") != QStringLiteral("lc")) return std::nullopt;
    TChartSpec spec;
    spec.Size = *size;
    spec.Values = *values;
    ParseAxisLabels(Value(query, "chxl"), spec);
    ParseStyle(query, spec);
    return spec;
}

// Where the plot lies in the image, leaving room for the title and labels.
QRectF PlotArea(const TChartSpec& spec, const QFontMetrics& metrics)
{
    int labelWidth = 0;
    for (const QString& label : spec.YLabels) labelWidth = std::max(labelWidth, metrics.horizontalAdvance(label));
    // The top y label and the last x label are centred on the plot's edges.
    const double left = labelWidth + 8;
    const double top = metrics.height() / 2.0 + 2 + (spec.Title.isEmpty() ? 0 : metrics.height() + 4);
    const double bottom = spec.XLabels.isEmpty() ? 4 : metrics.height() + 6;
    const double right = spec.XLabels.isEmpty() ? 8 : metrics.horizontalAdvance(spec.XLabels.last()) / 2.0 + 4;
    return QRectF(left, top, std::max(1.0, spec.Size.width() - left - right),
                  std::max(1.0, spec.Size.height() - top - bottom));
}

double PointX(const QRectF& plot, size_t index, size_t count)
{
    return count < 2 ? plot.left() : plot.left() + plot.width() * static_cast<double>(index) / (count - 1);
}

double PointY(const QRectF& plot, double value)
{
    return plot.bottom() - plot.height() * value / 100;
}

void DrawGrid(QPainter& painter, const QRectF& plot, const TChartSpec& spec)
{
    painter.setPen(QPen(kGridColour, 1, Qt::DashLine));
    for (double x = spec.GridX; spec.GridX > 0 && x < 100.0001; x += spec.GridX)
        painter.drawLine(QPointF(plot.left() + plot.width() * x / 100, plot.top()),
                         QPointF(plot.left() + plot.width() * x / 100, plot.bottom()));
    for (double y = spec.GridY; spec.GridY > 0 && y < 100.0001; y += spec.GridY)
        painter.drawLine(QPointF(plot.left(), PointY(plot, y)), QPointF(plot.right(), PointY(plot, y)));
    painter.setPen(QPen(kAxisColour, 1));
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    painter.drawLine(plot.bottomLeft(), plot.topLeft());
}

// Each unbroken run of values: filled down to the axis, then its line.
void DrawSeries(QPainter& painter, const QRectF& plot, const TChartSpec& spec)
{
    const size_t count = spec.Values.size();
    for (size_t start = 0; start < count;) {
        if (!spec.Values[start]) {
            ++start;
            continue;
        }
        QPolygonF line;
        size_t end = start;
        for (; end < count && spec.Values[end]; ++end)
            line << QPointF(PointX(plot, end, count), PointY(plot, *spec.Values[end]));
        if (spec.Fill && line.size() > 1) {
            QPolygonF area = line;
            area << QPointF(line.last().x(), plot.bottom()) << QPointF(line.first().x(), plot.bottom());
            painter.setPen(Qt::NoPen);
            painter.setBrush(*spec.Fill);
            painter.drawPolygon(area);
        }
        painter.setPen(QPen(spec.LineColour, spec.LineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        if (line.size() > 1) {
            painter.drawPolyline(line);
        } else {
            // A lone value (the first day's balance) has no line to draw: a dot a user can see.
            const double radius = std::max(3.0, spec.LineWidth * 1.5);
            painter.setBrush(spec.LineColour);
            painter.drawEllipse(line.first(), radius, radius);
        }
        start = end;
    }
}

void DrawLabels(QPainter& painter, const QRectF& plot, const TChartSpec& spec, const QFontMetrics& metrics)
{
    painter.setPen(kTextColour);
    const qsizetype xCount = spec.XLabels.size();
    for (qsizetype i = 0; i < xCount; ++i) {
        if (spec.XLabels[i].isEmpty()) continue;
        const double x = PointX(plot, static_cast<size_t>(i), static_cast<size_t>(xCount));
        const int width = metrics.horizontalAdvance(spec.XLabels[i]);
        painter.drawText(QPointF(x - width / 2.0, plot.bottom() + 3 + metrics.ascent()), spec.XLabels[i]);
    }
    const qsizetype yCount = spec.YLabels.size();
    for (qsizetype i = 0; i < yCount; ++i) {
        const double y = yCount < 2 ? plot.bottom() : plot.bottom() - plot.height() * i / (yCount - 1);
        const int width = metrics.horizontalAdvance(spec.YLabels[i]);
        painter.drawText(QPointF(plot.left() - 4 - width, y + metrics.ascent() / 2.0 - 1), spec.YLabels[i]);
    }
    if (!spec.Title.isEmpty())
        painter.drawText(QRectF(0, 2, spec.Size.width(), metrics.height()), Qt::AlignHCenter, spec.Title);
}

} // namespace

QImage BlankChart()
{
    QImage image(kBlankSide, kBlankSide, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

QImage RenderChart(const QUrlQuery& query)
{
    const std::optional<TChartSpec> spec = ParseSpec(query);
    if (!spec) return BlankChart();
    QImage image(spec->Size, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QFont font = painter.font();
    font.setPixelSize(kFontPixels);
    painter.setFont(font);
    const QFontMetrics metrics(font);
    const QRectF plot = PlotArea(*spec, metrics);
    DrawGrid(painter, plot, *spec);
    painter.setRenderHint(QPainter::Antialiasing);
    DrawSeries(painter, plot, *spec);
    painter.setRenderHint(QPainter::Antialiasing, false);
    DrawLabels(painter, plot, *spec, metrics);
    return image;
}
