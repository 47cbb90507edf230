#include "platform/dd/qt/DisplayCheck.h"

#include <QGuiApplication>

#include "platform/dd/DirectDraw.h"

namespace dd::qt {

// Everything obtained on the way is released either way (the references end with the function).
bool DisplayAvailable() {
  if (QGuiApplication::instance() == nullptr || QGuiApplication::primaryScreen() == nullptr) return false;
  rtl::Ref<DirectDraw> directDraw;
  if (DirectDrawCreate(nullptr, &directDraw) != DD_OK) return false;
  if (directDraw->SetCooperativeLevel(0, DDSCL_NORMAL) != DD_OK) return false;
  SurfaceDesc desc;
  desc.caps = DDSCAPS_PRIMARYSURFACE;
  rtl::Ref<Surface> primary;
  return directDraw->CreateSurface(desc, &primary) == DD_OK;
}

}  // namespace dd::qt
