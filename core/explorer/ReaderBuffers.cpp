#include "core/explorer/ReaderBuffers.h"

#include <sys/mman.h>

#include "core/system/DirectoryReader.h"

namespace korvane {

ReaderBuffers::~ReaderBuffers() {
    if (region_) ::munmap(region_, slots * DirectoryReader::bufferSize);
}

void ReaderBuffers::map() {
    if (region_) return;
    void* region = ::mmap(nullptr, slots * DirectoryReader::bufferSize, PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (region != MAP_FAILED) region_ = static_cast<char*>(region);
}

char* ReaderBuffers::take() {
    if (taken_ == slots) return nullptr;
    map();
    if (!region_) return nullptr;
    return region_ + DirectoryReader::bufferSize * taken_++;
}

void ReaderBuffers::release() {
    if (region_ && taken_ > 0) ::madvise(region_, taken_ * DirectoryReader::bufferSize, MADV_DONTNEED);
    taken_ = 0;
}

}  // namespace korvane
