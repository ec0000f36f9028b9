#pragma once

#include <QWidget>
#include <optional>

#include "app/presenters/ApplicationsContent.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListView;
class QStackedWidget;

namespace korvane {

class AppDetailPane;
class AppListModel;
class AppRowDelegate;
class ApplicationsState;
class Clock;
class CrossFade;
class DesktopActions;
class KitButton;
class MotionAnimation;
class SymbolButton;

// The applications page: the installed applications with what each leaves
// behind, filtered by name, and one of them in detail with its leftovers
// and the uninstall, which stages everything for the ordinary review. The
// first showing with nothing listed starts the application scan.
class ApplicationsView : public QWidget {
    Q_OBJECT
public:
    ApplicationsView(ApplicationsState& applications, const DesktopActions& desktop, const Clock& clock,
                     QWidget* parent = nullptr);

    const ApplicationsPageContent& content() const { return content_; }
    // The detail pane's content; absent without an application shown.
    const std::optional<AppDetailContent>& detail() const;
    QLineEdit* filterField() const { return filter_; }
    SymbolButton* refreshButton() const { return refresh_; }
    QListView* list() const { return list_; }
    QWidget* listColumn() const { return listColumn_; }
    QCheckBox* includeBundleBox() const;
    KitButton* uninstallButton() const;
    KitButton* showInFileManagerButton() const;
    // How much of the selection's highlight a row shows, 0 … 1: a new
    // selection moves it from the old row to the new on the quick spring.
    double rowHighlight(int row) const;
    // The detail pane's old look fading out over the new application's.
    CrossFade* detailFade() const { return detailFade_; }

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* buildListColumn();
    QLayout* buildFilterHeader();
    void buildLooking();
    void buildList();
    void buildFooter();
    // The list column as wide as the page allows, never narrower than its
    // rows need to show their figures whole, stacked where they must be.
    void fitListColumn();
    // What the widest row needs, measured as the rows change rather than at
    // every step of a resize.
    void measureRows();
    void refresh();
    void restyle();
    // A click moved the selection: the highlight and the detail pane follow on the spring.
    void moveSelection(std::optional<std::size_t> from);

    ApplicationsState& applications_;
    const Clock& clock_;
    ApplicationsPageContent content_;
    std::optional<InstalledApp> detailApp_;
    bool appeared_ = false;
    QWidget* listColumn_ = nullptr;
    QLineEdit* filter_;
    SymbolButton* refresh_;
    QStackedWidget* body_;
    QWidget* looking_;
    QLabel* lookingText_;
    QListView* list_;
    AppListModel* model_;
    AppRowDelegate* rowDelegate_ = nullptr;
    // The widest row's need, stacked and side by side (see measureRows).
    int stackedNeed_ = 0;
    int sideBySideNeed_ = 0;
    QWidget* footer_;
    QLabel* footerText_;
    AppDetailPane* detailPane_;
    MotionAnimation* selection_;
    std::optional<std::size_t> leavingRow_;
    CrossFade* detailFade_;
};

}  // namespace korvane
