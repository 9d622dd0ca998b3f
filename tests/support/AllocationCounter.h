#pragma once
// Counts the heap allocations and frees of each thread, for tests that check
// that the audio thread never touches the allocator.
//
// Counting happens at the level of malloc and free, which operator new and
// delete end in: through the sanitizer runtime's allocation hooks in sanitizer
// builds, otherwise by interposing the C allocator of the whole process (a
// plug-in loaded with dlopen is counted too). Other threads' allocations never
// show up in the calling thread's counts.
namespace testsupport {

struct AllocationCounts {
    long allocations = 0;
    long frees = 0;

    AllocationCounts& operator+=(const AllocationCounts& more)
    {
        allocations += more.allocations;
        frees += more.frees;
        return *this;
    }
};

// False when this build cannot count (a sanitizer runtime without hooks).
bool allocationCountingAvailable();

// Everything the calling thread allocated and freed since it started.
AllocationCounts threadAllocationCounts();

// What the calling thread allocates between construction and counts().
class AllocationScope {
public:
    AllocationScope() : start_(threadAllocationCounts()) {}
    AllocationCounts counts() const
    {
        const AllocationCounts now = threadAllocationCounts();
        return {now.allocations - start_.allocations, now.frees - start_.frees};
    }

private:
    AllocationCounts start_;
};

} // namespace testsupport
