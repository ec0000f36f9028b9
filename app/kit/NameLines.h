#pragma once

#include <QLabel>
#include <QStringList>

namespace korvane {

// A name or a path on at most a few lines, broken where it breaks (a path
// after its slashes), and shortened in its middle past them, so that it
// never widens its column. The whole text stays its text, its tooltip and
// its accessible name.
class NameLines : public QLabel {
    Q_OBJECT
public:
    NameLines(const QString& text, int maxLines, QWidget* parent = nullptr);

    // The lines shown in `width`.
    QStringList shownLines(int width) const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int maxLines_;
    // The last lines laid out: layouts ask for the same width many times.
    mutable struct {
        int width = -1;
        QString text, font;
        QStringList lines;
    } laidOut_;
};

}  // namespace korvane
