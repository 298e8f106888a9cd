#include "platform/memory_reuse.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <thread>

namespace {

long pageFaultsOfThisThread() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_minflt;
}

// The buffers of one picture on a batch worker's thread, each written in
// full: the surface, the encoder's copy of it, the rows computed ahead. No
// other allocation comes between them, so once freed they are all free
// memory at the top of the thread's heap, where the C library trims.
void paintOneBuffersWorth() {
    constexpr std::size_t kSizes[] = {700 * 525 * 4, 700 * 525 * 3, 1300 * 1024};
    std::unique_ptr<char[]> buffers[std::size(kSizes)];
    for (std::size_t k = 0; k < std::size(kSizes); ++k) {
        buffers[k].reset(new char[kSizes[k]]);
        std::memset(buffers[k].get(), 1, kSizes[k]);
    }
}

}  // namespace

// Without the setting, glibc hands the freed buffers back to the system after
// each picture and the next one touches every page afresh: about 900 faults
// for these 3.9 MB.
TEST(MemoryReuse, TheNextPictureReusesTheLastOnesBuffersWithoutPageFaults) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer has an allocator of its own";
#else
    painter::keepFreedMemoryForReuse();
    long faults = 0;
    std::thread([&faults] {
        paintOneBuffersWorth();  // the first picture maps the memory
        const long before = pageFaultsOfThisThread();
        for (int picture = 0; picture < 5; ++picture) paintOneBuffersWorth();
        faults = pageFaultsOfThisThread() - before;
    }).join();
    EXPECT_LT(faults, 50);
#endif
}
