// GoogleTest entry point for tests of the layers below the widgets: a QGuiApplication (fonts,
// pictures, the clipboard's types) and no QApplication, so no widget can be built.
#include <QGuiApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
