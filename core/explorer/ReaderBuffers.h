#pragma once

#include <cstddef>

namespace korvane {

// Folder buffers taken straight from the kernel, so that a worker with
// nothing left to read can give them back: freed to the heap they would stay
// resident beside the tree the scan is finishing. One mapping holds them all,
// touched only as deep as the walk went.
class ReaderBuffers {
public:
    ReaderBuffers() = default;
    ReaderBuffers(const ReaderBuffers&) = delete;
    ReaderBuffers& operator=(const ReaderBuffers&) = delete;
    ~ReaderBuffers() { release(); }

    // The next buffer of DirectoryReader::bufferSize bytes; none when the
    // mapping is used up or refused (the reader then allocates its own).
    char* take();
    void release();

private:
    // Deeper than the default depth limit only inside packages.
    static constexpr std::size_t slots = 64;
    char* region_ = nullptr;
    std::size_t taken_ = 0;
};

}  // namespace korvane
