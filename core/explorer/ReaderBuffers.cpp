#include "core/explorer/ReaderBuffers.h"

#include <sys/mman.h>

#include "core/system/DirectoryReader.h"

namespace korvane {

char* ReaderBuffers::take() {
    if (taken_ == slots) return nullptr;
    if (!region_) {
        void* region = ::mmap(nullptr, slots * DirectoryReader::bufferSize, PROT_READ | PROT_WRITE,
                              MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (region == MAP_FAILED) return nullptr;
        region_ = static_cast<char*>(region);
    }
    return region_ + DirectoryReader::bufferSize * taken_++;
}

void ReaderBuffers::release() {
    if (region_) ::munmap(region_, slots * DirectoryReader::bufferSize);
    region_ = nullptr;
    taken_ = 0;
}

}  // namespace korvane
