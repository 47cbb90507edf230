// Sections: helpers (attributes, texture units, filters, the pixel transfer between memory and the
// framebuffer); creation and teardown; targets and the framebuffer; touching and copying in; Clear and
// DrawTriangles; draw state; textures (the cache, uploads, filters, idle copies); Flush.

#include "platform/d3d/gl/GLDevice.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "platform/d3d/gl/Egl.h"
#include "platform/d3d/gl/GLApi.h"
#include "platform/d3d/gl/Shaders.h"

namespace d3d::gl {

namespace {

// Vertices go to the graphics processor as they are: the shader reads the TLVertex fields in place.
enum Attribute : GLuint { kPosition, kColor, kSpecularColor, kTexCoord };
static_assert(sizeof(TLVertex) == 32, "the vertex layout the attributes describe");

// Texture units: the texels, the colour key's mask, and the colour texture while pixels are copied in.
constexpr GLenum kTexelUnit = GL_TEXTURE0, kKeyMaskUnit = GL_TEXTURE1, kTargetUnit = GL_TEXTURE2;

GLint MinFilter(Filter filter) {
  switch (filter) {
    case Filter::Nearest:
      return GL_NEAREST;
    case Filter::Linear:
      return GL_LINEAR;
    case Filter::MipNearest:
      return GL_NEAREST_MIPMAP_NEAREST;
    case Filter::MipLinear:
      return GL_LINEAR_MIPMAP_NEAREST;  // bilinear texels, the nearest level
    case Filter::LinearMipNearest:
      return GL_NEAREST_MIPMAP_LINEAR;  // nearest texels, between levels
    case Filter::LinearMipLinear:
      return GL_LINEAR_MIPMAP_LINEAR;
  }
  return GL_NEAREST;
}

GLint MagFilter(Filter filter) {
  switch (filter) {
    case Filter::Linear:
    case Filter::MipLinear:
    case Filter::LinearMipLinear:
      return GL_LINEAR;
    default:
      return GL_NEAREST;
  }
}

// How a target's pixels travel between its memory and the framebuffer: 5-6-5 words as they are, the
// others as 0xAARRGGBB words.
struct Transfer {
  GLenum format, type;
  int bytes;  // per pixel
};

Transfer TransferOf(PixelFormat format) {
  if (format == PixelFormat::RGB565) return {GL_RGB, GL_UNSIGNED_SHORT_5_6_5, 2};
  return {GL_BGRA, GL_UNSIGNED_BYTE, 4};
}

enum class Towards { Framebuffer, Memory };

// 24- and 32-bit pixels and their transfer words: going in, the framebuffer gets opaque pixels; coming
// out, a 32-bit target's unused byte is written as zero.
template <Towards kTowards, int kMemoryBytes>
void ConvertWords(std::uint8_t* memory, std::uint8_t* transfer, int width) {
  for (int x = 0; x < width; ++x, memory += kMemoryBytes, transfer += 4) {
    std::uint32_t word = 0;
    if constexpr (kTowards == Towards::Memory) {
      std::memcpy(&word, transfer, 4);
      word &= 0x00FFFFFFu;
      std::memcpy(memory, &word, kMemoryBytes);
    } else {
      std::memcpy(&word, memory, kMemoryBytes);
      word |= 0xFF000000u;
      std::memcpy(transfer, &word, 4);
    }
  }
}

// One row of `width` pixels between the memory's bytes and the transfer's, either way.
template <Towards kTowards>
void ConvertRow(PixelFormat format, std::uint8_t* memory, std::uint8_t* transfer, int width) {
  switch (format) {
    case PixelFormat::RGB565: {
      const std::size_t bytes = static_cast<std::size_t>(width) * 2;
      kTowards == Towards::Memory ? std::memcpy(memory, transfer, bytes) : std::memcpy(transfer, memory, bytes);
      break;
    }
    case PixelFormat::RGB888:
      ConvertWords<kTowards, 3>(memory, transfer, width);
      break;
    default:
      ConvertWords<kTowards, 4>(memory, transfer, width);
      break;
  }
}

bool Contains(int outerLeft, int outerTop, int outerRight, int outerBottom, int left, int top, int right, int bottom) {
  return left >= outerLeft && top >= outerTop && right <= outerRight && bottom <= outerBottom;
}

}  // namespace

std::unique_ptr<GLDevice> GLDevice::Create(std::size_t adapter, std::string* error) {
  std::unique_ptr<GLDevice> device(new GLDevice);
  if (!device->Initialise(adapter, error)) return nullptr;
  return device;
}

bool GLDevice::Initialise(std::size_t adapter, std::string* error) {
  const auto fail = [&](const char* why) {
    if (error != nullptr) *error = why;
    return false;
  };
  const std::vector<AdapterRecord>& records = AdapterRecords();
  if (adapter >= records.size()) return fail("no such OpenGL adapter");
  FContext = EglContext::Create(records[adapter].source, error);
  if (!FContext) return false;
  if (!FContext->MakeCurrent()) return fail("the OpenGL context cannot be made current");
  // The plainest program is built now, so that a shader this OpenGL refuses shows at creation.
  if (!BuildProgram(0, &FPrograms[0], error)) return false;

  glGenVertexArrays(1, &FVertexArray);
  glGenBuffers(1, &FVertexBuffer);
  glGenBuffers(1, &FIndexBuffer);
  glBindVertexArray(FVertexArray);
  glBindBuffer(GL_ARRAY_BUFFER, FVertexBuffer);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, FIndexBuffer);
  const auto offset = [](std::size_t bytes) { return reinterpret_cast<const void*>(bytes); };
  constexpr GLsizei kStride = sizeof(TLVertex);
  glVertexAttribPointer(kPosition, 4, GL_FLOAT, GL_FALSE, kStride, offset(offsetof(TLVertex, sx)));
  // 0xAARRGGBB words are the bytes B, G, R, A: GL_BGRA reads them as red, green, blue, alpha.
  glVertexAttribPointer(kColor, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, kStride, offset(offsetof(TLVertex, color)));
  glVertexAttribPointer(kSpecularColor, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, kStride,
                        offset(offsetof(TLVertex, specular)));
  glVertexAttribPointer(kTexCoord, 2, GL_FLOAT, GL_FALSE, kStride, offset(offsetof(TLVertex, tu)));
  for (const GLuint attribute : {kPosition, kColor, kSpecularColor, kTexCoord}) glEnableVertexAttribArray(attribute);
  if (glGetError() != GL_NO_ERROR) return fail("OpenGL refused the device's set-up");
  return true;
}

