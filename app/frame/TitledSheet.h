#pragma once

#include <QWidget>

class QLabel;

namespace korvane {

class KitButton;

// The frame of the settings and history sheets: the title and "Done" above
// a divider, the content below.
class TitledSheet : public QWidget {
    Q_OBJECT
public:
    TitledSheet(const QString& title, QWidget* content, QWidget* parent = nullptr);

    KitButton* doneButton() const { return done_; }

signals:
    void closeRequested();

private:
    void restyle();

    QLabel* title_;
    KitButton* done_;
};

}  // namespace korvane
