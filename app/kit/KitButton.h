#pragma once

#include <string>

#include <QPushButton>

#include "app/theme/ButtonLook.h"

class QGraphicsDropShadowEffect;

namespace korvane {

class MotionAnimation;

// The kit's two buttons: `solid` for the primary action of a screen, `outline`
// for secondary ones. The title is data: shown exactly as given, elided when
// the button is too narrow. It takes the keyboard focus from Tab, never from
// a click.
class KitButton : public QPushButton {
    Q_OBJECT
public:
    enum class Style { solid, outline };

    KitButton(Style style, const QString& title, QWidget* parent = nullptr);

    void setTitle(const QString& title);
    QString title() const { return title_; }
    // A symbol before the title; empty for none.
    void setSymbol(std::string symbol);

    // The look the button is moving to (the one it shows once animations settle).
    ButtonLook targetLook() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Only the pointer's changes animate; the enabled state and the theme switch at once.
    enum class Change { press, hover, other };
    void follow(Change change);

    Style style_;
    QString title_;
    std::string symbol_;
    bool hovering_ = false;
    MotionAnimation* scale_;
    MotionAnimation* background_;
    MotionAnimation* shadowColor_;
    QGraphicsDropShadowEffect* shadow_ = nullptr;
};

}  // namespace korvane
