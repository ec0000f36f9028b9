#pragma once

#include <functional>

#include <QAbstractButton>

namespace korvane {

class MotionAnimation;
class SymbolView;

// A choosable row of a Dropdown's list: the caller's content, then a check
// mark that shows on the selected row (and keeps its room on the others).
// Choosing it runs the action only; closing the list is the action's business.
// Screen readers see a radio button whose name the creator sets; checking it
// (their "Toggle") chooses the row as a click does. Return and Space choose
// the focused row; the arrows, Home and End are the list's to handle.
class DropdownRow : public QAbstractButton {
    Q_OBJECT
public:
    DropdownRow(bool isSelected, std::function<void()> action, QWidget* content, QWidget* parent = nullptr);

    // The pickers' row: a leading mark, then the title over a smaller caption
    // in the given colour. Screen readers read the title and the caption.
    static DropdownRow* titled(QWidget* mark, const QString& title, const QString& caption,
                               const QColor& captionColor, bool isSelected, std::function<void()> action);

    bool isSelected() const { return isChecked(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // The check shows the selection given, not clicks.
    void nextCheckState() override {}

private:
    void showCheck(bool shown);
    void highlight();

    SymbolView* check_;
    MotionAnimation* hover_;
};

}  // namespace korvane
