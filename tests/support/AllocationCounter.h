// Counts heap allocations made while `counting` is set, to prove the audio thread allocates nothing.
#pragma once

#include <atomic>

namespace allocation_counter
{
extern std::atomic<bool> counting;
extern std::atomic<long> allocations;

} // namespace allocation_counter
