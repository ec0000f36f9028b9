#pragma once

#include <QWidget>

#include "app/presenters/CompletionContent.h"

class QLabel;
class QVBoxLayout;

namespace korvane {

class ByteHeadline;
class DesktopActions;
class DeveloperState;
class KitButton;
class NoticeBanner;
class Panel;
class SlideReveal;
class SymbolView;
class VolumeColumnView;

// The screen after a cleanup: what it freed and from how many places, the
// disk before and after, what still lies in the Trash (with the means to put
// it back or empty it), what was not removed and why, the last notice, and
// "Copy summary" and "Done".
class CompleteView : public QWidget {
    Q_OBJECT
public:
    static constexpr int columnWidth = 500;

    CompleteView(DeveloperState& developer, const DesktopActions& desktop, QWidget* parent = nullptr);

    const CompletionContent& content() const { return content_; }
    // The notice banner's holder, which slides it in and out.
    SlideReveal* noticeBanner() const { return noticeSlot_; }

protected:
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;

private:
    QWidget* makeHeader();
    QWidget* makeBeforeAndAfter();
    QWidget* makeTrashPanel();
    QWidget* makeNotRemovedPanel();
    QWidget* makeNoticeBanner();
    QWidget* makeActions();
    // The column, centred and padded, in the screen's scroll area.
    void placeInScrollArea(QVBoxLayout* column);
    // The buttons, and Return and Enter as the screen's default action.
    void connectActions();
    // Return and Enter: the focused button, else "Done".
    void pressDefault();
    void refresh();
    void rebuildNotRemoved();
    void restyle();
    // The header's symbol: in the accent colour unless nothing was removed.
    void restyleHeader();

    DeveloperState& developer_;
    const DesktopActions& desktop_;
    CompletionContent content_;
    bool refreshed_ = false;

    QWidget* header_ = nullptr;
    SymbolView* checkmark_ = nullptr;  // the header's symbol
    QLabel* title_ = nullptr;
    ByteHeadline* freed_ = nullptr;
    QLabel* locations_ = nullptr;

    Panel* beforeAndAfter_ = nullptr;
    VolumeColumnView* before_ = nullptr;
    SymbolView* arrow_ = nullptr;
    VolumeColumnView* after_ = nullptr;

    Panel* trash_ = nullptr;
    SymbolView* trashSymbol_ = nullptr;
    QLabel* trashHeadline_ = nullptr;
    QLabel* trashExplanation_ = nullptr;
    KitButton* putBack_ = nullptr;
    KitButton* empty_ = nullptr;
    KitButton* openTrash_ = nullptr;

    Panel* notRemoved_ = nullptr;
    QLabel* notRemovedHeading_ = nullptr;
    QVBoxLayout* notRemovedRows_ = nullptr;

    SlideReveal* noticeSlot_ = nullptr;
    NoticeBanner* notice_ = nullptr;

    KitButton* copySummary_ = nullptr;
    KitButton* done_ = nullptr;
};

}  // namespace korvane
