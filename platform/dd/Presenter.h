#pragma once

// Shows primary surfaces in real windows. The display layer is window-free: the window layer installs
// a presenter, and a primary surface whose clipper names a window hands it every blit and flip.

#include <cstdint>

#include "platform/dd/Types.h"

namespace dd {

class Surface;

class Presenter {
 public:
  virtual ~Presenter() = default;
  // Shows `source` of `surface` in `window`: at the window's origin, or scaled to fill it with the
  // aspect kept (`fit`, full screen). `wait` paces the caller to the display's refresh.
  virtual std::int32_t Show(std::uintptr_t window, const Surface& surface, const Rect& source, bool fit, bool wait) = 0;
};

// The presenter in use, or null (surfaces then stay in memory only).
void SetPresenter(Presenter* presenter);
Presenter* CurrentPresenter();

}  // namespace dd
