#pragma once

#include <QPushButton>

namespace korvane {

// A borderless text button in the theme's accent colour, for light actions
// beside content ("Cancel" under a progress, "Remove" on a row). The title
// is shown exactly as given.
class LinkButton : public QPushButton {
    Q_OBJECT
public:
    LinkButton(const QString& title, const QFont& font, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString title_;
};

}  // namespace korvane
