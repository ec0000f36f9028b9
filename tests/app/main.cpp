#include <gtest/gtest.h>

#include <QApplication>

// The app tests share one QApplication that lives exactly as long as the run.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
