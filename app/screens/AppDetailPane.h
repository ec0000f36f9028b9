#pragma once

#include <QStackedWidget>
#include <optional>

#include "app/presenters/ApplicationsContent.h"

class QBoxLayout;
class QCheckBox;
class QScrollArea;

namespace korvane {

class ApplicationsState;
class Clock;
class DesktopActions;
class EmptyStateView;
class KitButton;

// The applications page's detail pane: one application with its facts, what
// it leaves behind and the uninstall, or the page's empty state without one.
// Whether the application itself goes too is kept from one shown application
// to the next.
class AppDetailPane : public QStackedWidget {
    Q_OBJECT
public:
    AppDetailPane(ApplicationsState& applications, const DesktopActions& desktop, const Clock& clock,
                  QWidget* parent = nullptr);

    // Shows the application, or the empty state's text without one; the
    // page calls it again in a new palette.
    // `disposalOverride` is how the uninstall's review will remove.
    void showApp(const std::optional<InstalledApp>& app, const EmptyStateText& none,
                 std::optional<Disposal> disposalOverride = std::nullopt);
    std::optional<Disposal> disposalOverride() const { return disposalOverride_; }
    // The empty state's text on show without an application.
    const EmptyStateText& emptyState() const { return none_; }

    const std::optional<AppDetailContent>& content() const { return content_; }
    QCheckBox* includeBundleBox() const { return includeBundleBox_; }
    KitButton* uninstallButton() const { return uninstall_; }
    KitButton* showInFileManagerButton() const { return showInFileManager_; }

private:
    void rebuild();
    QBoxLayout* buildHeader(const InstalledApp& app);
    QWidget* buildFacts();
    QWidget* buildNothingLeftBehind();
    QWidget* buildLeftovers();
    void addLeftoverRow(QBoxLayout& rows, const LeftoverRowContent& leftover);
    QBoxLayout* buildUninstall();
    void connectUninstall();

    ApplicationsState& applications_;
    const DesktopActions& desktop_;
    const Clock& clock_;
    std::optional<InstalledApp> app_;
    std::optional<AppDetailContent> content_;
    EmptyStateText none_;
    bool includeBundle_ = true;
    std::optional<Disposal> disposalOverride_;
    QScrollArea* scroll_;
    EmptyStateView* empty_;
    QCheckBox* includeBundleBox_ = nullptr;
    KitButton* uninstall_ = nullptr;
    KitButton* showInFileManager_ = nullptr;
};

}  // namespace korvane
