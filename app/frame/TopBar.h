#pragma once

#include <functional>
#include <vector>

#include <QPointer>
#include <QWidget>

#include "app/presenters/TopBarContent.h"

class QHBoxLayout;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;

namespace korvane {

class ElidedLabel;
class PillButton;
class ScaleReveal;
class SymbolView;
class ThemePicker;

// The strip across the top of the explore layout: the mode switch, History
// and Settings, the location (crumbs or the scanned folder), the filter of
// the developer tree, the theme picker and the inspector toggle.
class TopBar : public QWidget {
    Q_OBJECT
public:
    // `makeInspector` builds the inspector the popover shows in a narrow window.
    TopBar(PreferencesState& preferences, NavigationState& navigation, const FolderScanState& folderScan,
           std::function<QWidget*()> makeInspector, QWidget* parent = nullptr);
    ~TopBar() override;

    // The explore layout tells the bar the window's width and the user's wish.
    void setInspectorFits(bool fits);
    void setShowsInspector(bool shows);

    const TopBarContent& content() const { return content_; }
    QLineEdit* filterField() const { return filter_; }
    QWidget* filterCapsule() const { return filterCapsule_; }
    // In a narrow window: opens the filter, which closes again when it loses the focus empty.
    QPushButton* filterButton() const { return filterButton_; }
    // The filter's count of matches and its clear button, each grown in and out.
    ScaleReveal* badgeReveal() const { return badgeReveal_; }
    ScaleReveal* clearReveal() const { return clearReveal_; }
    // How far the filter's border has moved towards its focused look, 0 … 1.
    double filterFocus() const;
    QPushButton* inspectorToggle() const { return inspectorToggle_; }
    QWidget* inspectorPopover() const { return popover_; }
    std::vector<QPushButton*> crumbButtons() const;
    PillButton* modePill(Mode mode) const;
    PillButton* historyPill() const { return history_; }
    PillButton* settingsPill() const { return settings_; }

signals:
    // In a wide window the toggle shows or hides the inline column.
    void inspectorToggled();
    // Return in the filter: the text stays, and the focus goes to what it filters.
    void filterLeft();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* buildModePills();
    QLayout* buildSheetPills();
    void buildLocation();
    void buildFilter();
    void refresh();
    void restyle();
    // The refresh that follows every rebuild fits them to the room.
    void rebuildCrumbs();
    // The crumbs nearest the node on show stay whole in a narrow bar; the
    // first ones give way (see crumbWidths).
    void fitCrumbs();
    int crumbRoom() const;
    void toggleInspector();
    void colorMagnifier();
    void keepFilterHeight();

    PreferencesState& preferences_;
    NavigationState& navigation_;
    const FolderScanState& folderScan_;
    std::function<QWidget*()> makeInspector_;
    bool inspectorFits_ = true;
    bool showsInspector_ = true;
    TopBarContent content_;
    std::vector<PillButton*> modes_;
    PillButton* history_;
    PillButton* settings_;
    QWidget* crumbs_;
    QHBoxLayout* crumbRow_;
    ElidedLabel* scannedFolder_;
    QWidget* filterCapsule_;
    SymbolView* magnifier_;
    QLineEdit* filter_;
    QLabel* badge_;
    QPushButton* clear_;
    ScaleReveal* badgeReveal_;
    ScaleReveal* clearReveal_;
    ThemePicker* themePicker_;
    QPushButton* inspectorToggle_;
    QPushButton* filterButton_;
    bool filterOpened_ = false;  // from the button, in a narrow window
    SymbolView* inspectorSymbol_;
    QPointer<QWidget> popover_;
    QMetaObject::Connection focusFollow_;
};

}  // namespace korvane
