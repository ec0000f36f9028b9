#pragma once

#include <QWidget>

class QLabel;

namespace korvane {

// Holds the place of a part of the window that is not built yet: its name,
// quietly, on the rail or the canvas colour. Each use stands alone so the
// real part can take its place.
class PlaceholderPane : public QWidget {
    Q_OBJECT
public:
    enum class Surface { canvas, rail };

    PlaceholderPane(const QString& title, Surface surface, QWidget* parent = nullptr);

    QString title() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void restyle();

    Surface surface_;
    QLabel* title_;
};

}  // namespace korvane
