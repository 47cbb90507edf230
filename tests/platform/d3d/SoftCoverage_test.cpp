// Which pixels a triangle covers: the top-left rule on hand-picked edge cases, and a jittered mesh
// whose triangles, drawn one at a time, must cover every pixel of its square exactly once.

#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "tests/platform/d3d/SoftTarget.h"

namespace soft_testing {
namespace {

using PixelSet = std::set<std::pair<int, int>>;

constexpr std::uint32_t kWhite = 0xFFFFFFFFu;

// The pixels one triangle covers on a cleared 16x16 target, in either winding (which must agree).
PixelSet Covered(d3d::TLVertex a, d3d::TLVertex b, d3d::TLVertex c) {
  PixelSet result;
  for (const bool reversed : {false, true}) {
    SoftTarget target(16, 16, d3d::PixelFormat::XRGB8888);
    target.ClearAll(0);
    target.Draw(FullState(16, 16), {a, b, c}, reversed ? std::vector<std::uint32_t>{2, 1, 0} : std::vector<std::uint32_t>{0, 1, 2});
    PixelSet pixels;
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) {
        if (target.RawAt(x, y) != 0) pixels.insert({x, y});
      }
    }
    if (reversed) {
      EXPECT_EQ(pixels, result) << "the windings disagree";
    } else {
      result = pixels;
    }
  }
  return result;
}

TEST(SoftFillRule, CentresOnLeftAndTopEdgesAreDrawnOnRightAndBottomOnesNot) {
  // Corners on pixel centres: the square from (0.5, 0.5) to (2.5, 2.5) holds nine centres, four of
  // them on its left or top edges only.
  const PixelSet square = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
  PixelSet upper = Covered(Vertex(0.5f, 0.5f, kWhite), Vertex(2.5f, 0.5f, kWhite), Vertex(2.5f, 2.5f, kWhite));
  const PixelSet lower = Covered(Vertex(0.5f, 0.5f, kWhite), Vertex(2.5f, 2.5f, kWhite), Vertex(0.5f, 2.5f, kWhite));
  // The diagonal's centres (0,0) and (1,1) belong to one triangle only.
  for (const auto& pixel : lower) EXPECT_TRUE(upper.insert(pixel).second) << pixel.first << "," << pixel.second;
  EXPECT_EQ(upper, square);
}

TEST(SoftFillRule, PixelAlignedRectanglesCoverTheirPixels) {
  EXPECT_EQ(Covered(Vertex(1, 1, kWhite), Vertex(3, 1, kWhite), Vertex(3, 3, kWhite)), (PixelSet{{1, 1}, {2, 1}, {2, 2}}));
  EXPECT_EQ(Covered(Vertex(1, 1, kWhite), Vertex(3, 3, kWhite), Vertex(1, 3, kWhite)), (PixelSet{{1, 2}}));
}

TEST(SoftFillRule, SliversBetweenCentresDrawNothing) {
  // Between columns 0.5 and 1.5 all the way down.
  EXPECT_TRUE(Covered(Vertex(0.6f, 0.0f, kWhite), Vertex(1.4f, 0.0f, kWhite), Vertex(1.0f, 9.0f, kWhite)).empty());
  // Too thin to reach any centre: between rows 2.5 and 3.5.
  EXPECT_TRUE(Covered(Vertex(0, 2.6f, kWhite), Vertex(15, 2.9f, kWhite), Vertex(0, 3.4f, kWhite)).empty());
  // Degenerate: all three on a line through centres.
  EXPECT_TRUE(Covered(Vertex(0.5f, 0.5f, kWhite), Vertex(5.5f, 5.5f, kWhite), Vertex(9.5f, 9.5f, kWhite)).empty());
}

TEST(SoftFillRule, SubpixelSnappingKeepsNearlyEqualVerticesTogether) {
  // Positions within the same 1/16-pixel step snap together: the triangles are the same.
  EXPECT_EQ(Covered(Vertex(1.0f, 1.0f, kWhite), Vertex(9.0f, 2.0f, kWhite), Vertex(4.0f, 9.0f, kWhite)),
            Covered(Vertex(1.01f, 0.99f, kWhite), Vertex(9.02f, 2.0f, kWhite), Vertex(4.0f, 9.01f, kWhite)));
}

// A 9x9 grid of vertices over the square (4,4)-(60,60), the inner ones moved by offsets that include
// pixel centres, pixel corners and odd sub-pixel steps; cells split along alternating diagonals with
// alternating windings.
struct JitteredMesh {
  std::vector<d3d::TLVertex> vertices;
  std::vector<std::uint32_t> indices;

