#pragma once

#include <functional>

#include <QAbstractButton>
#include <QList>
#include <QPointer>

#include "app/theme/DropdownGeometry.h"

namespace korvane {

class DropdownList;
class MotionAnimation;

// The app's own pop-up list. The dropdown itself is the label (any widget set
// with setLabel); clicking it opens a themed list built from the content
// function, just below or above it. The list closes when content calls the
// close action it was given, when the label is clicked again, on Escape, or
// when the user clicks anywhere else — a click that only closes the list and
// reaches nothing beneath it. Space, Return and the arrows open it from the
// keyboard, with the focus on the selected row. Screen readers read it as a
// combo box whose value is the choice it shows. The list opens and closes
// on the quick spring.
class Dropdown : public QAbstractButton {
    Q_OBJECT
public:
    using Direction = DropdownGeometry::Direction;
    using Alignment = DropdownGeometry::Alignment;
    using Close = std::function<void()>;
    // Builds the list's rows each time it opens.
    using Content = std::function<QList<QWidget*>(const Close& close)>;

    Dropdown(Alignment alignment, Direction direction, double width, QWidget* parent = nullptr);
    ~Dropdown() override;

    void setLabel(QWidget* label);
    void setContent(Content content);

    // What a screen reader reads as the picker's value: the choice it shows.
    QString accessibleValue() const { return accessibleValue_; }
    void setAccessibleValue(const QString& value);

    bool isOpen() const;
    void setOpen(bool open);
    // The open list's window, for tests and hosts; null while closed.
    QWidget* list() const;
    // The window that shows a closed list on its way out; null once it is gone.
    QWidget* closingList() const;
    // How the list shows at this moment (at rest while still or absent).
    DropdownGeometry::Look shownLook() const;
    // The rows fade in and drop into place by `points` as the list opens (0: they come with the list).
    void setRowEntrance(double points) { rowDrop_ = points; }

    QSize sizeHint() const override;

signals:
    void openChanged(bool isOpen);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void open();
    void listClosed();
    // The list grows from its anchor corner, slides in from a few points off
    // and fades in; closed, it shrinks a little where it stands and fades out.
    void playOpening(DropdownList& list);
    void playClosing(DropdownList& list);

    Alignment alignment_;
    Direction direction_;
    double width_;
    Content content_;
    QPointer<DropdownList> list_;
    QPointer<QWidget> closing_;
    double rowDrop_ = 0;
    QWidget* label_ = nullptr;
    QString accessibleValue_;
};

}  // namespace korvane
