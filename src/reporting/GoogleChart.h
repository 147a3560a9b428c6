#pragma once
// Balance charts as image requests. The history is cut into windows (the last
// 7, 30, 180 or all days), each window is scaled to its own range and written
// as an <img> whose address asks for a line chart with a fixed set of query
// keys in a fixed order. The scheme and host are the program's own: the
// status view answers them with its renderer; the path is "/chart".

#include <optional>
#include <string>
#include <vector>

inline constexpr char kChartScheme[] = "pellago";
inline constexpr char kChartHost[] = "charts";
// "pellago://charts/chart", the address every chart request starts with.
std::string ChartEndpoint();

struct TChartRequest {
    int Points = 0; // days the chart spans; negative: every line of the history
    std::string Title;
    int Width = 0;
    int Height = 0;
};

// One chart element per request, in request order, separated by CR LF. Reads
// BalanceWithInOut.csv when it exists, else Balance.csv. An empty history, or
// a window without a positive amount, gives "データなし" for that chart.
std::string MakeBalanceCharts(const std::vector<TChartRequest>& requests);

// One series (oldest first; nullopt marks a day without a value) as an image
// element, with three y labels (bottom, middle, top) and one x label per value.
std::string ExportGoogleChart(const std::vector<std::optional<double>>& values, const std::string& title,
                              int width, int height, const std::vector<std::string>& yLabels,
                              const std::vector<std::string>& xLabels);

// The width the status pages divide among their charts: the right-hand
// panel's width less 86, at least 10.
int ChartAreaWidth(int panelWidth);
// The whole-period chart of the in/out page for a browser of that height.
TChartRequest InOutChartRequest(int chartAreaWidth, int browserHeight);