GLDevice::~GLDevice() {
  if (!FContext || !FContext->MakeCurrent()) return;
  for (auto& [texture, copy] : FTextures) {
    glDeleteTextures(1, &copy.texture);
    if (copy.keyMask != 0) glDeleteTextures(1, &copy.keyMask);
  }
  DeleteFramebuffer();
  if (FIndexBuffer != 0) glDeleteBuffers(1, &FIndexBuffer);
  if (FVertexBuffer != 0) glDeleteBuffers(1, &FVertexBuffer);
  if (FVertexArray != 0) glDeleteVertexArrays(1, &FVertexArray);
  for (const Program& program : FPrograms) {
    if (program.name != 0) glDeleteProgram(program.name);
  }
  FContext.reset();  // releases and destroys the context
}

bool GLDevice::Current() { return FContext && FContext->MakeCurrent(); }

// Palettised targets are not drawn: the driver never offers 8-bit depths.
bool GLDevice::Drawable() const {
  return FTarget.pixels != nullptr && FTarget.format != PixelFormat::Palette8 && FTarget.width > 0 &&
         FTarget.height > 0;
}

void GLDevice::SetTargets(const ColorTarget& color, const DepthTarget& depth) {
  FTarget = color;
  FHasDepth = depth.pixels != nullptr;
  FDepthTargetBits = depth.bits;
  FTouched = {};
  // What the last Flush wrote stays a valid picture of the framebuffer only if nothing was drawn since.
  if (FDrawnSinceFlush) FFlushedRect = {};
  if (++FGeneration % 64 == 0 && Current()) ForgetIdleTextures();
}

void GLDevice::DeleteFramebuffer() {
  if (FFramebuffer != 0) glDeleteFramebuffers(1, &FFramebuffer);
  if (FColorTexture != 0) glDeleteTextures(1, &FColorTexture);
  if (FDepthBuffer != 0) glDeleteRenderbuffers(1, &FDepthBuffer);
  FFramebuffer = FColorTexture = FDepthBuffer = 0;
}

