#include "app/state/NavigationState.h"

#include "app/state/PreferencesState.h"
#include "app/state/TreeNavigation.h"
#include "core/explorer/FileTreeScanner.h"

#include <utility>

namespace korvane {

NavigationState::NavigationState(StateChanges& changes, const PreferencesState& preferences, QObject* parent)
    : PublishedState(changes, parent), preferences_(preferences) {}

void NavigationState::setRoute(Route route) {
    publish(route_, route);
    emit routeChanged();
}

void NavigationState::setSheet(std::optional<Sheet> sheet) {
    publish(sheet_, sheet);
    emit sheetChanged();
}

void NavigationState::setGeneralSection(GeneralSection section) { publish(generalSection_, section); }

void NavigationState::setCanvasMode(CanvasMode mode) { publish(canvasMode_, mode); }

void NavigationState::setSunburstDepth(std::int64_t depth) { publish(sunburstDepth_, depth); }

Mode NavigationState::shownMode() const { return preferences_.mode(); }

const NavigationState::Place& NavigationState::place() const { return place(shownMode()); }

void NavigationState::setFocusedID(std::optional<std::string> id) { setFocusedID(shownMode(), std::move(id)); }

void NavigationState::setFocusedID(Mode mode, std::optional<std::string> id) {
    publish(place(mode).focusedID, std::move(id));
}

void NavigationState::setSelectedID(std::optional<std::string> id) {
    setSelectedID(shownMode(), std::move(id));
}

void NavigationState::setSelectedID(Mode mode, std::optional<std::string> id) {
    publish(place(mode).selectedID, std::move(id));
}

void NavigationState::setSearchText(std::string text) {
    replaceVisibleTree(TreeNavigation::visibleTree(developerTree(), text));
    publish(searchText_, std::move(text));
}

void NavigationState::replaceVisibleTree(StorageNode tree) {
    outgoingVisibleTree_ = std::exchange(visibleTree_, std::move(tree));
}

void NavigationState::setFolderTree(const StorageNode* tree) {
    // A sum holds copies of the old tree's nodes.
    if (summaryMode_ == Mode::general) summary_.reset();
    folderTree_ = tree;
    ++treeReplacements_;
}

void NavigationState::setDeveloperTree(const StorageNode* tree) {
    if (summaryMode_ == Mode::developer) summary_.reset();
    developerTree_ = tree;
    ++treeReplacements_;
    replaceVisibleTree(TreeNavigation::visibleTree(developerTree(), searchText_));
    changes().published(*this);
    // Developer mode's place, also while general mode is on show: coming
    // back, the user finds no node that this tree lacks.
    const Place& developer = developerPlace_;
    if (developer.focusedID && developerTree().find(*developer.focusedID) == nullptr)
        setFocusedID(Mode::developer, std::nullopt);
    // A sum of the old tree's nodes is no node of this one either.
    if (developer.selectedID && developerTree().find(*developer.selectedID) == nullptr)
        setSelectedID(Mode::developer, std::nullopt);
}

const StorageNode& NavigationState::developerTree() const {
    static const StorageNode none;
    return developerTree_ ? *developerTree_ : none;
}

bool NavigationState::searchHasNoMatches() const {
    return TreeNavigation::searchHasNoMatches(searchText_, visibleTree_);
}

std::size_t NavigationState::visibleItemCount() const {
    return TreeNavigation::visibleItemCount(visibleTree_);
}

const StorageNode* NavigationState::focusedNode() const {
    const auto& focusedID = place().focusedID;
    if (!focusedID) return nullptr;
    if (preferences_.mode() == Mode::general) return folderTree_ ? folderTree_->find(*focusedID) : nullptr;
    return TreeNavigation::findVisibleFirst(visibleTree_, developerTree(), *focusedID);
}

const StorageNode* NavigationState::developerCanvasNode() const {
    if (searchHasNoMatches()) return nullptr;
    const auto& focusedID = developerPlace_.focusedID;
    if (!focusedID) return &visibleTree_;
    return TreeNavigation::findVisibleFirst(visibleTree_, developerTree(), *focusedID);
}

const StorageNode* NavigationState::selectedNode() const {
    const auto& selectedID = place().selectedID;
    if (!selectedID) return nullptr;
    if (summary_ && summaryMode_ == preferences_.mode() && summary_->id == *selectedID) return &*summary_;
    if (preferences_.mode() == Mode::general) return folderTree_ ? folderTree_->find(*selectedID) : nullptr;
    // As the canvas and its header show it under the filter; a node the
    // filter hides still shows whole.
    return TreeNavigation::findVisibleFirst(visibleTree_, developerTree(), *selectedID);
}

std::vector<const StorageNode*> NavigationState::breadcrumb() const {
    return TreeNavigation::breadcrumb(developerTree(), developerPlace_.focusedID);
}

const StorageNode* NavigationState::navigationTree() const {
    return preferences_.mode() == Mode::general ? folderTree_ : &developerTree();
}

std::vector<const StorageNode*> NavigationState::focusPath() const {
    const StorageNode* tree = navigationTree();
    return tree ? TreeNavigation::breadcrumb(*tree, focusedID()) : std::vector<const StorageNode*>{};
}

bool NavigationState::canFocusUp() const {
    const StorageNode* tree = navigationTree();
    return tree && TreeNavigation::focusParent(*tree, focusedID());
}

void NavigationState::focusUp() {
    const StorageNode* tree = navigationTree();
    if (!tree) return;
    const StorageNode* parent = TreeNavigation::focusParent(*tree, focusedID());
    if (!parent) return;
    // Copied first: focusing replaces the id it is read from.
    const std::optional<std::string> left = focusedID();
    const StateChanges::Batch batch(changes());
    focusOn(parent->id);
    // The folder just left is the selected item of the level it lies in: the
    // arrows go on from it, and Return goes back into it.
    if (left) setSelectedID(*left);
}

void NavigationState::focusOn(std::string_view id) {
    const StorageNode* tree = navigationTree();
    const StorageNode* node = tree ? tree->find(id) : nullptr;
    if (!node || (node != tree && node->isLeaf())) return;
    // Copied first: the node belongs to the tree these calls may replace.
    std::string target = node->id;
    const StateChanges::Batch batch(changes());
    setFocusedID(node == tree ? std::nullopt : std::optional(target));
    setSelectedID(std::move(target));
}

void NavigationState::select(const StorageNode& node) {
    if (FileTreeScanner::isMountPoint(node) && node.path) {
        const std::string path = *node.path;
        setSelectedID(node.id);
        emit mountPointOpened(path);
        return;
    }
    // Copied first: the node may belong to the tree this call changes.
    const std::string id = node.id;
    if (!node.isLeaf()) setFocusedID(id == TreeNavigation::rootID ? std::nullopt : std::optional(id));
    const bool opens = TreeNavigation::opensOnDemand(node);
    setSelectedID(id);
    if (opens) openSummed(id, true);
}

void NavigationState::openSummed(const StorageNode& node, bool thenFocus) {
    if (TreeNavigation::opensOnDemand(node)) openSummed(node.id, thenFocus);
}

void NavigationState::openSummed(const std::string& id, bool thenFocus) {
    if (summedReader_ && shownMode() == Mode::general) summedReader_(id, thenFocus);
}

void NavigationState::selectSummary(StorageNode summary) {
    std::string id = summary.id;
    summary_ = std::move(summary);
    summaryMode_ = preferences_.mode();
    setSelectedID(std::move(id));
}

void NavigationState::select(std::string_view id) {
    if (const auto* node = developerTree().find(id)) select(*node);
}

}  // namespace korvane
