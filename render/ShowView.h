#pragma once

// The view the show looks through, in the world's units: near enough to pass close to a flank, far
// enough to see the whole valley. The field gives about 80 degrees across the view's shorter side.
// A view nobody sets keeps the platform's own values (TViewport3D's defaults).

constexpr float kShowFront = 24.0f;
constexpr float kShowField = 20.0f;
constexpr float kShowBack = 1000000.0f;