// 5-6-5 targets draw into a 5-6-5 framebuffer, so that blending reads back what the memory holds and
// every write rounds as the software device's does; the others into 8 bits per channel.
void GLDevice::EnsureFramebuffer() {
  const bool sameSize = FFramebuffer != 0 && FWidth == FTarget.width && FHeight == FTarget.height;
  const bool colorFits = sameSize && (FFormat == PixelFormat::RGB565) == (FTarget.format == PixelFormat::RGB565);
  const int depthBits = FHasDepth ? FDepthTargetBits : FDepthBits;  // keep the depth buffer while unused
  if (colorFits && depthBits == FDepthBits) return;
  if (FFramebuffer == 0) glGenFramebuffers(1, &FFramebuffer);
  glBindFramebuffer(GL_FRAMEBUFFER, FFramebuffer);
  if (!colorFits) {
    if (FColorTexture == 0) glGenTextures(1, &FColorTexture);
    glActiveTexture(kTargetUnit);
    glBindTexture(GL_TEXTURE_2D, FColorTexture);
    const Transfer transfer = TransferOf(FTarget.format);
    glTexImage2D(GL_TEXTURE_2D, 0, FTarget.format == PixelFormat::RGB565 ? GL_RGB565 : GL_RGBA8, FTarget.width,
                 FTarget.height, 0, transfer.format, transfer.type, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, FColorTexture, 0);
    FFormat = FTarget.format;
    FFlushedRect = {};  // the framebuffer no longer holds what was flushed
  }
  if (!sameSize || depthBits != FDepthBits) {
    if (depthBits != 0) {
      if (FDepthBuffer == 0) glGenRenderbuffers(1, &FDepthBuffer);
      glBindRenderbuffer(GL_RENDERBUFFER, FDepthBuffer);
      const GLenum format = depthBits <= 16   ? GL_DEPTH_COMPONENT16
                            : depthBits <= 24 ? GL_DEPTH_COMPONENT24
                                              : GL_DEPTH_COMPONENT32F;
      glRenderbufferStorage(GL_RENDERBUFFER, format, FTarget.width, FTarget.height);
    }
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBits != 0 ? FDepthBuffer : 0);
  }
  FWidth = FTarget.width;
  FHeight = FTarget.height;
  FDepthBits = depthBits;
}

void GLDevice::Touch(Rect rect, bool overwritten) {
  EnsureFramebuffer();
  FDrawnSinceFlush = true;
  if (!FTouched.Empty() && Contains(FTouched.left, FTouched.top, FTouched.right, FTouched.bottom, rect.left, rect.top,
                                    rect.right, rect.bottom)) {
    return;
  }
  // The touched rectangle grows to hold `rect`; the bands it gains are brought in from the memory.
  Rect grown = rect;
  Rect pieces[4];
  if (FTouched.Empty()) {
    pieces[0] = rect;
  } else {
    const Rect& t = FTouched;
    grown = {std::min(t.left, rect.left), std::min(t.top, rect.top), std::max(t.right, rect.right),
             std::max(t.bottom, rect.bottom)};
    pieces[0] = {grown.left, grown.top, grown.right, t.top};
    pieces[1] = {grown.left, t.bottom, grown.right, grown.bottom};
    pieces[2] = {grown.left, t.top, t.left, t.bottom};
    pieces[3] = {t.right, t.top, grown.right, t.bottom};
  }
  for (const Rect& piece : pieces) {
    if (piece.Empty()) continue;
    if (overwritten &&
        Contains(rect.left, rect.top, rect.right, rect.bottom, piece.left, piece.top, piece.right, piece.bottom)) {
      continue;
    }
    if (!UnchangedSinceFlush(piece)) CopyIn(piece);
  }
  FTouched = grown;
}

bool GLDevice::UnchangedSinceFlush(const Rect& rect) const {
  const Rect& f = FFlushedRect;
  const ColorTarget& t = FFlushedTarget;
  if (f.Empty() || t.pixels != FTarget.pixels || t.pitch != FTarget.pitch || t.format != FTarget.format ||
      t.width != FTarget.width || t.height != FTarget.height ||
      !Contains(f.left, f.top, f.right, f.bottom, rect.left, rect.top, rect.right, rect.bottom)) {
    return false;
  }
  const int bytes = BytesPerPixel(FTarget.format);
  const std::size_t flushedPitch = static_cast<std::size_t>(f.right - f.left) * bytes;
  const std::size_t length = static_cast<std::size_t>(rect.right - rect.left) * bytes;
  for (int y = rect.top; y < rect.bottom; ++y) {
    const std::uint8_t* memory = FTarget.pixels + static_cast<std::ptrdiff_t>(y) * FTarget.pitch + rect.left * bytes;
    const std::uint8_t* flushed = FFlushed.data() + static_cast<std::size_t>(y - f.top) * flushedPitch +
                                  static_cast<std::size_t>(rect.left - f.left) * bytes;
    if (std::memcmp(memory, flushed, length) != 0) return false;
  }
  return true;
}

