#pragma once
// Answers the chart requests of the status pages (pellago://charts/chart?...)
// with a PNG drawn by the chart renderer, so the pages need no chart service.

#include <QWebEngineUrlSchemeHandler>

class ChartSchemeHandler : public QWebEngineUrlSchemeHandler {
    Q_OBJECT
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
    void requestStarted(QWebEngineUrlRequestJob* job) override;

    // The scheme must be known to the engine before the application object
    // exists; the program's main and the test mains call this first.
    static void RegisterChartScheme();
};
