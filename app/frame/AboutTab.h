#pragma once

#include <QWidget>

class QLabel;

namespace korvane {

class SymbolView;

// The "About" tab: what the program is and a word on privacy. No controls.
class AboutTab : public QWidget {
    Q_OBJECT
public:
    explicit AboutTab(QWidget* parent = nullptr);

protected:
    void changeEvent(QEvent* event) override;

private:
    void restyle();

    SymbolView* drive_;
    QLabel* title_;
    QLabel* tagline_;
    SymbolView* shield_;
    QLabel* privacy_;
};

}  // namespace korvane