void GLDevice::CopyIn(const Rect& rect) {
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  const Transfer transfer = TransferOf(FTarget.format);
  FPixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y)
    ConvertRow<Towards::Framebuffer>(FTarget.format, MemoryRow(rect, y), TransferRow(rect, y), width);
  glActiveTexture(kTargetUnit);
  glBindTexture(GL_TEXTURE_2D, FColorTexture);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glTexSubImage2D(GL_TEXTURE_2D, 0, rect.left, rect.top, width, height, transfer.format, transfer.type, FPixels.data());
  ++FTargetUploads;
}

// The target's memory at row `y` of `rect`, from its left edge.
std::uint8_t* GLDevice::MemoryRow(const Rect& rect, int y) const {
  return FTarget.pixels + static_cast<std::ptrdiff_t>(rect.top + y) * FTarget.pitch +
         rect.left * BytesPerPixel(FTarget.format);
}

// Row `y` of `rect` in the transfer buffer (FPixels, sized for the rectangle), which holds the rows
// without gaps.
std::uint8_t* GLDevice::TransferRow(const Rect& rect, int y) {
  const auto width = static_cast<std::size_t>(rect.right - rect.left);
  return reinterpret_cast<std::uint8_t*>(FPixels.data()) +
         static_cast<std::size_t>(y) * width * static_cast<std::size_t>(TransferOf(FTarget.format).bytes);
}

void GLDevice::Clear(int left, int top, int right, int bottom, std::uint32_t color, bool depth) {
  if (!Drawable() || !Current()) return;
  const Rect rect{std::max(left, 0), std::max(top, 0), std::min(right, FTarget.width),
                  std::min(bottom, FTarget.height)};
  if (rect.Empty()) return;
  Touch(rect, true);
  glBindFramebuffer(GL_FRAMEBUFFER, FFramebuffer);
  glEnable(GL_SCISSOR_TEST);
  glScissor(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glDisable(GL_DITHER);
  const auto channel = [&](int shift) { return static_cast<float>((color >> shift) & 0xFFu) / 255.0f; };
  glClearColor(channel(16), channel(8), channel(0), 1.0f);
  GLbitfield buffers = GL_COLOR_BUFFER_BIT;
  if (depth && FHasDepth) {
    glDepthMask(GL_TRUE);
    glClearDepth(1.0);
    buffers |= GL_DEPTH_BUFFER_BIT;
  }
  glClear(buffers);
}

void GLDevice::DrawTriangles(const DrawState& state, std::span<const TLVertex> vertices,
                             std::span<const std::uint32_t> indices) {
  if (!Drawable() || !Current()) return;
  const Rect clip{std::max(state.clipLeft, 0), std::max(state.clipTop, 0), std::min(state.clipRight, FTarget.width),
                  std::min(state.clipBottom, FTarget.height)};
  if (clip.Empty()) return;
  FIndices.clear();
  for (std::size_t i = 0; i + 2 < indices.size(); i += 3) {
    if (indices[i] >= vertices.size() || indices[i + 1] >= vertices.size() || indices[i + 2] >= vertices.size()) {
      continue;  // a bad index drops its face, never reads outside the vertices
    }
    FIndices.insert(FIndices.end(), {indices[i], indices[i + 1], indices[i + 2]});
  }
  if (FIndices.empty()) return;
  Touch(clip, false);

  glBindFramebuffer(GL_FRAMEBUFFER, FFramebuffer);
  glViewport(0, 0, FTarget.width, FTarget.height);
  glEnable(GL_SCISSOR_TEST);
  glScissor(clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top);
  if (!ApplyState(state)) return;

  // The buffers are orphaned and refilled, so that no draw waits for the one before it.
  glBindVertexArray(FVertexArray);
  const std::size_t vertexBytes = vertices.size_bytes(), indexBytes = FIndices.size() * sizeof(std::uint32_t);
  FVertexCapacity = std::max(FVertexCapacity, vertexBytes);
  FIndexCapacity = std::max(FIndexCapacity, indexBytes);
  glBindBuffer(GL_ARRAY_BUFFER, FVertexBuffer);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(FVertexCapacity), nullptr, GL_STREAM_DRAW);
  glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(vertexBytes), vertices.data());
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(FIndexCapacity), nullptr, GL_STREAM_DRAW);
  glBufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(indexBytes), FIndices.data());
  glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(FIndices.size()), GL_UNSIGNED_INT, nullptr);
}

