#pragma once

// Values exchanged with retained-mode frames come back with rounding dust; anything closer to 0
// than 1e-6 (bounds excluded), and the all-ones bit pattern, is taken as 0. Other NaNs pass.
float SnapValue(float v);

// A stored value is unchanged by `v` when they compare equal or carry the same bits: a NaN read
// from a damaged file then counts as unchanged instead of notifying again on every store.
bool SameValue(float stored, float v);
