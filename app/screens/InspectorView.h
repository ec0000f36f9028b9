#pragma once

#include <functional>
#include <optional>

#include <QWidget>

#include "app/presenters/InspectorContent.h"
#include "app/theme/AppMotion.h"

class QLabel;
class QScrollArea;
class QVBoxLayout;

namespace korvane {

class Clock;
class DesktopActions;
class DeveloperState;
class FolderScanState;
class KitButton;
class NavigationState;
class PreferencesState;
struct Palette;

// The detail panel beside the canvas: what the selected (else the focused)
// node is, its size and share, why it may go and how it comes back, its
// details and largest children, and what can be done with it. With no node
// it says how to pick one.
class InspectorView : public QWidget {
    Q_OBJECT
public:
    InspectorView(const PreferencesState& preferences, NavigationState& navigation, DeveloperState& developer,
                  const FolderScanState& folderScan, const DesktopActions& desktop, const Clock& clock,
                  QWidget* parent = nullptr);

    // None while the empty state shows.
    const std::optional<InspectorContent>& content() const { return content_; }
    KitButton* cleanupButton() const { return cleanup_; }

signals:
    // An action of the panel is about to change what the window shows
    // (the node leaves the tree): whoever holds the window's look lets the
    // old one go along `motion`.
    void aboutToChange(const Motion& motion);
    // The keyboard's control went with a rebuild and the new column offers
    // none to act on (a part no action applies to): the keyboard goes back
    // to what shows the selection.
    void keyboardHasNoStop();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh();
    void rebuild();
    QWidget* makeHeader(const InspectorContent& content, const Palette& palette);
    QWidget* makeSizeBlock(const InspectorContent& content, const Palette& palette);
    QWidget* makeActions(const InspectorContent& content);
    QWidget* makeEmptyState(const Palette& palette);
    // Runs `action` with the node shown now, if there still is one.
    void withNode(const std::function<void(const StorageNode&)>& action);
    // Where the keyboard is in the column: the control of its kind it is on
    // (the second "Largest inside" row), and its place among all of them.
    struct FocusPlace {
        const QMetaObject* kind = nullptr;
        qsizetype ofKind = 0;
        qsizetype overall = 0;
    };
    std::optional<FocusPlace> focusPlace() const;
    // Puts the keyboard on the same place in the column built anew, or the nearest one there is.
    void restoreFocus(const FocusPlace& place);

    const PreferencesState& preferences_;
    NavigationState& navigation_;
    DeveloperState& developer_;
    const FolderScanState& folderScan_;
    const DesktopActions& desktop_;
    const Clock& clock_;
    std::optional<InspectorContent> content_;
    Mode mode_;
    bool built_ = false;
    QScrollArea* scroll_;
    QWidget* divider_;
    QWidget* footer_;
    KitButton* cleanup_;
};

}  // namespace korvane