  JitteredMesh() {
    const float offsets[] = {0.0f, 0.5f, -0.5f, 0.3125f, -1.0625f, 1.5f, 0.75f, -0.25f, 2.0f, -1.9375f, 0.4375f};
    int next = 0;
    for (int row = 0; row <= 8; ++row) {
      for (int column = 0; column <= 8; ++column) {
        float x = 4.0f + 7.0f * column, y = 4.0f + 7.0f * row;
        if (column > 0 && column < 8) x += offsets[next++ % 11];
        if (row > 0 && row < 8) y += offsets[next++ % 11];
        vertices.push_back(Vertex(x, y, kWhite));
      }
    }
    for (std::uint32_t row = 0; row < 8; ++row) {
      for (std::uint32_t column = 0; column < 8; ++column) {
        const std::uint32_t a = row * 9 + column, b = a + 1, c = a + 10, d = a + 9;
        const bool flip = (row + column) % 2 == 1;
        const std::uint32_t cell[6] = {a, b, flip ? d : c, flip ? b : a, c, d};
        for (int i = 0; i < 6; i += 3) {
          const bool reverse = (row * 8 + column + static_cast<std::uint32_t>(i)) % 3 == 0;
          indices.insert(indices.end(), {cell[i], reverse ? cell[i + 2] : cell[i + 1], reverse ? cell[i + 1] : cell[i + 2]});
        }
      }
    }
  }
};

TEST(SoftFillRule, AMeshCoversEveryPixelOfItsSquareExactlyOnce) {
  const JitteredMesh mesh;
  std::vector<int> counts(64 * 64, 0);
  SoftTarget target(64, 64, d3d::PixelFormat::XRGB8888);
  for (std::size_t i = 0; i < mesh.indices.size(); i += 3) {
    target.ClearAll(0);
    target.Draw(FullState(64, 64), mesh.vertices, {mesh.indices[i], mesh.indices[i + 1], mesh.indices[i + 2]});
    for (int y = 0; y < 64; ++y) {
      for (int x = 0; x < 64; ++x) counts[static_cast<std::size_t>(y * 64 + x)] += target.RawAt(x, y) != 0 ? 1 : 0;
    }
  }
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      const bool inside = x >= 4 && x < 60 && y >= 4 && y < 60;
      ASSERT_EQ(counts[static_cast<std::size_t>(y * 64 + x)], inside ? 1 : 0) << "pixel " << x << "," << y;
    }
  }
}

TEST(SoftFillRule, TheMeshHalfTransparentShowsNoSeams) {
  // Drawn in one batch with blending: a pixel drawn twice would come out brighter than its neighbours.
  const JitteredMesh mesh;
  std::vector<d3d::TLVertex> vertices = mesh.vertices;
  for (auto& vertex : vertices) vertex.color = 0x80FFFFFFu;
  SoftTarget target(64, 64, d3d::PixelFormat::XRGB8888);
  target.ClearAll(0);
  d3d::DrawState state = FullState(64, 64);
  state.blend = true;
  target.Draw(state, vertices, mesh.indices);
  const std::uint32_t once = target.RawAt(30, 30);
  EXPECT_EQ(once, 0x808080u);
  for (int y = 4; y < 60; ++y) {
    for (int x = 4; x < 60; ++x) ASSERT_EQ(target.RawAt(x, y), once) << "pixel " << x << "," << y;
  }
}

TEST(SoftClip, NothingOutsideTheClipRectangleIsWritten) {
  SoftTarget target(40, 30, d3d::PixelFormat::XRGB8888, 16);
  target.ClearAll(0x000010u);
  d3d::DrawState state = FullState(40, 30);
  state.clipLeft = 10, state.clipTop = 5, state.clipRight = 30, state.clipBottom = 20;
  const std::vector<d3d::TLVertex> big = {Vertex(-50, -50, kWhite), Vertex(100, -40, kWhite), Vertex(0, 90, kWhite)};
  target.Draw(state, big, {0, 1, 2});
  state.fill = d3d::Fill::Wireframe;
  target.Draw(state, {Vertex(-5, 2, kWhite), Vertex(45, 25, kWhite), Vertex(2, 28, kWhite)}, {0, 1, 2});
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) {
      const bool inside = x >= 10 && x < 30 && y >= 5 && y < 20;
      ASSERT_EQ(target.RawAt(x, y), inside ? 0xFFFFFFu : 0x000010u) << x << "," << y;
      ASSERT_EQ(target.DepthAt(x, y), inside ? 0x7FFFu : 0xFFFFu) << x << "," << y;
    }
  }
}

TEST(SoftClip, ClearStaysInsideTheTarget) {
  SoftTarget target(8, 8, d3d::PixelFormat::RGB565, 16);
  target.ClearAll(0);
  target.Device.Clear(-4, 6, 20, 40, 0xFFFFFFu, false);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) ASSERT_EQ(target.RawAt(x, y), y >= 6 ? 0xFFFFu : 0u);
  }
}

}  // namespace
}  // namespace soft_testing
