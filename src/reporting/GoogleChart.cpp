#include "reporting/GoogleChart.h"

#include "base/AkUnit.h"
#include "reporting/BalanceHistory.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <stdexcept>

namespace {

const char kNoData[] = "<font size=\"-1\"><p style=\"margin-top:10px\">データなし</p></font>";
const char kUnreadable[] = "<font size=\"-1\"><p style=\"margin-top:10px\">残高履歴を読み取れませんでした</p></font>";
const char kMan[] = "%e4%b8%87"; // 万, URL-encoded UTF-8
const char kColour[] = "76A4FB";
constexpr int kMaxChartWidth = 1000;
constexpr int kMaxInOutHeight = 1000;
constexpr int kMaxInOutArea = 300000;
constexpr int kMinInOutHeight = 100;

// One day of the history as the charts read it.
struct TChartDay {
    std::string Label; // "11/5"
    long long Amount = 0;
};

std::vector<std::string> HistoryLines()
{
    std::error_code missing;
    const std::string path =
        std::filesystem::exists(BalanceWithInOutCsvPath(), missing) ? BalanceWithInOutCsvPath() : BalanceCsvPath();
    std::string text;
    ReadFileBytes(path, text);
    std::vector<std::string> lines;
    for (const std::string& line : SplitLines(text))
        if (!Trim(line).empty()) lines.push_back(line);
    return lines;
}

// A label is a month and a day; whatever else a hand-edited history holds
// is left out, so it can neither end the attribute nor split the label list.
std::string DateLabel(const std::string& text)
{
    std::string label;
    for (char c : text)
        if ((c >= '0' && c <= '9') || c == '/') label += c;
    return label;
}

TChartDay ReadDay(const std::string& line)
{
    const size_t comma = line.find(',');
    long long amount = 0;
    if (comma == std::string::npos || !TryParseInteger(line.substr(comma + 1), amount))
        throw std::invalid_argument("'" + line + "' is not a balance line");
    const size_t slash = line.find('/');
    const std::string label = slash < comma ? line.substr(slash + 1, comma - slash - 1) : std::string();
    return {DateLabel(label), amount};
}

// The last `count` days, oldest first.
std::vector<TChartDay> LastDays(const std::vector<std::string>& lines, size_t count)
{
    std::vector<TChartDay> days;
    for (size_t i = lines.size() - count; i < lines.size(); ++i)
        days.push_back(ReadDay(lines[i]));
    return days;
}

std::string ManLabel(double amount)
{
    return std::to_string(RoundHalfAway(amount / 10000)) + kMan;
}

// Keeps the first non-empty label and after it every step-th one, so the
// labels of a narrow chart do not overlap.
void ThinLabels(std::vector<std::string>& labels, int width)
{
    if (labels.size() < 2) return;
    const long long step = RoundHalfAway(static_cast<double>(labels.size()) * 34 / std::max(width, 1)) + 1;
    long long counter = step - 1;
    for (std::string& label : labels) {
        if (label.empty()) continue;
        ++counter;
        if (counter % step != 0) label.clear();
    }
}

std::string OneChart(const std::vector<TChartDay>& days, const TChartRequest& request)
{
    const size_t n = static_cast<size_t>(std::max(request.Points, 0));
    std::vector<std::optional<double>> values(n);
    std::vector<std::string> labels(n);
    const size_t start = n - std::min(n, days.size());
    for (size_t j = start; j < n; ++j) {
        const TChartDay& day = days[days.size() - (n - j)];
        values[j] = static_cast<double>(day.Amount);
        labels[j] = day.Label;
    }
    const auto [lowest, highest] = std::minmax_element(values.begin() + static_cast<long>(start), values.end());
    if (lowest == values.end() || **highest <= 0) return kNoData;
    const double min = **lowest;
    const double max = **highest;
    // A flat line (one day, or no change) sits mid-height on a range around its value.
    const double margin = min < max ? 0 : std::max(std::round(std::abs(min) / 100000) * 10000, 10000.0);
    const std::vector<std::string> yLabels{ManLabel(min - margin), ManLabel(min + RoundHalfAway((max - min) / 2)),
                                           ManLabel(max + margin)};
    ThinLabels(labels, request.Width);
    return ExportGoogleChart(values, request.Title, request.Width, request.Height, yLabels, labels);
}

// The encoded value of one day: 0 to 100 over the window's range, two
// decimals (halves to even); "-1" for a day without a value; the middle
// when every value is the same.
std::string EncodedValue(const std::optional<double>& value, double min, double scale)
{
    if (!value) return "-1";
    if (scale == 0) return "50";
    double v = *value - min;
    if (v != 0) v = std::nearbyint(v / scale * 100) / 100;
    return FormatDecimal(std::clamp(v, 0.0, 100.0));
}

std::string EncodeChartData(const std::vector<std::optional<double>>& values)
{
    double min = 0;
    double max = 0;
    bool any = false;
    for (const auto& value : values) {
        if (!value) continue;
        min = any ? std::min(min, *value) : *value;
        max = any ? std::max(max, *value) : *value;
        any = true;
    }
    const double scale = (max - min) / 100;
    std::string data;
    for (size_t i = 0; i < values.size(); ++i)
        data += (i ? "," : "") + EncodedValue(values[i], min, scale);
    return data;
}

std::string GridStep(size_t labelCount)
{
    if (labelCount < 2) return "0";
    double step = 100.0 / static_cast<double>(labelCount - 1);
    while (step < 10) step *= 2;
    return FormatDecimal(step);
}

std::string Labels(const std::vector<std::string>& labels)
{
    std::string text;
    for (const std::string& label : labels) text += "|" + label;
    return text;
}

} // namespace

