#pragma once

#include <cstddef>

// Counts the C++ heap allocations of the test binary (global operator new is
// replaced in AllocationCounter.cpp) between start() and stop().
class AllocationCounter {
public:
    void start();
    // Returns the allocations seen since start().
    std::size_t stop();
};
