// Memory surfaces: layout, lock, colour fill, scaled blit, flip, attachments, lost and restore,
// and the palette they read through.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "platform/dd/Palette.h"
#include "platform/dd/Surface.h"

namespace {

using d3d::PixelFormat;
using Bytes = std::vector<std::uint8_t>;
using Row = std::vector<std::uint32_t>;

// A colour surface, or a z-buffer when zBits is set.
rtl::Ref<dd::Surface> Make(int width, int height, PixelFormat format, std::uint32_t caps = 0, int zBits = 0) {
  dd::SurfaceDesc desc;
  desc.caps = caps | (zBits != 0 ? std::uint32_t{dd::DDSCAPS_ZBUFFER} : 0u);
  desc.width = width;
  desc.height = height;
  desc.format = format;
  desc.zBufferBitDepth = zBits;
  return rtl::MakeRef<dd::Surface>(desc);
}
rtl::Ref<dd::Surface> Xrgb(int width, int height) { return Make(width, height, PixelFormat::XRGB8888); }
rtl::Ref<dd::Surface> Depth(int width, int height, int bits) { return Make(width, height, {}, 0, bits); }

// Every byte, row padding included, read through a whole-surface lock.
Bytes Contents(dd::Surface& surface) {
  std::uint8_t* bits = nullptr;
  EXPECT_EQ(surface.Lock(nullptr, nullptr, &bits), dd::DD_OK);
  Bytes bytes(bits, bits + std::size_t(surface.Pitch()) * surface.Height());
  EXPECT_EQ(surface.Unlock(), dd::DD_OK);
  return bytes;
}

Row Row32(dd::Surface& surface, int y) {
  Row row;
  for (int x = 0; x < surface.Width(); ++x) {
    const std::uint8_t* p = surface.Pixels() + y * surface.Pitch() + x * 4;
    row.push_back(p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t{p[3]} << 24));
  }
  return row;
}

void SetRow32(dd::Surface& surface, int y, const Row& values) {
  for (int x = 0; x < int(values.size()); ++x) {
    const dd::Rect pixel{x, y, x + 1, y + 1};
    ASSERT_EQ(surface.BltColorFill(&pixel, values[x]), dd::DD_OK);
  }
}

TEST(Surface, PitchIsRowBytesRoundedToWordsForEveryFormatAndDepth) {
  const std::pair<rtl::Ref<dd::Surface>, int> cases[] = {
      {Make(5, 3, PixelFormat::Palette8), 8}, {Make(5, 3, PixelFormat::RGB565), 12},
      {Make(5, 3, PixelFormat::RGB888), 16},  {Xrgb(5, 3), 20},
      {Depth(3, 3, 16), 8},                   {Depth(3, 3, 24), 12},
      {Depth(3, 3, 32), 12}};
  for (const auto& [surface, pitch] : cases) {
    dd::SurfaceDesc desc;
    ASSERT_EQ(surface->GetSurfaceDesc(&desc), dd::DD_OK);
    EXPECT_EQ(desc.pitch, pitch) << "format " << int(desc.format) << " z " << desc.zBufferBitDepth;
  }
}

TEST(Surface, LockOfARectPointsAtItsFirstPixelAndExcludesOtherLocks) {
  auto surface = Make(5, 4, PixelFormat::RGB888);
  const dd::Rect rect{2, 1, 4, 3};
  std::uint8_t* bits = nullptr;
  dd::SurfaceDesc desc;
  ASSERT_EQ(surface->Lock(&rect, &desc, &bits), dd::DD_OK);
  EXPECT_EQ(bits - surface->Pixels(), 1 * 16 + 2 * 3);
  EXPECT_EQ(desc.pitch, 16);
  EXPECT_EQ(surface->Lock(nullptr, nullptr, &bits), dd::DDERR_SURFACEBUSY);
  EXPECT_EQ(surface->BltColorFill(nullptr, 0), dd::DDERR_SURFACEBUSY);
  ASSERT_EQ(surface->Unlock(), dd::DD_OK);
  EXPECT_EQ(surface->Unlock(), dd::DDERR_NOTLOCKED);
  for (const dd::Rect bad : {dd::Rect{-1, 0, 2, 2}, dd::Rect{0, 0, 6, 1}, dd::Rect{0, 2, 1, 5}, dd::Rect{3, 0, 2, 1}}) {
    EXPECT_EQ(surface->Lock(&bad, nullptr, &bits), dd::DDERR_INVALIDPARAMS);
    EXPECT_FALSE(surface->IsLockedNow());
  }
}

