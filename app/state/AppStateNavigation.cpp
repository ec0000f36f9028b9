#include "app/platform/Desktop.h"
#include "app/presenters/PlatformWords.h"
#include "app/state/AppState.h"
#include "app/state/TreeNavigation.h"
#include "core/model/SizeSum.h"
#include "core/system/Paths.h"

namespace korvane {

bool AppState::searchHasNoMatches() const {
    return TreeNavigation::searchHasNoMatches(searchText_, visibleTree_);
}

std::size_t AppState::visibleItemCount() const { return TreeNavigation::visibleItemCount(visibleTree_); }

const StorageNode* AppState::focusedNode() const {
    if (!focusedID_) return nullptr;
    if (mode_ == Mode::general) {
        const auto* root = generalRoot();
        return root ? root->find(*focusedID_) : nullptr;
    }
    return TreeNavigation::findVisibleFirst(visibleTree_, tree_, *focusedID_);
}

const StorageNode* AppState::selectedNode() const {
    if (!selectedID_) return nullptr;
    if (mode_ == Mode::general) {
        const auto* root = generalRoot();
        return root ? root->find(*selectedID_) : nullptr;
    }
    return tree_.find(*selectedID_);
}

std::vector<const StorageNode*> AppState::breadcrumb() const {
    return TreeNavigation::breadcrumb(tree_, focusedID_);
}

const StorageNode* AppState::navigationTree() const { return mode_ == Mode::general ? generalRoot() : &tree_; }

std::vector<const StorageNode*> AppState::focusPath() const {
    const StorageNode* tree = navigationTree();
    return tree ? TreeNavigation::breadcrumb(*tree, focusedID_) : std::vector<const StorageNode*>{};
}

bool AppState::canFocusUp() const {
    const StorageNode* tree = navigationTree();
    return tree && TreeNavigation::focusParent(*tree, focusedID_);
}

void AppState::focusUp() {
    const StorageNode* tree = navigationTree();
    if (!tree) return;
    if (const StorageNode* parent = TreeNavigation::focusParent(*tree, focusedID_)) focusOn(parent->id);
}

void AppState::focusOn(std::string_view id) {
    const StorageNode* tree = navigationTree();
    const StorageNode* node = tree ? tree->find(id) : nullptr;
    if (!node || (node != tree && node->isLeaf())) return;
    // Copied first: the node belongs to the tree these calls may replace.
    std::string target = node->id;
    const ChangeBatch batch(*this);
    setFocusedID(node == tree ? std::nullopt : std::optional(target));
    setSelectedID(std::move(target));
}

std::vector<const StorageNode*> AppState::sidebarItems() const { return TreeNavigation::sidebarItems(tree_); }

std::int64_t AppState::reclaimableBytes() const { return scan_ ? scan_->reclaimable() : 0; }

std::vector<CleanupCandidate> AppState::allCandidates() const {
    return TreeNavigation::allCandidates(scan_, stagedCandidates_);
}

std::vector<CleanupCandidate> AppState::selectedCandidates() const {
    return TreeNavigation::selectedCandidates(allCandidates(), selection_);
}

std::int64_t AppState::selectedBytes() const {
    SizeSum total;
    for (const auto& candidate : selectedCandidates()) total += candidate.size;
    return total.total();
}

std::vector<UUID> AppState::candidateIDs(const StorageNode& node) const {
    return TreeNavigation::candidateIDs(node);
}

bool AppState::isSelected(const StorageNode& node) const {
    return TreeNavigation::isSelected(node, selection_);
}

void AppState::select(const StorageNode& node) {
    // Copied first: the node may belong to the tree this call changes.
    const std::string id = node.id;
    if (!node.isLeaf()) setFocusedID(id == TreeNavigation::rootID ? std::nullopt : std::optional(id));
    setSelectedID(id);
}

void AppState::select(std::string_view id) {
    if (const auto* node = tree_.find(id)) select(*node);
}

void AppState::toggleSelection(const StorageNode& node) {
    auto selection = selection_;
    if (TreeNavigation::toggle(selection, TreeNavigation::candidateIDs(node)))
        setSelection(std::move(selection));
}

void AppState::toggleSelection(const std::vector<StorageNode>& nodes) {
    auto selection = selection_;
    if (TreeNavigation::toggle(selection, TreeNavigation::candidateIDs(nodes)))
        setSelection(std::move(selection));
}

void AppState::selectAllSafe() {
    auto selection = selection_;
    for (const auto& id : TreeNavigation::safeCandidateIDs(scan_)) selection.insert(id);
    setSelection(std::move(selection));
}

void AppState::reviewCandidates(const StorageNode& node) {
    const auto ids = TreeNavigation::candidateIDs(node);
    if (ids.empty()) return;
    setSelection(std::set<UUID>(ids.begin(), ids.end()));
    setSheet(Sheet::review);
}

void AppState::revealInFileManager(const StorageNode& node) {
    if (node.path) reveal({*node.path});
}

std::string AppState::fileManagerName() const { return desktop_ ? desktop_->fileManagerName() : std::string(); }

std::string AppState::homeVolumeName() const {
    return platformWords::volumeTitle(desktop_ ? desktop_->volumeName(home_) : std::string(), home_);
}

void AppState::copyPath(const StorageNode& node) {
    if (node.path && desktop_) desktop_->copyText(*node.path);
}

void AppState::revealFocusedInFileManager() {
    if (const auto* node = focusedNode()) revealInFileManager(*node);
}

void AppState::copyFocusedPath() {
    if (const auto* node = focusedNode()) copyPath(*node);
}

void AppState::chooseProjectRoots() {
    if (!desktop_) return;
    const auto folders =
        desktop_->chooseFolders({home_, "Add", "Choose a folder Korvane should search for projects.", true});
    if (folders.empty()) return;
    for (const auto& folder : folders) addProjectRoot(folder);
    startScan();
}

void AppState::addProjectRoot(const std::string& path) {
    auto& roots = settings_.projectRoots;
    if (std::find(roots.begin(), roots.end(), path) != roots.end()) return;
    auto settings = settings_;
    settings.projectRoots.push_back(path);
    setSettings(std::move(settings));
    saveSettings();
}

}  // namespace korvane
