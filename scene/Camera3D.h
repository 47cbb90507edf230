#pragma once

// A view as the render window applies it to its platform viewport, and the item that carries one:
// the camera tour copies the camera item's frame into the window's camera.

#include <cstdint>

#include "core3d/Element3D.h"
#include "scene/Item3D.h"

class TViewport3D : public TElement3D {
 public:
  static constexpr std::uint8_t kPerspective = 0;
  static constexpr std::uint8_t kOrthographic = 1;
  // The platform's own view, kept until a world or the show sets another.
  static constexpr float kDefaultFront = 4.71f;
  static constexpr float kDefaultBack = 100000.0f;
  static constexpr float kDefaultField = 3.0f;

  const char* ClassName() const override { return "TViewport3D"; }

  void Assign(const TElement3D& source) override;
  // Front, back and field, then the projection byte.
  void LoadFromStream(rtl::TStream& stream) override;
  void SaveToStream(rtl::TStream& stream) override;

  // Each notifies only when the value changes: the render window re-applies the view on notice.
  void SetFront(float front);
  void SetBack(float back);
  void SetField(float field);
  // Other values than perspective and orthographic leave the platform projection as it is.
  void SetProjection(std::uint8_t projection);

  float Front() const { return FFront; }
  float Back() const { return FBack; }
  float Field() const { return FField; }
  std::uint8_t Projection() const { return FProjection; }

 private:
  template <class T>
  void Store(T& field, T value);

  float FFront = kDefaultFront;
  float FBack = kDefaultBack;
  float FField = kDefaultField;
  std::uint8_t FProjection = kPerspective;
};

// The viewport is a sub-element of the frame's structure: it is streamed, assigned and freed with it.
class TCamera3D : public TItem3D {
 public:
  TCamera3D() { AddElement(&FViewport); }

  const char* ClassName() const override { return "TCamera3D"; }

  TViewport3D& Viewport() { return FViewport; }

 private:
  TViewport3D FViewport;
};
