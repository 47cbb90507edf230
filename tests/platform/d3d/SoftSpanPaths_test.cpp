// The span functions compiled for common states must give the same pixels and depths as the one
// compiled for any state: the same triangles are drawn through both and the buffers compared.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/d3d/Texture.h"
#include "platform/d3d/soft/ColorBuffer.h"
#include "platform/d3d/soft/DepthBuffer.h"
#include "platform/d3d/soft/Interpolants.h"
#include "platform/d3d/soft/SpanShader.h"
#include "platform/d3d/soft/TriangleRasterizer.h"

namespace d3d::soft {
namespace {

constexpr int kWidth = 61, kHeight = 47;  // odd sizes: spans end in every lane of a chunk
constexpr std::uint8_t kFill = 0x5A;      // the colour buffer's bytes before drawing

// Overlapping triangles of many sizes and slopes, with colours, fog factors, depths and texture
// coordinates that all vary, some reaching past the clip rectangle.
std::vector<TLVertex> Triangles() {
  std::vector<TLVertex> vertices;
  std::uint32_t seed = 12345;
  const auto next = [&](float range) {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<float>(seed >> 8) / static_cast<float>(1u << 24) * range;
  };
  for (int i = 0; i < 60; ++i) {
    for (int corner = 0; corner < 3; ++corner) {
      TLVertex v{};
      v.sx = next(kWidth + 20.0f) - 10.0f;
      v.sy = next(kHeight + 20.0f) - 10.0f;
      v.sz = next(1.0f);
      v.rhw = 0.2f + next(1.0f);
      v.color = 0xFF000000u | static_cast<std::uint32_t>(next(16777216.0f));
      v.specular = static_cast<std::uint32_t>(next(256.0f)) << 24;
      v.tu = next(4.0f) - 2.0f;
      v.tv = next(4.0f) - 2.0f;
      vertices.push_back(v);
    }
  }
  return vertices;
}

Texture MakeTexture() {
  std::vector<std::uint32_t> texels;
  for (std::uint32_t i = 0; i < 32 * 32; ++i) texels.push_back(0xFF000000u | (i * 2654435761u >> 8));
  return Texture(32, 32, texels);
}

struct Drawn {
  std::vector<std::uint8_t> color, depth;
};

Drawn Draw(const DrawState& state, PixelFormat format, int depthBits, bool specialise) {
  const int bytes = BytesPerPixel(format), depthBytes = depthBits == 16 ? 2 : 4;
  Drawn out{std::vector<std::uint8_t>(static_cast<std::size_t>(kWidth * kHeight * bytes), kFill),
            std::vector<std::uint8_t>(static_cast<std::size_t>(kWidth * kHeight * depthBytes), 0)};
  ColorBuffer color;
  color.Bind({out.color.data(), kWidth * bytes, kWidth, kHeight, format, nullptr}, nullptr);
  DepthBuffer depth;
  depth.Bind({out.depth.data(), kWidth * depthBytes, depthBits});
  depth.Fill(0, 0, kWidth, kHeight);
  const ClipRect clip{2, 1, kWidth - 3, kHeight - 2};
  SpanShader shader;
  shader.Bind(state, clip.right, color, depth, specialise);
  const std::vector<TLVertex> vertices = Triangles();
  for (std::size_t i = 0; i + 2 < vertices.size(); i += 3) {
    SetupVertex setup[3];
    for (int k = 0; k < 3; ++k) setup[k] = MakeSetupVertex(vertices[i + k], vertices[i + k], state.perspective);
    RasterizeTriangle(setup, clip, shader);
  }
  return out;
}

TEST(SoftSpanPaths, CompiledStatesDrawLikeTheGeneralSpanFunction) {
  const Texture texture = MakeTexture();
  for (const PixelFormat format : {PixelFormat::RGB565, PixelFormat::XRGB8888}) {
    for (const int depthBits : {16, 24, 32}) {
      for (const bool textured : {false, true}) {
        for (const bool fog : {false, true}) {
          for (const bool dither : {false, true}) {
            DrawState state;
            state.texture = textured ? &texture : nullptr;
            state.filter = Filter::MipLinear;
            state.fog = fog;
            state.fogColor = 0x8098B0u;
            state.dither = dither;
            SCOPED_TRACE(testing::Message() << "format " << static_cast<int>(format) << " depth " << depthBits
                                            << " textured " << textured << " fog " << fog << " dither " << dither);
            const Drawn general = Draw(state, format, depthBits, false);
            const Drawn compiled = Draw(state, format, depthBits, true);
            EXPECT_EQ(compiled.color, general.color);
            EXPECT_EQ(compiled.depth, general.depth);
            // The triangles did draw: the colour buffer no longer holds only what it was filled with.
            EXPECT_NE(general.color, std::vector<std::uint8_t>(general.color.size(), kFill));
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace d3d::soft