TEST(Surface, ColorFillWritesTheValueInTheSurfacesLayoutAndLeavesRowPaddingAlone) {
  const std::tuple<rtl::Ref<dd::Surface>, std::uint32_t, Bytes> cases[] = {
      {Make(5, 3, PixelFormat::Palette8), 0x123456AB, {0xAB}},
      {Make(5, 3, PixelFormat::RGB565), 0xF81F, {0x1F, 0xF8}},
      {Make(5, 3, PixelFormat::RGB888), 0x00112233, {0x33, 0x22, 0x11}},
      {Xrgb(5, 3), 0x00112233, {0x33, 0x22, 0x11, 0x00}},
      {Depth(5, 3, 16), 0xFFFF, {0xFF, 0xFF}},
      {Depth(5, 3, 24), 0x00ABCDEF, {0xEF, 0xCD, 0xAB, 0x00}},
  };
  for (const auto& [surface, value, pixel] : cases) {
    const std::size_t pitch = surface->Pitch();
    Bytes expected(pitch * 3, 0x5A);
    std::copy(expected.begin(), expected.end(), surface->Pixels());
    const dd::Rect rect{1, 1, 3, 2};
    ASSERT_EQ(surface->BltColorFill(&rect, value), dd::DD_OK);
    for (std::size_t x = 1; x < 3; ++x) std::copy(pixel.begin(), pixel.end(), &expected[pitch + x * pixel.size()]);
    EXPECT_EQ(Contents(*surface), expected) << "pixel size " << pixel.size();
  }
}

TEST(Surface, ColorFillClipsAtTheEdgesAndRefusesInvertedRects) {
  auto surface = Xrgb(4, 3);
  ASSERT_EQ(surface->BltColorFill(nullptr, 0), dd::DD_OK);
  const dd::Rect rects[] = {{-2, -2, 2, 2}, {3, 1, 10, 10}, {5, 5, 9, 9}, {1, 1, 1, 3}};
  for (std::uint32_t i = 0; i < 4; ++i) EXPECT_EQ(surface->BltColorFill(&rects[i], i + 1), dd::DD_OK);
  EXPECT_EQ(Row32(*surface, 0), (Row{1, 1, 0, 0}));
  EXPECT_EQ(Row32(*surface, 1), (Row{1, 1, 0, 2}));
  EXPECT_EQ(Row32(*surface, 2), (Row{0, 0, 0, 2}));
  for (const dd::Rect bad : {dd::Rect{2, 0, 1, 1}, dd::Rect{0, 2, 1, 1}})
    EXPECT_EQ(surface->BltColorFill(&bad, 9), dd::DDERR_INVALIDPARAMS);
}

TEST(Surface, BltScalesByNearestPixel) {
  auto source = Xrgb(4, 4);
  for (std::uint32_t y = 0; y < 4; ++y) SetRow32(*source, y, {10 * y, 10 * y + 1, 10 * y + 2, 10 * y + 3});
  auto large = Xrgb(4, 4);  // enlarging repeats each pixel
  const dd::Rect topLeft{0, 0, 2, 2};
  ASSERT_EQ(large->Blt(nullptr, source.Get(), &topLeft), dd::DD_OK);
  EXPECT_EQ(Row32(*large, 1), (Row{0, 0, 1, 1}));
  EXPECT_EQ(Row32(*large, 3), (Row{10, 10, 11, 11}));
  auto small = Xrgb(2, 2);  // reducing takes the pixel under each destination pixel's centre
  ASSERT_EQ(small->Blt(nullptr, source.Get(), nullptr), dd::DD_OK);
  EXPECT_EQ(Row32(*small, 0), (Row{11, 13}));
  EXPECT_EQ(Row32(*small, 1), (Row{31, 33}));
  auto copy = Xrgb(4, 3);  // same size, between rects at different places
  ASSERT_EQ(copy->BltColorFill(nullptr, 99), dd::DD_OK);
  const dd::Rect to{1, 2, 3, 3};
  const dd::Rect from{2, 1, 4, 2};
  ASSERT_EQ(copy->Blt(&to, source.Get(), &from), dd::DD_OK);
  EXPECT_EQ(Row32(*copy, 1), (Row{99, 99, 99, 99}));
  EXPECT_EQ(Row32(*copy, 2), (Row{99, 12, 13, 99}));
}

