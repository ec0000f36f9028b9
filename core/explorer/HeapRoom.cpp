#include "core/explorer/HeapRoom.h"

#include <cstdlib>
#include <vector>

namespace korvane {

void makeHeapRoom(std::size_t bytes) {
    // Blocks under the size the allocator maps on its own, so they come from
    // the thread's heap; freed in order they merge into one free run at its
    // top, which goes back to the system in one step.
    constexpr std::size_t block = 120 * 1024;
    std::vector<void*> blocks;
    blocks.reserve(bytes / block);
    for (std::size_t made = 0; made + block <= bytes; made += block) {
        void* memory = std::malloc(block - 64);
        if (!memory) break;
        blocks.push_back(memory);
    }
    for (void* memory : blocks) std::free(memory);
}

}  // namespace korvane
