#pragma once

#include <cstddef>

// Counts the heap allocations made by the calling thread while counting is
// on: the test replaces the global operator new for this purpose.
namespace alloccount {

void start();
// Stops counting and returns how many allocations were made since start().
std::size_t stop();
std::size_t current();

} // namespace alloccount
