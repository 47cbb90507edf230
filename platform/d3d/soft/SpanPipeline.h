#pragma once

// What a span function is compiled for. A batch's state holds still over thousands of pixels, so the
// span shader is compiled once for the few states that are drawn most and once for any state: in the
// former the features it knows are constants, and their tests, the interpolants they leave unused and
// the format switches of the buffers fold away; the latter asks the state at run time. Both do the
// same arithmetic, so they give the same pixels.

#include <cstdint>

#include "platform/d3d/Types.h"

namespace d3d::soft {

// Whether a feature is known to be off, known to be on, or asked of the state at run time.
enum class Known : std::uint8_t { Off, On, AtRunTime };

constexpr bool Enabled(Known known, bool atRunTime) {
  return known == Known::On || (known == Known::AtRunTime && atRunTime);
}
constexpr bool Fits(Known known, bool actual) { return known == Known::AtRunTime || (known == Known::On) == actual; }

// The features of a batch that a span function can be compiled for, as the batch has them.
struct SpanFeatures {
  bool texture, specular, fog, alphaTest, blend, dither, depthTest, depthWrite;
  PixelFormat format;
  int depthBytes;  // 0 without a depth buffer
};

struct SpanPipeline {
  Known texture = Known::AtRunTime, specular = Known::AtRunTime, fog = Known::AtRunTime;
  Known alphaTest = Known::AtRunTime, blend = Known::AtRunTime, dither = Known::AtRunTime;
  Known depthTest = Known::AtRunTime, depthWrite = Known::AtRunTime;
  bool formatKnown = false;
  PixelFormat format = PixelFormat::XRGB8888;  // when formatKnown
  int depthBytes = 0;                          // 2 or 4 when known, 0 when asked at run time

  constexpr bool Fits(const SpanFeatures& actual) const {
    using d3d::soft::Fits;
    return Fits(texture, actual.texture) && Fits(specular, actual.specular) && Fits(fog, actual.fog) &&
           Fits(alphaTest, actual.alphaTest) && Fits(blend, actual.blend) && Fits(dither, actual.dither) &&
           Fits(depthTest, actual.depthTest) && Fits(depthWrite, actual.depthWrite) &&
           (!formatKnown || format == actual.format) && (depthBytes == 0 || depthBytes == actual.depthBytes);
  }
};

// The features a span function compiled for `p` works with: constants where `p` knows them, the
// batch's where it does not.
constexpr SpanFeatures Resolve(const SpanPipeline& p, const SpanFeatures& batch) {
  SpanFeatures f = batch;
  f.texture = Enabled(p.texture, batch.texture);
  f.specular = Enabled(p.specular, batch.specular);
  f.fog = Enabled(p.fog, batch.fog);
  f.alphaTest = Enabled(p.alphaTest, batch.alphaTest);
  f.blend = Enabled(p.blend, batch.blend);
  f.dither = Enabled(p.dither, batch.dither);
  f.depthTest = Enabled(p.depthTest, batch.depthTest);
  f.depthWrite = Enabled(p.depthWrite, batch.depthWrite);
  if (p.formatKnown) f.format = p.format;
  if (p.depthBytes != 0) f.depthBytes = p.depthBytes;
  return f;
}

// Every feature asked at run time: fits any batch.
inline constexpr SpanPipeline kAnyState{};

// A state compiled for: opaque, depth-tested and -written, without specular, as the retained-mode
// layer draws solid scenes.
constexpr SpanPipeline CommonState(bool texture, bool fog, PixelFormat format, int depthBytes) {
  const auto known = [](bool on) { return on ? Known::On : Known::Off; };
  SpanPipeline p;
  p.texture = known(texture);
  p.specular = Known::Off;
  p.fog = known(fog);
  p.alphaTest = Known::Off;
  p.blend = Known::Off;
  p.dither = Known::AtRunTime;  // a choice between two threshold tables; 32-bit targets ignore it
  p.depthTest = Known::On;
  p.depthWrite = Known::On;
  p.formatKnown = true;
  p.format = format;
  p.depthBytes = depthBytes;
  return p;
}

}  // namespace d3d::soft
