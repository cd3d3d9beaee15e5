// base/fast_math.h -- the table-driven inverse square root and the cross product used by
// skinning and the load-time face vectors.
#pragma once

#include <cstdint>

// Builds the 128-entry table once; called at start-up before any model is loaded.
// fastInvSqrt builds it on first use as well, so GL-free tools need not call it.
void initInvSqrtTable();
const uint8_t* invSqrtTable();

// About 1/sqrt(x) for x > 0 (relative error about 1e-5): table seed and one Newton step.
float fastInvSqrt(float x);

void crossProduct(const float a[3], const float b[3], float out[3]);
