#pragma once

#include <QMainWindow>

namespace korvane {

// The one main window of the application.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int minimumWidth = 720;
    static constexpr int minimumHeight = 560;

    explicit MainWindow(QWidget* parent = nullptr);
};

}  // namespace korvane
