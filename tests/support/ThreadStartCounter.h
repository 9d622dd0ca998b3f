#pragma once
// Counts the threads that each thread starts, for tests that check that the
// audio thread never starts one. The test program's own pthread_create stands
// in front of the C library's (std::thread ends there too) and counts per
// calling thread.
namespace testsupport {

// Threads the calling thread has started since it began.
long threadStartsOfThisThread();

class ThreadStartScope {
public:
    ThreadStartScope() : start_(threadStartsOfThisThread()) {}
    long starts() const { return threadStartsOfThisThread() - start_; }

private:
    long start_;
};

} // namespace testsupport
