#pragma once

#include <QWidget>

#include "app/presenters/EmptyStateText.h"

class QLabel;

namespace korvane {

class SymbolView;

// The placeholder of a page with nothing to list: a symbol, a title and a
// short message, centred in all the room it is given. The texts are shown
// as given, as plain text.
class EmptyStateView : public QWidget {
    Q_OBJECT
public:
    explicit EmptyStateView(const EmptyStateText& text, QWidget* parent = nullptr);

    void setText(const EmptyStateText& text);
    const EmptyStateText& text() const { return text_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void restyle();

    EmptyStateText text_;
    SymbolView* symbol_;
    QLabel* title_;
    QLabel* message_;
};

}  // namespace korvane
