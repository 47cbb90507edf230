#pragma once

// The OpenGL rasterizer device: draws the same transformed, lit, fogged triangles as the software
// device, on a graphics processor (or Mesa's llvmpipe), and copies the picture into the memory target.
//
// Implements: 16- (5-6-5), 24- and 32-bit colour targets (8-bit palettised targets are not offered:
// such a target draws nothing); 16-, 24- and 32-bit depth buffers or none; flat shading with the face's
// first vertex's colours, Gouraud shading; point, wireframe and solid fills; perspective-correct or
// affine texturing with the six filters on the texture's own mip chain, the level-of-detail bias,
// repeat wrapping and colour keys; specular add, linear fog by the vertices' factors; alpha test and
// source-alpha blending; ordered dither on 16-bit targets; the clip rectangle.
//
// Needs: OpenGL 3.3 core (GLSL 330) through EGL, without a window: a surfaceless context or a 1x1
// pbuffer. Everything is drawn into a framebuffer object of the target's size, made again only when
// the size or format changes. Rows are not flipped: the framebuffer's row y is the memory's row y, so
// scissor rectangles and read-backs take memory coordinates as they are (the picture is upside down
// only to anyone who would show the framebuffer, and nobody does).
//
// Memory and framebuffer: what the device draws reaches the target's memory at Flush, for the
// rectangle touched (cleared or drawn in) since SetTargets only, so that memory outside it keeps what
// others wrote there. Before drawing into a part of the framebuffer that was not yet touched, the
// device copies that part of the memory in, so that blending sees what is there; a part the device
// itself wrote at the last Flush and nobody changed since is not copied again. Depth stays in the
// device (the depth target's memory is not written): only this device reads it.
//
// Textures are copied once per d3d::Texture and again when its Version() changes. The copies are kept
// in a cache keyed by the texture's Id(), which no other texture ever has; copies unused for
// kTextureIdleTargets calls of SetTargets are deleted, so textures that go away forever do not stay.
//
// Threads: the device works on the thread that made it; each call makes its context current when it
// is not already.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/d3d/Device.h"
#include "platform/d3d/Texture.h"
#include "platform/d3d/gl/Shaders.h"

namespace d3d::gl {

class EglContext;

class GLDevice : public Device {
 public:
  // Copies not used for this many SetTargets calls are deleted.
  static constexpr std::uint64_t kTextureIdleTargets = 256;

  // A device on adapter `adapter` of Adapters(); null, with the reason in `error`, when it cannot be
  // made (no such adapter, no context, the shader does not build).
  static std::unique_ptr<GLDevice> Create(std::size_t adapter, std::string* error = nullptr);
  ~GLDevice() override;

  void SetTargets(const ColorTarget& color, const DepthTarget& depth) override;
  void Clear(int left, int top, int right, int bottom, std::uint32_t color, bool depth) override;
  void DrawTriangles(const DrawState& state, std::span<const TLVertex> vertices,
                     std::span<const std::uint32_t> indices) override;
  void Flush() override;

  // For tests: how many times texels were copied to the graphics processor, how many texture copies
  // are held, and how many pixel rectangles were copied in from the target's memory.
  std::uint64_t TextureUploads() const { return FTextureUploads; }
  std::size_t CachedTextures() const { return FTextures.size(); }
  std::uint64_t TargetUploads() const { return FTargetUploads; }

 private:
  struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool Empty() const { return left >= right || top >= bottom; }
  };
  // One texture's copy: the texels (keyed texels made transparent black) and, for colour-keyed
  // textures, a mask of the texels that are not keyed, filtered like the texels.
  struct TextureCopy {
    unsigned texture = 0;
    unsigned keyMask = 0;
    std::uint32_t version = 0;
    int filter = -1;  // the d3d::Filter its sampling parameters are set for
    std::uint64_t lastUsed = 0;
  };

  GLDevice() = default;
  bool Initialise(std::size_t adapter, std::string* error);
  bool Current();
  bool Drawable() const;
  void EnsureFramebuffer();
  void DeleteFramebuffer();
  // Makes sure the framebuffer holds the memory's picture over `rect` (clipped to the target) before
  // it is drawn in; `overwritten`: the caller fills all of `rect` itself (a clear).
  void Touch(Rect rect, bool overwritten);
  void CopyIn(const Rect& rect);
  std::uint8_t* MemoryRow(const Rect& rect, int y) const;
  std::uint8_t* TransferRow(const Rect& rect, int y);
  bool UnchangedSinceFlush(const Rect& rect) const;
  TextureCopy& TextureFor(const Texture& texture);
  void Upload(const Texture& texture, TextureCopy& copy);
  void SetFilter(TextureCopy& copy, Filter filter);
  void ForgetIdleTextures();
  // Sets every piece of state the draw needs; false when its program cannot be built.
  bool ApplyState(const DrawState& state);
  const Program* ProgramFor(std::uint32_t features);

  std::unique_ptr<EglContext> FContext;
  // GL objects. Programs are built on first use, one per set of features.
  std::array<Program, 1u << kFeatureCount> FPrograms{};
  unsigned FVertexArray = 0;
  unsigned FVertexBuffer = 0;
  unsigned FIndexBuffer = 0;
  unsigned FFramebuffer = 0;
  unsigned FColorTexture = 0;
  unsigned FDepthBuffer = 0;
  std::size_t FVertexCapacity = 0;  // bytes of the buffers' storage
  std::size_t FIndexCapacity = 0;
  // The framebuffer's shape.
  int FWidth = 0, FHeight = 0;
  PixelFormat FFormat = PixelFormat::XRGB8888;
  int FDepthBits = 0;

  ColorTarget FTarget;
  bool FHasDepth = false;
  int FDepthTargetBits = 0;
  Rect FTouched;  // cleared or drawn in since SetTargets
  bool FDrawnSinceFlush = false;
  // The memory bytes of the rectangle written at the last Flush, and which target they were in.
  std::vector<std::uint8_t> FFlushed;
  Rect FFlushedRect;
  ColorTarget FFlushedTarget;

  std::unordered_map<std::uint64_t, TextureCopy> FTextures;  // by Texture::Id()
  std::uint64_t FGeneration = 0;
  std::uint64_t FTextureUploads = 0;
  std::uint64_t FTargetUploads = 0;

  // Reused from call to call, so that a steady frame allocates nothing.
  std::vector<std::uint32_t> FIndices;
  std::vector<std::uint32_t> FPixels;
  std::vector<std::uint8_t> FMask;
};

}  // namespace d3d::gl
