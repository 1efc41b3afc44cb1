// Test main for the programs that need a Qt application object.  Widget tests
// run under the offscreen platform (set by ctest); the others need only Qt Core,
// but one QApplication serves both when the UI library is linked.
#include <gtest/gtest.h>

#ifdef QT_WIDGETS_LIB
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

int main(int argc, char** argv) {
    // Widget tests never need a display; test discovery runs them without one too.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    TestApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
