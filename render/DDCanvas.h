#pragma once

// Text and drawing over a display surface: a Qt painter on the surface's memory, borrowed from the
// surface on first use in a frame and given back by ReleaseHandle.

#include <QImage>
#include <QPainter>
#include <optional>

#include "platform/dd/Surface.h"

class TDDCanvas {
 public:
  // "DDCanvas error: Cannot create canvas for NIL surface" without a surface.
  explicit TDDCanvas(dd::Surface* surface);
  ~TDDCanvas();
  TDDCanvas(const TDDCanvas&) = delete;
  TDDCanvas& operator=(const TDDCanvas&) = delete;

  // The painter over the surface, made on first use.
  QPainter& Painter();
  void TextOut(int x, int y, const QString& text);
  bool HandleAllocated() const { return FPainter.has_value(); }
  // Ends the drawing and gives the surface back.
  void ReleaseHandle();

  dd::Surface& Surface() const { return *FSurface; }

 private:
  void CreateHandle();

  rtl::Ref<dd::Surface> FSurface;
  d3d::ColorTarget FContext;
  QImage FImage;  // over the surface's memory, or a 32-bit copy of an 8-bit surface
  std::optional<QPainter> FPainter;
};
