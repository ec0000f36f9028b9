#pragma once

#include <QWidget>

class QLabel;

namespace korvane {

class ElidedLabel;

// One thing an application left behind: its kind as a tag, its path cut in
// its middle, its size. Side by side while the path keeps room enough to be
// read; in a narrow pane the path takes a line of its own under the tag and
// the size, so it is cut to the pane's width rather than to a sliver.
class LeftoverRow : public QWidget {
    Q_OBJECT
public:
    // The least room the path keeps beside the tag before it moves below.
    static constexpr int minimumPathBeside = 180;

    LeftoverRow(QLabel* tag, ElidedLabel* path, QLabel* bytes, QWidget* parent = nullptr);

    bool pathBelow() const { return pathBelow(width()); }
    ElidedLabel* path() const { return path_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    bool pathBelow(int width) const;
    int lineHeight() const;
    void place();

    QLabel* tag_;
    ElidedLabel* path_;
    QLabel* bytes_;
};

}  // namespace korvane