TEST(Surface, BltClipsBothSidesWithoutChangingTheScale) {
  auto source = Xrgb(2, 1);
  SetRow32(*source, 0, {0xA, 0xB});
  auto dest = Xrgb(2, 1);
  const auto blit = [&](dd::Rect to, dd::Rect from) {
    EXPECT_EQ(dest->BltColorFill(nullptr, 0), dd::DD_OK);
    EXPECT_EQ(dest->Blt(&to, source.Get(), &from), dd::DD_OK);
    return Row32(*dest, 0);
  };
  EXPECT_EQ(blit({-1, 0, 1, 1}, {0, 0, 2, 1}), (Row{0xB, 0}));  // off the destination's edge
  EXPECT_EQ(blit({0, 0, 2, 1}, {-1, 0, 1, 1}), (Row{0, 0xA}));  // off the source's edge
  EXPECT_EQ(blit({-2, 0, 2, 1}, {0, 0, 2, 1}), (Row{0xB, 0xB}));  // doubled, half of it visible
  EXPECT_EQ(blit({5, 0, 9, 1}, {0, 0, 2, 1}), (Row{0, 0}));
}

TEST(Surface, BltWithinOneSurfaceReadsThePixelsAsTheyWere) {
  auto surface = Xrgb(4, 1);
  const dd::Rect to{1, 0, 4, 1};
  const dd::Rect from{0, 0, 3, 1};
  const dd::Rect half{0, 0, 2, 1};
  SetRow32(*surface, 0, {1, 2, 3, 4});
  ASSERT_EQ(surface->Blt(&to, surface.Get(), &from), dd::DD_OK);
  EXPECT_EQ(Row32(*surface, 0), (Row{1, 1, 2, 3}));
  SetRow32(*surface, 0, {1, 2, 3, 4});
  ASSERT_EQ(surface->Blt(&to, surface.Get(), &half), dd::DD_OK);  // scaled, reading behind itself
  EXPECT_EQ(Row32(*surface, 0), (Row{1, 1, 2, 2}));
}

TEST(Surface, BltRefusesMismatchedFormatsAndBadRects) {
  auto dest = Xrgb(4, 4);
  auto depth24 = Depth(4, 4, 24);
  EXPECT_EQ(dest->Blt(nullptr, Make(4, 4, PixelFormat::RGB565).Get(), nullptr), dd::DDERR_INVALIDPARAMS);
  EXPECT_EQ(dest->Blt(nullptr, Depth(4, 4, 32).Get(), nullptr), dd::DDERR_INVALIDPARAMS);
  EXPECT_EQ(Depth(4, 4, 32)->Blt(nullptr, depth24.Get(), nullptr), dd::DDERR_INVALIDPARAMS);
  EXPECT_EQ(dest->Blt(nullptr, nullptr, nullptr), dd::DDERR_INVALIDPARAMS);
  for (const dd::Rect bad : {dd::Rect{3, 0, 1, 1}, dd::Rect{INT32_MIN, 0, INT32_MAX, 1}}) {
    EXPECT_EQ(dest->Blt(&bad, dest.Get(), nullptr), dd::DDERR_INVALIDPARAMS);
    EXPECT_EQ(dest->Blt(nullptr, dest.Get(), &bad), dd::DDERR_INVALIDPARAMS);
  }
  ASSERT_EQ(depth24->BltColorFill(nullptr, 0x123456), dd::DD_OK);
  auto depthCopy = Depth(2, 2, 24);
  ASSERT_EQ(depthCopy->Blt(nullptr, depth24.Get(), nullptr), dd::DD_OK);
  EXPECT_EQ(Row32(*depthCopy, 1), (Row{0x123456, 0x123456}));
}

