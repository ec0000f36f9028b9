#pragma once

#include <QWidget>
#include <optional>

#include "app/presenters/ApplicationsContent.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListView;
class QScrollArea;
class QStackedWidget;

namespace korvane {

class AppListModel;
class AppState;
class EmptyStateView;
class KitButton;
class SymbolButton;

// The applications page: the installed applications with what each leaves
// behind, filtered by name, and one of them in detail with its leftovers
// and the uninstall, which stages everything for the ordinary review. The
// first showing with nothing listed starts the application scan.
class ApplicationsView : public QWidget {
    Q_OBJECT
public:
    explicit ApplicationsView(AppState& state, QWidget* parent = nullptr);

    const ApplicationsPageContent& content() const { return content_; }
    // The detail pane's content; absent without an application shown.
    const std::optional<AppDetailContent>& detail() const { return detail_; }
    QLineEdit* filterField() const { return filter_; }
    SymbolButton* refreshButton() const { return refresh_; }
    QListView* list() const { return list_; }
    QCheckBox* includeBundleBox() const { return includeBundleBox_; }
    KitButton* uninstallButton() const { return uninstall_; }
    KitButton* showInFileManagerButton() const { return showInFileManager_; }

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void refresh();
    void rebuildDetail();
    void restyle();

    AppState& state_;
    ApplicationsPageContent content_;
    std::optional<AppDetailContent> detail_;
    std::optional<InstalledApp> detailApp_;
    bool includeBundle_ = true;  // kept while other applications are shown
    bool appeared_ = false;
    QLineEdit* filter_;
    SymbolButton* refresh_;
    QStackedWidget* body_;
    QWidget* looking_;
    QLabel* lookingText_;
    QListView* list_;
    AppListModel* model_;
    QWidget* footer_;
    QLabel* footerText_;
    QStackedWidget* detailPane_;
    QScrollArea* detailScroll_;
    EmptyStateView* empty_;
    QCheckBox* includeBundleBox_ = nullptr;
    KitButton* uninstall_ = nullptr;
    KitButton* showInFileManager_ = nullptr;
};

}  // namespace korvane
