#pragma once

#include <QAbstractButton>
#include <QWidget>

#include "app/presenters/OnboardingContent.h"

class QGraphicsOpacityEffect;
class QLabel;
class QVariantAnimation;

namespace korvane {

class DeveloperState;
class FolderScanState;
class MotionAnimation;
class SymbolView;

// One of the onboarding screen's two large choices: a symbol, a title, a
// description and three tags on a card that lights up under the pointer and
// gives a little when pressed.
class ChoiceCard : public QAbstractButton {
    Q_OBJECT
public:
    explicit ChoiceCard(const OnboardingChoice& choice, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void restyle();

    SymbolView* symbol_;
    QLabel* title_;
    QLabel* description_;
    QList<QLabel*> tags_;
    bool hovering_ = false;
    bool keyboardFocus_ = false;
    MotionAnimation* highlight_;  // 0 plain, 1 hovered or pressed
    MotionAnimation* scale_;
};

// The first screen: what the program is for and the two ways in. Choosing a
// card starts its scan; the screen fades in while rising as it first shows.
class OnboardingView : public QWidget {
    Q_OBJECT
public:
    static constexpr double entranceOffset = 8;
    static constexpr int entranceMilliseconds = 400;
    static constexpr int cardsMaximumWidth = 720;

    OnboardingView(FolderScanState& folderScan, DeveloperState& developer, QWidget* parent = nullptr);

    QList<ChoiceCard*> cards() const { return cards_; }
    // The entrance's progress: 0 before the screen first shows, 1 once it is in place.
    double entrance() const;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void finishEntrance();
    void choose(OnboardingChoice::Action action);
    void placeContent();
    void restyle();

    FolderScanState& folderScan_;
    DeveloperState& developer_;
    QWidget* content_;
    SymbolView* symbol_;
    QLabel* heading_;
    QLabel* introduction_;
    QList<ChoiceCard*> cards_;
    SymbolView* reassuranceSymbol_;
    QLabel* reassurance_;
    QGraphicsOpacityEffect* fade_;
    QVariantAnimation* appear_;
    bool appeared_ = false;
};

}  // namespace korvane