const Program* GLDevice::ProgramFor(std::uint32_t features) {
  Program& program = FPrograms[features];
  if (program.name == 0 && !BuildProgram(features, &program, nullptr)) return nullptr;
  return &program;
}

// Every piece of state the draw relies on is set here, each time: nothing is trusted to have stayed.
bool GLDevice::ApplyState(const DrawState& state) {
  std::uint32_t features = 0;
  if (state.shade == Shade::Flat) features |= kFeatureFlat;
  if (state.specular) features |= kFeatureSpecular;
  if (state.fog) features |= kFeatureFog;
  if (state.alphaTest) features |= kFeatureAlphaTest;
  // 16-bit targets: the shader rounds (or dithers) to 5-6-5 itself, as the software device does.
  // Blending comes after the shader, so blended pixels are left to the framebuffer's rounding,
  // undithered.
  if (FFormat == PixelFormat::RGB565 && !state.blend) features |= state.dither ? kFeatureDither565 : kFeatureRound565;
  if (state.texture != nullptr) {
    TextureCopy& copy = TextureFor(*state.texture);
    SetFilter(copy, state.filter);
    features |= kFeatureTexture | (copy.keyMask != 0 ? kFeatureColorKey : 0u);
    glActiveTexture(kTexelUnit);
    glBindTexture(GL_TEXTURE_2D, copy.texture);
    glActiveTexture(kKeyMaskUnit);
    glBindTexture(GL_TEXTURE_2D, copy.keyMask);
  }
  const Program* program = ProgramFor(features);
  if (program == nullptr) return false;
  glUseProgram(program->name);

  glDisable(GL_CULL_FACE);
  glDisable(GL_DITHER);
  glDisable(GL_STENCIL_TEST);
  glEnable(GL_DEPTH_CLAMP);  // depth outside 0..1 is clamped, as the software device does, not clipped
  glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);  // flat faces take their first vertex's colours
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glPointSize(1.0f);
  glLineWidth(1.0f);
  glPolygonMode(GL_FRONT_AND_BACK, state.fill == Fill::Solid       ? GL_FILL
                                   : state.fill == Fill::Wireframe ? GL_LINE
                                                                   : GL_POINT);
  // A depth test is needed to write depth at all: writes without a test pass always.
  if (FHasDepth && (state.zTest || state.zWrite)) {
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(state.zTest ? GL_LEQUAL : GL_ALWAYS);
    glDepthMask(state.zWrite ? GL_TRUE : GL_FALSE);
  } else {
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
  }
  if (state.blend) {
    glEnable(GL_BLEND);
    glBlendEquation(GL_FUNC_ADD);
    glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ZERO, GL_ONE);
  } else {
    glDisable(GL_BLEND);
  }

  const auto& uniforms = program->uniforms;
  glUniform2f(uniforms[kTargetSize], static_cast<float>(FTarget.width), static_cast<float>(FTarget.height));
  glUniform1i(uniforms[kPerspective], state.perspective ? 1 : 0);
  glUniform1i(uniforms[kSnap], state.fill == Fill::Solid ? 0 : 1);
  const auto channel = [&](int shift) { return static_cast<float>((state.fogColor >> shift) & 0xFFu) / 255.0f; };
  glUniform3f(uniforms[kFogColor], channel(16), channel(8), channel(0));
  glUniform1i(uniforms[kAlphaFunc], static_cast<int>(state.alphaFunc));
  glUniform1i(uniforms[kAlphaRef], state.alphaRef);
  glUniform1f(uniforms[kLodBias], state.mipLodBias);
  return true;
}

