#pragma once

#include <QPixmap>
#include <QWidget>
#include <string>

#include "app/canvases/CanvasParts.h"
#include "core/model/StorageNode.h"

namespace korvane {

class CanvasBase;
class MotionAnimation;

// The canvas host of both pages: shows the canvas of the state's mode over
// the root the page hands in. A new mode or any change of the filter text
// replaces the canvas with a fresh one (scaling and fading over the old one);
// a drill, a depth change or a new selection keeps it.
class CanvasDrawing : public QWidget {
    Q_OBJECT
public:
    explicit CanvasDrawing(const CanvasParts& parts, QWidget* parent = nullptr);

    // Called by the page after every change of the state, with the node it draws.
    void setRoot(const StorageNode* root);
    CanvasBase* canvas() const { return canvas_; }
    const std::string& identity() const { return identity_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void replaceCanvas();

    CanvasParts parts_;
    std::string identity_;
    CanvasBase* canvas_ = nullptr;
    QPixmap leaving_;
    MotionAnimation* transition_;
};

}  // namespace korvane
