#pragma once

#include <cstddef>

namespace korvane {

// Folder buffers taken straight from the kernel, so that a worker with
// nothing left to read can give them back: freed to the heap they would stay
// resident beside the tree the scan is finishing. One mapping holds them all,
// touched only as deep as the walk went. It is made before the worker starts
// and kept until the worker goes: giving the pages back leaves the mapping
// as it is, so a worker never waits for the others' memory to change shape.
class ReaderBuffers {
public:
    ReaderBuffers() = default;
    ReaderBuffers(const ReaderBuffers&) = delete;
    ReaderBuffers& operator=(const ReaderBuffers&) = delete;
    ~ReaderBuffers();

    // Makes the mapping now rather than at the first take().
    void map();
    // The next buffer of DirectoryReader::bufferSize bytes; none when the
    // mapping is used up or refused (the reader then allocates its own).
    char* take();
    // Every buffer taken is free again and its pages go back to the system.
    void release();

private:
    // Deeper than the default depth limit only inside packages.
    static constexpr std::size_t slots = 64;
    char* region_ = nullptr;
    std::size_t taken_ = 0;
};

}  // namespace korvane