TEST(Surface, FlipExchangesContentsWithTheAttachedBackBuffer) {
  auto front = Make(3, 2, PixelFormat::RGB565, dd::DDSCAPS_PRIMARYSURFACE);
  EXPECT_EQ(front->Flip(), dd::DDERR_NOTFOUND);
  ASSERT_EQ(front->AddAttachedSurface(Depth(3, 2, 16).Get()), dd::DD_OK);
  EXPECT_EQ(front->Flip(), dd::DDERR_NOTFOUND);  // a z-buffer is not a back buffer
  auto back = Make(3, 2, PixelFormat::RGB565, dd::DDSCAPS_BACKBUFFER);
  ASSERT_EQ(front->AddAttachedSurface(back.Get()), dd::DD_OK);
  ASSERT_EQ(front->BltColorFill(nullptr, 0x1111), dd::DD_OK);
  ASSERT_EQ(back->BltColorFill(nullptr, 0x2222), dd::DD_OK);
  ASSERT_EQ(front->Flip(), dd::DD_OK);
  EXPECT_EQ(front->Pixels()[0], 0x22);
  EXPECT_EQ(back->Pixels()[0], 0x11);
  std::uint8_t* bits = nullptr;
  ASSERT_EQ(back->Lock(nullptr, nullptr, &bits), dd::DD_OK);
  EXPECT_EQ(front->Flip(), dd::DDERR_SURFACEBUSY);

  // Same pitch and height but another width: exchanging storage would not be a flip.
  auto wider = Make(4, 2, PixelFormat::RGB565, dd::DDSCAPS_PRIMARYSURFACE);
  ASSERT_EQ(wider->AddAttachedSurface(Make(3, 2, PixelFormat::RGB565, dd::DDSCAPS_BACKBUFFER).Get()), dd::DD_OK);
  EXPECT_EQ(wider->Flip(), dd::DDERR_INVALIDPARAMS);
}

TEST(Surface, AttachmentsHoldTheirSurfacesAndRefuseDuplicates) {
  auto front = Xrgb(2, 2);
  auto depth = Depth(2, 2, 16);
  ASSERT_EQ(front->AddAttachedSurface(depth.Get()), dd::DD_OK);
  EXPECT_EQ(front->AddAttachedSurface(depth.Get()), dd::DDERR_SURFACEALREADYATTACHED);
  EXPECT_EQ(front->AddAttachedSurface(front.Get()), dd::DDERR_INVALIDPARAMS);
  rtl::Ref<dd::Surface> found;
  EXPECT_EQ(front->GetAttachedSurface(dd::DDSCAPS_BACKBUFFER, &found), dd::DDERR_NOTFOUND);
  ASSERT_EQ(front->GetAttachedSurface(dd::DDSCAPS_ZBUFFER, &found), dd::DD_OK);
  EXPECT_EQ(found.Get(), depth.Get());
  EXPECT_EQ(depth->RefCount(), 3u);  // ours, the attachment's and the out-parameter's
  found.Reset();
  dd::Surface* raw = depth.Get();
  depth.Reset();
  EXPECT_EQ(raw->RefCount(), 1u);  // the attachment keeps it alive
  ASSERT_EQ(front->DeleteAttachedSurface(raw), dd::DD_OK);
  EXPECT_EQ(front->GetAttachedSurface(dd::DDSCAPS_ZBUFFER, &found), dd::DDERR_NOTFOUND);
  EXPECT_EQ(front->DeleteAttachedSurface(front.Get()), dd::DDERR_NOTFOUND);
}

TEST(Surface, ALostSurfaceRefusesEveryPixelCallUntilRestored) {
  auto surface = Make(5, 3, PixelFormat::RGB888, dd::DDSCAPS_PRIMARYSURFACE);
  auto back = Make(5, 3, PixelFormat::RGB888, dd::DDSCAPS_BACKBUFFER);
  auto other = Make(5, 3, PixelFormat::RGB888);
  ASSERT_EQ(surface->AddAttachedSurface(back.Get()), dd::DD_OK);
  std::uint8_t* bits = nullptr;
  ASSERT_EQ(surface->Lock(nullptr, nullptr, &bits), dd::DD_OK);
  surface->MarkLost();
  EXPECT_EQ(surface->IsLost(), dd::DDERR_SURFACELOST);
  EXPECT_EQ(surface->Lock(nullptr, nullptr, &bits), dd::DDERR_SURFACELOST);
  EXPECT_EQ(surface->Unlock(), dd::DDERR_SURFACELOST);
  EXPECT_EQ(surface->BltColorFill(nullptr, 0), dd::DDERR_SURFACELOST);
  EXPECT_EQ(surface->Blt(nullptr, other.Get(), nullptr), dd::DDERR_SURFACELOST);
  EXPECT_EQ(other->Blt(nullptr, surface.Get(), nullptr), dd::DDERR_SURFACELOST);
  EXPECT_EQ(surface->Flip(), dd::DDERR_SURFACELOST);
  EXPECT_EQ(back->IsLost(), dd::DD_OK);

  ASSERT_EQ(surface->Restore(), dd::DD_OK);
  EXPECT_EQ(surface->IsLost(), dd::DD_OK);
  EXPECT_FALSE(surface->IsLockedNow());  // the lock went with the storage
  ASSERT_EQ(surface->BltColorFill(nullptr, 0x00ABCDEF), dd::DD_OK);
  EXPECT_EQ(Contents(*surface).size(), 48u);  // the same size again (the sanitizers check the bytes)
  back->MarkLost();
  EXPECT_EQ(surface->Flip(), dd::DDERR_SURFACELOST);
}

