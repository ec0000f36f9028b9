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

    const QString& wholeText() const { return whole_; }
    // The lines shown in `width`.
    QStringList shownLines(int width) const;
    // The lines can be selected with the mouse and the keyboard; a copy of
    // all of them is the whole text, a copy of part is that part on one line.
    void setSelectable(bool selectable);
    // What a copy of the current selection holds.
    QString copiedText() const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // While selectable the label itself draws the shown lines.
    void showLines();

    QString whole_;
    int maxLines_;
    bool selectable_ = false;
    // The last lines laid out: layouts ask for the same width many times.
    mutable struct {
        int width = -1;
        QString text, font;
        QStringList lines;
    } laidOut_;
};

}  // namespace korvane
