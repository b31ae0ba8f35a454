// Measures the largest single allocation of the test program, so a test can
// show that an operation does not allocate in proportion to a length it read.
#pragma once
#include <cstddef>

namespace vandrel::test {

void resetLargestAllocation();
size_t largestAllocation();

} // namespace vandrel::test