TEST(Surface, PaletteOnlyOnPalettisedSurfaces) {
  auto palette = rtl::MakeRef<dd::Palette>(std::span<const dd::PaletteEntry>{});
  auto indexed = Make(2, 2, PixelFormat::Palette8);
  rtl::Ref<dd::Palette> got;
  EXPECT_EQ(indexed->GetPalette(&got), dd::DDERR_NOPALETTEATTACHED);
  EXPECT_EQ(Make(2, 2, PixelFormat::RGB565)->SetPalette(palette.Get()), dd::DDERR_INVALIDPARAMS);
  EXPECT_EQ(Make(2, 2, PixelFormat::Palette8, 0, 16)->SetPalette(palette.Get()), dd::DDERR_INVALIDPARAMS);
  ASSERT_EQ(indexed->SetPalette(palette.Get()), dd::DD_OK);
  ASSERT_EQ(indexed->GetPalette(&got), dd::DD_OK);
  EXPECT_EQ(got.Get(), palette.Get());
  ASSERT_EQ(indexed->SetPalette(nullptr), dd::DD_OK);
  EXPECT_EQ(palette->RefCount(), 2u);  // ours and `got`: detaching released the surface's
}

TEST(Palette, EntriesAreRangeCheckedAndTheVersionMovesOnlyOnAChange) {
  const std::array<dd::PaletteEntry, 2> initial{{{0x10, 0x20, 0x30, 0}, {0xFF, 0x80, 0x01, 0}}};
  dd::Palette palette(initial);
  EXPECT_EQ(palette.Colors()[1], 0x00FF8001u);
  EXPECT_EQ(palette.Colors()[2], 0u);
  std::array<dd::PaletteEntry, 57> many{};
  const auto first = [&](std::size_t n) { return std::span(many).first(n); };
  EXPECT_EQ(palette.GetEntries(200, many), dd::DDERR_INVALIDPARAMS);
  EXPECT_EQ(palette.SetEntries(200, many), dd::DDERR_INVALIDPARAMS);
  EXPECT_EQ(palette.SetEntries(-1, first(1)), dd::DDERR_INVALIDPARAMS);
  EXPECT_EQ(palette.GetEntries(257, first(0)), dd::DDERR_INVALIDPARAMS);
  EXPECT_EQ(palette.GetEntries(256, first(0)), dd::DD_OK);
  ASSERT_EQ(palette.GetEntries(0, first(2)), dd::DD_OK);
  EXPECT_EQ(many[1].red, 0xFF);
  EXPECT_EQ(palette.Version(), 0u);

  const std::array<dd::PaletteEntry, 2> colours{{{1, 2, 3, 0}, {4, 5, 6, 0}}};
  ASSERT_EQ(palette.SetEntries(254, colours), dd::DD_OK);
  EXPECT_EQ(palette.Version(), 1u);
  EXPECT_EQ(palette.Colors()[255], 0x00040506u);
  ASSERT_EQ(palette.SetEntries(254, colours), dd::DD_OK);
  EXPECT_EQ(palette.Version(), 1u);
  ASSERT_EQ(palette.SetEntries(255, std::span(colours).first(1)), dd::DD_OK);
  EXPECT_EQ(palette.Version(), 2u);
  EXPECT_EQ(palette.Colors()[255], 0x00010203u);
}

}  // namespace
