// Counts heap allocations through operator new, so a test can show that the
// game loop and the input callbacks allocate nothing.
#pragma once

#include <cstddef>

extern std::size_t newCalls;
