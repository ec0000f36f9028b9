#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>

#include "app/theme/Texture.h"

namespace korvane {

// The theme's background texture, laid over a whole window's content. It
// lets every click and hover through to what lies beneath.
class TextureOverlay : public QWidget {
    Q_OBJECT
public:
    explicit TextureOverlay(QWidget* parent = nullptr);

    void setTexture(Texture texture, const QColor& ink);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Texture texture_ = Texture::none;
    QColor ink_;
    // The marks of the last size, drawn once: repaints of the content below
    // repaint the overlay too.
    QPixmap cache_;
};

}  // namespace korvane
