#pragma once

// Counts the allocations made through operator new while counting is on. Linking AllocationCount.cpp
// replaces the executable's global operator new and delete; only tests and tools that count link it.

namespace testing_support {

void CountAllocations(bool on);
long CountedAllocations();

}  // namespace testing_support
