#pragma once

#include <QLabel>

namespace korvane {

// A one-line plain-text label that elides what does not fit; the whole text
// stays its text (and so what a screen reader reads) and, while it is cut
// and the label has no tooltip of its own, its tooltip.
class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(const QString& text = {}, QWidget* parent = nullptr,
                         Qt::TextElideMode mode = Qt::ElideRight);

    QSize minimumSizeHint() const override;
    // The line as drawn in the label's present width.
    QString shownText() const;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    Qt::TextElideMode mode_;
};

}  // namespace korvane
