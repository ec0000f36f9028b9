#include "app/state/NavigationState.h"

#include "app/state/PreferencesState.h"
#include "app/state/TreeNavigation.h"

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

void NavigationState::setFocusedID(std::optional<std::string> id) { publish(focusedID_, std::move(id)); }

void NavigationState::setSelectedID(std::optional<std::string> id) { publish(selectedID_, std::move(id)); }

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
    // In general mode the ids name nodes of the folder tree: a developer scan leaves them be.
    if (preferences_.mode() != Mode::developer) return;
    if (focusedID_ && developerTree().find(*focusedID_) == nullptr) setFocusedID(std::nullopt);
    if (selectedID_ && developerTree().find(*selectedID_) == nullptr) setSelectedID(std::nullopt);
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
    if (!focusedID_) return nullptr;
    if (preferences_.mode() == Mode::general) return folderTree_ ? folderTree_->find(*focusedID_) : nullptr;
    return TreeNavigation::findVisibleFirst(visibleTree_, developerTree(), *focusedID_);
}

const StorageNode* NavigationState::selectedNode() const {
    if (!selectedID_) return nullptr;
    if (summary_ && summaryMode_ == preferences_.mode() && summary_->id == *selectedID_) return &*summary_;
    if (preferences_.mode() == Mode::general) return folderTree_ ? folderTree_->find(*selectedID_) : nullptr;
    // As the canvas and its header show it under the filter; a node the
    // filter hides still shows whole.
    return TreeNavigation::findVisibleFirst(visibleTree_, developerTree(), *selectedID_);
}

std::vector<const StorageNode*> NavigationState::breadcrumb() const {
    return TreeNavigation::breadcrumb(developerTree(), focusedID_);
}

const StorageNode* NavigationState::navigationTree() const {
    return preferences_.mode() == Mode::general ? folderTree_ : &developerTree();
}

std::vector<const StorageNode*> NavigationState::focusPath() const {
    const StorageNode* tree = navigationTree();
    return tree ? TreeNavigation::breadcrumb(*tree, focusedID_) : std::vector<const StorageNode*>{};
}

bool NavigationState::canFocusUp() const {
    const StorageNode* tree = navigationTree();
    return tree && TreeNavigation::focusParent(*tree, focusedID_);
}

void NavigationState::focusUp() {
    const StorageNode* tree = navigationTree();
    if (!tree) return;
    if (const StorageNode* parent = TreeNavigation::focusParent(*tree, focusedID_)) focusOn(parent->id);
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
    // Copied first: the node may belong to the tree this call changes.
    const std::string id = node.id;
    if (!node.isLeaf()) setFocusedID(id == TreeNavigation::rootID ? std::nullopt : std::optional(id));
    setSelectedID(id);
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
