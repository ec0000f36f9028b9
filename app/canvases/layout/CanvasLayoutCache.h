#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include <QSizeF>

#include "core/model/StorageNode.h"

namespace korvane {

// Holds one computed layout for the (root, size, depth) it was built for, so
// that hover, selection and animation repaint without laying out again. The
// root is recognised by its address, id and size: a rebuilt tree reaches the
// canvas as a different root and is laid out afresh.
template <typename Layout>
class CanvasLayoutCache {
public:
    template <typename Build>
    const Layout& get(const StorageNode& root, QSizeF size, int depth, Build&& build) {
        Key key{&root, root.id, root.bytes, root.children.size(), size, depth};
        if (!layout_ || !(key == key_)) {
            layout_.emplace(std::forward<Build>(build)());
            key_ = std::move(key);
            ++builds_;
        }
        return *layout_;
    }

    void invalidate() { layout_.reset(); }
    // How many layouts were built so far; tests and benchmarks count relayouts.
    std::size_t builds() const { return builds_; }

private:
    struct Key {
        const StorageNode* root = nullptr;
        std::string id;
        std::int64_t bytes = 0;
        std::size_t childCount = 0;
        QSizeF size;
        int depth = 0;
        bool operator==(const Key& other) const {
            return root == other.root && id == other.id && bytes == other.bytes && childCount == other.childCount &&
                   size == other.size && depth == other.depth;
        }
    };

    std::optional<Layout> layout_;
    Key key_;
    std::size_t builds_ = 0;
};

}  // namespace korvane