std::string ChartEndpoint()
{
    return std::string(kChartScheme) + "://" + kChartHost + "/chart";
}

std::string ExportGoogleChart(const std::vector<std::optional<double>>& values, const std::string& title,
                              int width, int height, const std::vector<std::string>& yLabels,
                              const std::vector<std::string>& xLabels)
{
    return "<img src=\"" + ChartEndpoint() + "?" + "chs=" + std::to_string(std::min(width, kMaxChartWidth)) + "x" +
           std::to_string(height) + "&cht=lc" + "&chd=t:" + EncodeChartData(values) + "&chxt=x,y" + "&chxl=0:" +
           Labels(xLabels) + "|1:" + Labels(yLabels) + "&chg=" + GridStep(xLabels.size()) + ",50" +
           "&chls=2,1,0" + "&chtt=" + title + "&chco=" + kColour + "&chm=B," + kColour + ",0,0,0" +
           "\" alt=\"\">";
}

std::string MakeBalanceCharts(const std::vector<TChartRequest>& requests)
{
    const std::vector<std::string> lines = HistoryLines();
    std::vector<TChartRequest> charts = requests;
    size_t longest = 0;
    for (TChartRequest& chart : charts) {
        if (chart.Points < 0) chart.Points = static_cast<int>(lines.size());
        longest = std::max(longest, static_cast<size_t>(chart.Points));
    }
    std::vector<std::string> elements;
    try {
        const std::vector<TChartDay> days = LastDays(lines, std::min(longest, lines.size()));
        for (const TChartRequest& chart : charts)
            elements.push_back(days.empty() ? kNoData : OneChart(days, chart));
    } catch (const std::exception&) {
        elements.assign(charts.size(), kUnreadable);
    }
    std::string text;
    for (size_t i = 0; i < elements.size(); ++i)
        text += (i ? "\r\n" : "") + elements[i];
    return text;
}

int ChartAreaWidth(int panelWidth)
{
    const int width = panelWidth - 86;
    return width < 1 ? 10 : width;
}

TChartRequest InOutChartRequest(int chartAreaWidth, int browserHeight)
{
    TChartRequest chart;
    chart.Points = -1;
    chart.Width = std::min(static_cast<int>(RoundHalfAway(chartAreaWidth / 1.05)), kMaxChartWidth);
    chart.Height = std::min(browserHeight - 120, kMaxInOutHeight);
    if (static_cast<long long>(chart.Width) * chart.Height > kMaxInOutArea) chart.Height = kMaxInOutArea / chart.Width;
    // A small browser would otherwise ask for a chart too flat to read, or none at all.
    chart.Height = std::max(chart.Height, kMinInOutHeight);
    return chart;
}
