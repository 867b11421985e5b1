#pragma once
// Whole inputs through the project-file coder, in memory.
#include "tests/common/TestFiles.h"

// The coded bytes; also expects the sizes the coder reports to be the
// input's and the output's.
TBytes Code(const TBytes &Input);
TBytes Decode(const TBytes &Coded);