GLDevice::TextureCopy& GLDevice::TextureFor(const Texture& texture) {
  TextureCopy& copy = FTextures[texture.Id()];
  if (copy.texture == 0 || copy.version != texture.Version()) {
    Upload(texture, copy);
    copy.version = texture.Version();
  }
  copy.lastUsed = FGeneration;
  return copy;
}

void GLDevice::Upload(const Texture& texture, TextureCopy& copy) {
  const bool keyed = texture.ColorKeyEnabled();
  if (copy.texture == 0) glGenTextures(1, &copy.texture);
  if (keyed && copy.keyMask == 0) glGenTextures(1, &copy.keyMask);
  if (!keyed && copy.keyMask != 0) {
    glDeleteTextures(1, &copy.keyMask);
    copy.keyMask = 0;
  }
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  const std::uint32_t key = texture.KeyColor() & 0x00FFFFFFu;
  const auto prepare = [&](GLuint name) {
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, texture.LevelCount() - 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  };
  glActiveTexture(kTexelUnit);
  prepare(copy.texture);
  for (int i = 0; i < texture.LevelCount(); ++i) {
    const TextureLevel& level = texture.Level(i);
    const void* texels = level.texels;
    if (keyed) {
      const std::size_t count = static_cast<std::size_t>(level.width) * static_cast<std::size_t>(level.height);
      FPixels.assign(level.texels, level.texels + count);
      for (std::uint32_t& texel : FPixels) {
        if ((texel & 0x00FFFFFFu) == key) texel = 0;
      }
      texels = FPixels.data();
    }
    glTexImage2D(GL_TEXTURE_2D, i, GL_RGBA8, level.width, level.height, 0, GL_BGRA, GL_UNSIGNED_BYTE, texels);
  }
  if (keyed) {
    glActiveTexture(kKeyMaskUnit);
    prepare(copy.keyMask);
    for (int i = 0; i < texture.LevelCount(); ++i) {
      const TextureLevel& level = texture.Level(i);
      const std::size_t count = static_cast<std::size_t>(level.width) * static_cast<std::size_t>(level.height);
      FMask.resize(count);
      for (std::size_t t = 0; t < count; ++t) FMask[t] = (level.texels[t] & 0x00FFFFFFu) == key ? 0 : 255;
      glTexImage2D(GL_TEXTURE_2D, i, GL_R8, level.width, level.height, 0, GL_RED, GL_UNSIGNED_BYTE, FMask.data());
    }
  }
  copy.filter = -1;  // the filters are set on first use
  ++FTextureUploads;
}

void GLDevice::SetFilter(TextureCopy& copy, Filter filter) {
  if (copy.filter == static_cast<int>(filter)) return;
  for (const auto& [unit, name] : {std::pair{kTexelUnit, copy.texture}, std::pair{kKeyMaskUnit, copy.keyMask}}) {
    if (name == 0) continue;
    glActiveTexture(unit);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, MinFilter(filter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, MagFilter(filter));
  }
  copy.filter = static_cast<int>(filter);
}

void GLDevice::ForgetIdleTextures() {
  for (auto it = FTextures.begin(); it != FTextures.end();) {
    if (it->second.lastUsed + kTextureIdleTargets < FGeneration) {
      glDeleteTextures(1, &it->second.texture);
      if (it->second.keyMask != 0) glDeleteTextures(1, &it->second.keyMask);
      it = FTextures.erase(it);
    } else {
      ++it;
    }
  }
}

void GLDevice::Flush() {
  FDrawnSinceFlush = false;
  if (!Drawable() || FTouched.Empty() || !Current()) return;
  const Rect& rect = FTouched;
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  const Transfer transfer = TransferOf(FTarget.format);
  FPixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  glBindFramebuffer(GL_FRAMEBUFFER, FFramebuffer);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  glReadPixels(rect.left, rect.top, width, height, transfer.format, transfer.type, TransferRow(rect, 0));
  const std::size_t rowBytes =
      static_cast<std::size_t>(width) * static_cast<std::size_t>(BytesPerPixel(FTarget.format));
  FFlushed.resize(rowBytes * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = MemoryRow(rect, y);
    ConvertRow<Towards::Memory>(FTarget.format, row, TransferRow(rect, y), width);
    std::memcpy(FFlushed.data() + static_cast<std::size_t>(y) * rowBytes, row, rowBytes);
  }
  FFlushedRect = rect;
  FFlushedTarget = FTarget;
}

}  // namespace d3d::gl
