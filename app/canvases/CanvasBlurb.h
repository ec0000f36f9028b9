#pragma once

#include <functional>

#include <QLabel>

namespace korvane {

// The canvas page's one-line description. Where the row is too narrow it
// shows only its first clauses ("Depth is age, width is size"), with the
// whole text as its tooltip, and where not even the first clause fits it
// shows nothing: never a sentence cut off in its middle. Its text stays
// whole (and so what a screen reader reads).
class CanvasBlurb : public QLabel {
    Q_OBJECT
public:
    explicit CanvasBlurb(QWidget* parent = nullptr);

    // What shows of `text` in `width`, measured with `widthOf`.
    static QString shortened(const QString& text, const std::function<qreal(const QString&)>& widthOf,
                             qreal width);
    // What shows now.
    QString shownText() const;

    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace korvane
