#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/state/PublishedState.h"
#include "app/state/ViewChoices.h"
#include "core/model/StorageNode.h"

namespace korvane {

class PreferencesState;

// Where the user is: the screen, the sheet, the page and canvas on show, the
// folder drilled into and the one in the inspector, and the filter text with
// the developer tree as it leaves it. Nodes handed out by pointer belong to
// the trees of the state and stay valid until those next change; nodes of
// the visible tree until the change after that.
class NavigationState : public PublishedState {
    Q_OBJECT
public:
    NavigationState(StateChanges& changes, const PreferencesState& preferences, QObject* parent = nullptr);

    Route route() const { return route_; }
    void setRoute(Route route);
    const std::optional<Sheet>& sheet() const { return sheet_; }
    void setSheet(std::optional<Sheet> sheet);
    GeneralSection generalSection() const { return generalSection_; }
    void setGeneralSection(GeneralSection section);
    CanvasMode canvasMode() const { return canvasMode_; }
    void setCanvasMode(CanvasMode mode);
    std::int64_t sunburstDepth() const { return sunburstDepth_; }
    void setSunburstDepth(std::int64_t depth);
    // The folder drilled into and the node in the inspector, kept for each
    // mode: in developer mode they name nodes of the developer tree, in
    // general mode of the folder tree. Without a mode, the one on show.
    const std::optional<std::string>& focusedID() const { return place().focusedID; }
    const std::optional<std::string>& focusedID(Mode mode) const { return place(mode).focusedID; }
    void setFocusedID(std::optional<std::string> id);
    void setFocusedID(Mode mode, std::optional<std::string> id);
    const std::optional<std::string>& selectedID() const { return place().selectedID; }
    const std::optional<std::string>& selectedID(Mode mode) const { return place(mode).selectedID; }
    void setSelectedID(std::optional<std::string> id);
    void setSelectedID(Mode mode, std::optional<std::string> id);
    const std::string& searchText() const { return searchText_; }
    void setSearchText(std::string text);

    // The two trees the canvases drill into; both stay owned by their scans.
    // A new developer tree also clears developer mode's focused and selected
    // ids it lacks, whichever mode is on show.
    void setDeveloperTree(const StorageNode* tree);
    void setFolderTree(const StorageNode* tree);
    bool hasFolderTree() const { return folderTree_ != nullptr; }

    // How many times the developer or folder tree has been replaced: a node
    // handed out before this last moved may be gone.
    std::uint64_t treeReplacements() const { return treeReplacements_; }

    // The developer tree as the filter text leaves it (kept in step with both).
    const StorageNode& visibleTree() const { return visibleTree_; }
    bool searchHasNoMatches() const;
    std::size_t visibleItemCount() const;
    // The node the canvas is drilled into: in general mode in the folder
    // tree, in developer mode in the visible tree, else in the whole tree.
    const StorageNode* focusedNode() const;
    // What the developer canvas draws: the node it is drilled into (as the
    // filter leaves it), else the filtered tree; nothing while the filter
    // matches nothing.
    const StorageNode* developerCanvasNode() const;
    // The node the inspector shows: in general mode in the folder tree, in
    // developer mode in the visible tree, else in the whole tree.
    const StorageNode* selectedNode() const;
    // Root down to the focused node of the developer tree.
    std::vector<const StorageNode*> breadcrumb() const;
    // The tree the canvas of the mode drills into: the folder scan's in
    // general mode (nullptr without one), else the developer tree.
    const StorageNode* navigationTree() const;
    // Root down to the focused node in the tree of the mode; empty without a tree.
    std::vector<const StorageNode*> focusPath() const;
    bool canFocusUp() const;
    // One level out: the focused node's parent is on show, and the folder
    // just left is selected among its items (in the inspector).
    void focusUp();
    // A folder of the tree of the mode goes on show and in the inspector;
    // the root means no focus. Nothing when the id names no folder of it.
    void focusOn(std::string_view id);
    // Shows the node in the inspector; a node with children is also drilled
    // into, and a folder's remainder is opened (what it sums is read, then
    // drilled into while it is still the one in the inspector). A folder of a
    // folder scan where another file system is mounted is opened instead:
    // scanned as a folder of its own.
    void select(const StorageNode& node);
    // Whoever holds the folder tree reads a remainder's items on request.
    using SummedReader = std::function<void(const std::string& id, bool thenFocus)>;
    void setSummedReader(SummedReader reader) { summedReader_ = std::move(reader); }
    // Reads what a folder scan's remainder sums into the tree; nothing for
    // any other node, or in developer mode.
    void openSummed(const StorageNode& node, bool thenFocus);
    // Shows a canvas's sum of nodes too small to draw one by one (its
    // children: copies of what it sums) in the inspector. No tree holds it, so
    // it is kept here until another tree comes.
    void selectSummary(StorageNode summary);
    // A node of the developer tree.
    void select(std::string_view id);

signals:
    void routeChanged();
    void sheetChanged();
    // A mount point was opened, to be scanned on its own.
    void mountPointOpened(const std::string& path);

private:
    void openSummed(const std::string& id, bool thenFocus);

    struct Place {
        std::optional<std::string> focusedID;
        std::optional<std::string> selectedID;
    };
    const Place& place(Mode mode) const { return mode == Mode::general ? generalPlace_ : developerPlace_; }
    Place& place(Mode mode) { return mode == Mode::general ? generalPlace_ : developerPlace_; }
    const Place& place() const;
    Mode shownMode() const;
    const StorageNode& developerTree() const;
    void replaceVisibleTree(StorageNode tree);

    const PreferencesState& preferences_;
    const StorageNode* developerTree_ = nullptr;
    const StorageNode* folderTree_ = nullptr;
    std::uint64_t treeReplacements_ = 0;
    Route route_ = Route::onboarding;
    std::optional<Sheet> sheet_;
    GeneralSection generalSection_ = GeneralSection::explore;
    CanvasMode canvasMode_ = CanvasMode::strata;
    std::int64_t sunburstDepth_ = 3;
    Place developerPlace_;
    Place generalPlace_;
    std::string searchText_;
    StorageNode visibleTree_;
    // The visible tree the last change replaced. The pages hear of a change
    // only after it, and a canvas on its way out is pictured once more over
    // the nodes it was given: they stay until the next change.
    StorageNode outgoingVisibleTree_;
    std::optional<StorageNode> summary_;  // selectable while its mode's selected id names it
    SummedReader summedReader_;
    Mode summaryMode_ = Mode::developer;
};

}  // namespace korvane
