// GoogleTest entry point for tests that drive Qt (widgets, WebEngine, timers).
#include "reporting/ui/ChartSchemeHandler.h"

#include <QApplication>
#include <QtWebEngineCore/qtwebenginecoreglobal.h>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    ChartSchemeHandler::RegisterChartScheme();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
