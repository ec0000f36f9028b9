#pragma once

#include <string>

#include "app/kit/Panel.h"

class QLabel;
class QMargins;

namespace korvane {

class LinkButton;
class SlideReveal;
class SymbolView;

// The one-line notice after an action, in a panel: a tick for what was done
// or a warning for what was refused, the text, and "Dismiss". Whoever shows
// it holds it in a SlideReveal and clears the notice when it is dismissed.
class NoticeBanner : public Panel {
    Q_OBJECT
public:
    explicit NoticeBanner(QWidget* parent = nullptr);
    // `banner` with `margins` around it, in a slide from the top that fades.
    static SlideReveal* inSlide(NoticeBanner* banner, const QMargins& margins);

    // A leaving banner keeps its last text: only a new notice changes it.
    void setNotice(const std::string& text, bool isProblem);
    QLabel* text() const { return text_; }
    LinkButton* dismissButton() const { return dismiss_; }

signals:
    void dismissed();

private:
    void restyle();

    bool isProblem_ = false;
    SymbolView* symbol_;
    QLabel* text_;
    LinkButton* dismiss_;
};

}  // namespace korvane
