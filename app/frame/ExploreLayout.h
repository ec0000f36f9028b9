#pragma once

#include <QSet>
#include <QWidget>

#include "app/presenters/ExploreColumns.h"
#include "app/theme/AppMotion.h"
#include "app/state/AppState.h"

class QHBoxLayout;
class QVBoxLayout;

namespace korvane {

class CrossFade;
class MotionAnimation;
class NoticeBanner;
class SlideReveal;
class TopBar;

// The working window of the explore route: the top bar across the top, the
// mode's sidebar on the left, the canvas page in the middle and, when the
// window is wide enough, the inspector column on the right. Tab goes through
// them as they are read: sidebar, page, inspector, then the top bar, however
// late each part was made. As it opens the focus is on the canvas, else on
// the page's first control: one that shows and has a name, never the layout
// itself, so the first key starts from where the user looks.
class ExploreLayout : public QWidget {
    Q_OBJECT
public:
    ExploreLayout(AppState& state, bool showsInspector, QWidget* parent = nullptr);

    bool showsInspector() const { return showsInspector_; }
    // The user's wish for the inspector (the top bar's toggle).
    void setShowsInspector(bool shows);
    ExploreColumns columns() const;

    TopBar* topBar() const { return topBar_; }
    QWidget* sidebar() const { return sidebar_; }
    QWidget* canvasPage() const { return canvasPage_; }
    QWidget* inspector() const { return inspector_; }
    // The inspector's column, as wide as it shows right now (0 while hidden).
    QWidget* inspectorColumn() const { return inspectorColumn_; }
    // The old sidebar and page fading out over the new ones.
    CrossFade* pageFade() const { return pageFade_; }
    // The notice of an action that ended on the explorer (a whole put back
    // in developer mode lands here after its scan), under the top bar until
    // dismissed; its holder slides it in and out.
    SlideReveal* noticeSlot() const { return noticeSlot_; }
    NoticeBanner* notice() const { return notice_; }
    // What Tab reaches now, in the order it reaches them.
    QWidgetList tabStops() const;

signals:
    void showsInspectorChanged(bool shows);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    // Each part of the window is made in one place, so the real part takes
    // its placeholder's place there.
    TopBar* makeTopBar();
    QWidget* makeSidebar(AppState::Mode mode);
    QWidget* makeCanvasPage(AppState::Mode mode, AppState::GeneralSection section);
    QWidget* makeInspector();
    // Puts the focus where a page opens with it: the canvas, else the page's first control.
    void focusLanding();
    SlideReveal* makeNotice();
    void followNotice();

    // New sidebar and page when the mode or the section changed.
    void followPage();
    void fadeOutPage();
    // The whole row under the top bar fades from its old look (an action changed all of it).
    void fadeOutRow(const Motion& motion);
    void followColumns();
    void setInspectorWidth(int width);
    // Adds `widget` when it is a stop, then what its children hold, in reading order.
    static void appendInReadingOrder(QWidget* widget, const QSet<QWidget*>& stops, const QSet<QWidget*>& holders,
                                     QWidgetList& ordered);

    AppState& state_;
    bool showsInspector_;
    AppState::Mode mode_;
    AppState::GeneralSection section_;
    TopBar* topBar_;
    QHBoxLayout* row_;
    QWidget* sidebar_ = nullptr;
    QWidget* canvasPage_ = nullptr;
    QWidget* inspectorColumn_;
    QWidget* inspector_;
    MotionAnimation* inspectorWidth_;
    CrossFade* pageFade_;
    NoticeBanner* notice_ = nullptr;
    SlideReveal* noticeSlot_ = nullptr;
};

}  // namespace korvane
