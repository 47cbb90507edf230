#include "platform/rm/Renderer.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "platform/rm/Device.h"

namespace rm {

namespace {

enum Plane { kNear, kFar, kLeft, kRight, kBottom, kTop, kPlaneCount };

std::uint8_t ToByte(float v) { return static_cast<std::uint8_t>(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f); }

ColorRGB Unpack(std::uint32_t argb) {
  return {((argb >> 16) & 0xFF) / 255.0f, ((argb >> 8) & 0xFF) / 255.0f, (argb & 0xFF) / 255.0f};
}

float FloatState(const d3d::Device& device, d3d::RenderStateType type) {
  return std::bit_cast<float>(device.GetRenderState(type));
}

}  // namespace

// ---- set-up -----------------------------------------------------------------------------------

void Renderer::Setup(const View& view, Device& device, Frame& root) {
  FDevice = &device;
  FHasDepth = view.hasDepth;
  FView = view.cameraWorld.InverseAffine();
  FCameraPosition = view.cameraWorld.Row(3);
  FFront = view.front;
  FBack = view.back;
  FOrthographic = view.orthographic;
  // The field is the half size of the shorter side of the view at the front plane (at any depth
  // when orthographic), so front and field together fix the angle of view.
  const float halfShort = std::min(view.width, view.height) / 2.0f;
  FScale = FOrthographic ? halfShort / view.field : halfShort * view.front / view.field;
  FKx = (view.width / 2.0f) / FScale;
  FKy = (view.height / 2.0f) / FScale;
  FCx = view.x + view.width / 2.0f;
  FCy = view.y + view.height / 2.0f;
  FClipLeft = view.x;
  FClipTop = view.y;
  FClipRight = view.x + view.width;
  FClipBottom = view.y + view.height;

  FFog = root.GetScene()->GetSceneFog();
  const d3d::Device& d3dDevice = *device.GetDirect3DDevice();
  if (d3dDevice.GetRenderState(d3d::RenderStateType::FogTableMode) ==
      static_cast<std::uint32_t>(d3d::FogMode::Linear)) {
    FFog.start = FloatState(d3dDevice, d3d::RenderStateType::FogTableStart);
    FFog.end = FloatState(d3dDevice, d3d::RenderStateType::FogTableEnd);
  }
  FFogEnabled = FFog.enabled;
  FLights.clear();
  CollectLights(*root.GetScene(), Matrix::Identity());
}

void Renderer::CollectLights(Frame& frame, const Matrix& parentWorld) {
  const Matrix world = frame.Local() * parentWorld;
  for (const auto& light : frame.Lights()) {
    FLights.push_back({light.Get(), world.Row(3), Normalize(world.Row(2)), light->EnableFrame()});
  }
  for (const auto& child : frame.Children()) CollectLights(*child, world);
}

std::int32_t Renderer::Render(const View& view, Device& device, Frame& root) {
  Setup(view, device, root);
  const Matrix parentWorld = root.GetParent() != nullptr ? root.GetParent()->World() : Matrix::Identity();
  Walk(root, parentWorld, true, false);
  return D3DRM_OK;
}

// ---- the frame walk ---------------------------------------------------------------------------

void Renderer::Walk(Frame& frame, const Matrix& parentWorld, bool zEnabled, bool backToFront) {
  const Matrix world = frame.Local() * parentWorld;
  if (frame.BoxEnabled() && BoxOutside(frame.GetBox(), world * FView)) return;
  if (frame.GetZbufferMode() != ZBufferMode::FromParent) zEnabled = frame.GetZbufferMode() == ZBufferMode::Enable;
  if (frame.GetSortMode() != SortMode::FromParent) backToFront = frame.GetSortMode() == SortMode::BackToFront;
  if (!frame.Visuals().empty()) {
    SelectLights(frame);
    for (const auto& visual : frame.Visuals()) {
      // A mesh wholly outside the view volume costs nothing beyond its box.
      const auto* mesh = dynamic_cast<const Mesh*>(visual.Get());
      if (mesh != nullptr && !BoxOutside(mesh->Bounds(), world * FView)) DrawMesh(*mesh, world, world.Row(3), zEnabled);
      if (const auto* texture = dynamic_cast<const Texture*>(visual.Get())) DrawDecal(*texture, world, zEnabled);
    }
  }
  DrawChildren(frame, world, zEnabled, backToFront);
}

void Renderer::DrawChildren(Frame& frame, const Matrix& world, bool zEnabled, bool backToFront) {
  if (!backToFront) {
    for (const auto& child : frame.Children()) Walk(*child, world, zEnabled, backToFront);
    return;
  }
  // Farthest first, so that blended children composite over what lies behind them.
  const std::size_t begin = FOrder.size();
  for (const auto& child : frame.Children()) {
    const Vector origin = (child->Local() * world * FView).Row(3);
    FOrder.emplace_back(origin.z, child.Get());
  }
  std::stable_sort(FOrder.begin() + static_cast<std::ptrdiff_t>(begin), FOrder.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  for (std::size_t i = begin; i < FOrder.size(); ++i) Walk(*FOrder[i].second, world, zEnabled, backToFront);
  FOrder.resize(begin);
}

// The box's eight corners all beyond one plane of the view volume: nothing in it can show. A box
// of no size (a hidden frame's) counts as outside.
bool Renderer::BoxOutside(const Box& box, const Matrix& toCamera) const {
  if (box.min.x == box.max.x && box.min.y == box.max.y && box.min.z == box.max.z) return true;
  std::uint8_t common = 0xFF;
  for (int corner = 0; corner < 8; ++corner) {
    const Vector p{corner & 1 ? box.max.x : box.min.x, corner & 2 ? box.max.y : box.min.y,
                   corner & 4 ? box.max.z : box.min.z};
    common &= Outcode(toCamera.TransformPoint(p));
    if (common == 0) return false;
  }
  return true;
}

// A light reaches a frame when its enable frame is the frame or one of its ancestors.
void Renderer::SelectLights(const Frame& frame) {
  FActive.clear();
  for (const LightInstance& instance : FLights) {
    const Frame* scope = instance.enableFrame;
    bool reaches = scope == nullptr;
    for (const Frame* f = &frame; f != nullptr && !reaches; f = f->GetParent()) reaches = f == scope;
    if (reaches) FActive.push_back(&instance);
  }
}

// ---- lighting -----------------------------------------------------------------------------------

float Renderer::LightIntensity(const LightInstance& instance, const Vector& position, const Vector& normal,
                               const Vector& frameOrigin, float* specular, const Lighting& lighting) const {
  const Light& light = *instance.light;
  *specular = 0.0f;
  if (light.Type() == LightType::Ambient) return 1.0f;
  Vector toLight = instance.direction * -1.0f;
  float attenuation = 1.0f;
  if (light.Type() == LightType::ParallelPoint) toLight = Normalize(instance.position - frameOrigin);
  if (light.Type() == LightType::Point || light.Type() == LightType::Spot) {
    const Vector offset = instance.position - position;
    const float distance = Length(offset);
    if (distance > light.Range()) return 0.0f;
    toLight = distance > 0.0f ? offset * (1.0f / distance) : Vector{0, 0, 0};
    const float falloff = light.ConstantAttenuation() + light.LinearAttenuation() * distance +
                          light.QuadraticAttenuation() * distance * distance;
    attenuation = falloff > 1.0f ? 1.0f / falloff : 1.0f;
  }
  if (light.Type() == LightType::Spot) {
    const float angle = std::acos(std::clamp(-Dot(toLight, instance.direction), -1.0f, 1.0f));
    const float umbra = light.Umbra() / 2, penumbra = light.Penumbra() / 2;
    if (angle >= penumbra) return 0.0f;
    if (angle > umbra) attenuation *= (penumbra - angle) / (penumbra - umbra);
  }
  const float diffuse = std::max(0.0f, Dot(normal, toLight));
  if (lighting.shiny && diffuse > 0.0f) {
    const Vector halfway = Normalize(toLight + Normalize(FCameraPosition - position));
    *specular = std::pow(std::max(0.0f, Dot(normal, halfway)), lighting.material->Power()) * attenuation;
  }
  return diffuse * attenuation;
}

// Vertex colour = emissive + Σ lights × base colour; the specular part is kept apart, since it is
// added after texturing. A ramp device counts each light by its intensity and quantises the sum to
// its shades.
void Renderer::LightVertex(Work& work, const Vector& worldPosition, const Vector& worldNormal,
                           const Lighting& lighting) const {
  work.a = lighting.alpha;
  work.sr = work.sg = work.sb = 0.0f;
  if (!lighting.lit) {
    work.r = lighting.base.r, work.g = lighting.base.g, work.b = lighting.base.b;
    return;
  }
  ColorRGB sum{0, 0, 0}, highlight{0, 0, 0};
  for (const LightInstance* instance : FActive) {
    float specular;
    const float intensity =
        LightIntensity(*instance, worldPosition, worldNormal, lighting.frameOrigin, &specular, lighting);
    ColorRGB c = instance->light->Color();
    if (FDevice->Mono()) c.r = c.g = c.b = (c.r + c.g + c.b) / 3.0f;
    sum = {sum.r + c.r * intensity, sum.g + c.g * intensity, sum.b + c.b * intensity};
    highlight = {highlight.r + c.r * specular, highlight.g + c.g * specular, highlight.b + c.b * specular};
  }
  if (FDevice->Mono()) {
    const float steps = static_cast<float>(std::max(FDevice->GetShades() - 1, 1));
    const float level = std::floor(std::clamp(sum.r, 0.0f, 1.0f) * steps + 0.5f) / steps;
    sum = {level, level, level};
  }
  const ColorRGB emissive = lighting.material != nullptr ? lighting.material->Emissive() : ColorRGB{0, 0, 0};
  work.r = emissive.r + sum.r * lighting.base.r;
  work.g = emissive.g + sum.g * lighting.base.g;
  work.b = emissive.b + sum.b * lighting.base.b;
  if (lighting.material != nullptr) {
    const ColorRGB s = lighting.material->Specular();
    work.sr = highlight.r * s.r, work.sg = highlight.g * s.g, work.sb = highlight.b * s.b;
  }
}

// ---- geometry -----------------------------------------------------------------------------------

Renderer::Work Renderer::MakeWork(const Vector& camera, float tu, float tv) const {
  Work w{};
  w.camera = camera;
  w.tu = tu;
  w.tv = tv;
  w.fog = 1.0f;
  if (FFogEnabled) {
    const float z = camera.z;
    switch (FFog.mode) {
      case FogMode::Linear:
        w.fog = FFog.end > FFog.start ? (FFog.end - z) / (FFog.end - FFog.start) : (z < FFog.start ? 1.0f : 0.0f);
        break;
      case FogMode::Exponential:
        w.fog = std::exp(-FFog.density * z);
        break;
      case FogMode::ExponentialSquared:
        w.fog = std::exp(-(FFog.density * z) * (FFog.density * z));
        break;
    }
    w.fog = std::clamp(w.fog, 0.0f, 1.0f);
  }
  w.outcode = Outcode(camera);
  return w;
}

float Renderer::PlaneDistance(const Vector& c, int plane) const {
  const float reachX = FOrthographic ? FKx : c.z * FKx;
  const float reachY = FOrthographic ? FKy : c.z * FKy;
  switch (plane) {
    case kNear:
      return c.z - FFront;
    case kFar:
      return FBack - c.z;
    case kLeft:
      return c.x + reachX;
    case kRight:
      return reachX - c.x;
    case kBottom:
      return c.y + reachY;
    default:
      return reachY - c.y;
  }
}

std::uint8_t Renderer::Outcode(const Vector& camera) const {
  std::uint8_t code = 0;
  for (int plane = 0; plane < kPlaneCount; ++plane) {
    if (PlaneDistance(camera, plane) < 0.0f) code |= static_cast<std::uint8_t>(1u << plane);
  }
  return code;
}

d3d::TLVertex Renderer::Project(const Work& w) const {
  const float z = w.camera.z;
  const float inverse = FOrthographic ? 1.0f : 1.0f / z;
  d3d::TLVertex v;
  v.sx = std::clamp(FCx + FScale * w.camera.x * inverse, float(FClipLeft), float(FClipRight));
  v.sy = std::clamp(FCy - FScale * w.camera.y * inverse, float(FClipTop), float(FClipBottom));
  const float depth =
      FOrthographic ? (z - FFront) / (FBack - FFront) : (FBack / (FBack - FFront)) * (1.0f - FFront / z);
  v.sz = std::clamp(depth, 0.0f, 1.0f);
  v.rhw = inverse;
  v.color = std::uint32_t{ToByte(w.a)} << 24 | std::uint32_t{ToByte(w.r)} << 16 | std::uint32_t{ToByte(w.g)} << 8 |
            ToByte(w.b);
  v.specular = std::uint32_t{ToByte(w.fog)} << 24 | std::uint32_t{ToByte(w.sr)} << 16 |
               std::uint32_t{ToByte(w.sg)} << 8 | ToByte(w.sb);
  v.tu = w.tu;
  v.tv = w.tv;
  return v;
}

std::uint32_t Renderer::Emit(const Work& work) {
  FOut.push_back(Project(work));
  return static_cast<std::uint32_t>(FOut.size() - 1);
}

void Renderer::EmitTriangle(std::uint32_t i0, std::uint32_t i1, std::uint32_t i2) {
  FIndices.insert(FIndices.end(), {i0, i1, i2});
}

// Front faces run clockwise as the camera sees them.
bool Renderer::FrontFacing(const Vector& a, const Vector& b, const Vector& c) const {
  const Vector normal = Cross(b - a, c - a);
  return FOrthographic ? normal.z < 0.0f : Dot(normal, a) < 0.0f;
}

// Sutherland-Hodgman against each plane the triangle crosses, then a fan of the remains.
void Renderer::ClipAndEmit(const Work& a, const Work& b, const Work& c) {
  FClipA.assign({a, b, c});
  const std::uint8_t crossed = a.outcode | b.outcode | c.outcode;
  for (int plane = 0; plane < kPlaneCount && FClipA.size() >= 3; ++plane) {
    if (!(crossed & (1u << plane))) continue;
    FClipB.clear();
    for (std::size_t i = 0; i < FClipA.size(); ++i) {
      const Work& p = FClipA[i];
      const Work& q = FClipA[(i + 1) % FClipA.size()];
      const float dp = PlaneDistance(p.camera, plane), dq = PlaneDistance(q.camera, plane);
      if (dp >= 0.0f) FClipB.push_back(p);
      if ((dp >= 0.0f) != (dq >= 0.0f)) FClipB.push_back(Interpolate(p, q, dp / (dp - dq)));
    }
    std::swap(FClipA, FClipB);
  }
  if (FClipA.size() < 3) return;
  const std::uint32_t first = Emit(FClipA[0]);
  std::uint32_t previous = Emit(FClipA[1]);
  for (std::size_t i = 2; i < FClipA.size(); ++i) {
    const std::uint32_t current = Emit(FClipA[i]);
    EmitTriangle(first, previous, current);
    previous = current;
  }
}

// ---- visuals --------------------------------------------------------------------------------------

void Renderer::DrawMesh(const Mesh& mesh, const Matrix& world, const Vector& origin, bool zEnabled) {
  for (int g = 0; g < mesh.GroupCount(); ++g) DrawGroup(mesh.Group(g), world, origin, zEnabled);
}

void Renderer::DrawGroup(const MeshGroup& group, const Matrix& world, const Vector& origin, bool zEnabled) {
  const Matrix toCamera = world * FView;
  const bool shiny = group.material && (group.material->Specular().r > 0 || group.material->Specular().g > 0 ||
                                        group.material->Specular().b > 0);
  const Lighting lighting{Unpack(group.color),
                          (group.color >> 24) / 255.0f,
                          (group.quality & D3DRMLIGHT_MASK) == D3DRMLIGHT_ON,
                          group.material.Get(),
                          origin,
                          shiny};
  FWork.clear();
  for (const MeshVertex& v : group.vertices) {
    Work w = MakeWork(toCamera.TransformPoint(v.position), v.tu, v.tv);
    LightVertex(w, world.TransformPoint(v.position), Normalize(world.TransformVector(v.normal)), lighting);
    FWork.push_back(w);
  }
  FEmitted.assign(FWork.size(), -1);
  FOut.clear();
  FIndices.clear();
  for (std::size_t i = 0; i + 2 < group.indices.size(); i += 3) {
    const std::uint32_t ia = group.indices[i], ib = group.indices[i + 1], ic = group.indices[i + 2];
    const Work &a = FWork[ia], &b = FWork[ib], &c = FWork[ic];
    if ((a.outcode & b.outcode & c.outcode) != 0 || !FrontFacing(a.camera, b.camera, c.camera)) continue;
    if ((a.outcode | b.outcode | c.outcode) != 0) {
      ClipAndEmit(a, b, c);
      continue;
    }
    for (std::uint32_t index : {ia, ib, ic}) {
      if (FEmitted[index] < 0) FEmitted[index] = static_cast<std::int32_t>(Emit(FWork[index]));
    }
    EmitTriangle(static_cast<std::uint32_t>(FEmitted[ia]), static_cast<std::uint32_t>(FEmitted[ib]),
                 static_cast<std::uint32_t>(FEmitted[ic]));
  }
  const d3d::Texture* texture = group.texture ? &group.texture->DeviceTexture() : nullptr;
  const bool translucent = (group.color >> 24) < 255 || (group.texture && group.texture->HasAlpha());
  d3d::DrawState state = StateFor(texture, translucent, zEnabled);
  const std::uint32_t quality = group.quality;
  state.shade = (quality & D3DRMSHADE_MASK) == D3DRMSHADE_FLAT ? d3d::Shade::Flat : d3d::Shade::Gouraud;
  const std::uint32_t fill = quality & D3DRMFILL_MASK;
  state.fill = fill == D3DRMFILL_POINTS      ? d3d::Fill::Points
               : fill == D3DRMFILL_WIREFRAME ? d3d::Fill::Wireframe
                                             : d3d::Fill::Solid;
  state.perspective = (group.mapping & D3DRMMAP_PERSPCORRECT) != 0;
  state.specular = shiny;
  Flush(state);
}

// A camera-facing rectangle of the decal's size whose point at the decal origin (in texels from the
// top-left) lies at the frame's origin. Without decal scale it keeps the size it would have at
// distance 1.
void Renderer::DrawDecal(const Texture& texture, const Matrix& world, bool zEnabled) {
  const Vector origin = (world * FView).Row(3);
  if (origin.z < FFront || origin.z > FBack) return;
  const float grow = texture.DecalScale() || FOrthographic ? 1.0f : origin.z;
  const float width = texture.DecalWidth() * grow, height = texture.DecalHeight() * grow;
  const float left = origin.x - width * texture.DecalOriginX() / texture.GetImage().width;
  const float top = origin.y + height * texture.DecalOriginY() / texture.GetImage().height;
  const Lighting unlit{{1, 1, 1}, 1.0f, false, nullptr, origin, false};
  Work corners[4] = {MakeWork({left, top, origin.z}, 0, 0), MakeWork({left + width, top, origin.z}, 1, 0),
                     MakeWork({left + width, top - height, origin.z}, 1, 1),
                     MakeWork({left, top - height, origin.z}, 0, 1)};
  for (Work& corner : corners) LightVertex(corner, origin, {0, 0, -1}, unlit);
  FOut.clear();
  FIndices.clear();
  ClipAndEmit(corners[0], corners[1], corners[2]);
  ClipAndEmit(corners[0], corners[2], corners[3]);
  d3d::DrawState state = StateFor(&texture.DeviceTexture(), texture.HasAlpha(), zEnabled);
  state.shade = d3d::Shade::Flat;
  Flush(state);
}

d3d::DrawState Renderer::StateFor(const d3d::Texture* texture, bool translucent, bool zEnabled) const {
  const d3d::Device& device = *FDevice->GetDirect3DDevice();
  d3d::DrawState state;
  state.texture = texture;
  state.filter = static_cast<d3d::Filter>(FDevice->GetTextureQuality());
  state.zTest = state.zWrite = FHasDepth && zEnabled;
  state.blend = translucent && (FDevice->GetRenderMode() & D3DRMRENDERMODE_BLENDEDTRANSPARENCY) != 0;
  state.alphaTest = device.GetRenderState(d3d::RenderStateType::AlphaTestEnable) != 0;
  state.alphaFunc = static_cast<d3d::Compare>(device.GetRenderState(d3d::RenderStateType::AlphaFunc));
  state.alphaRef = static_cast<std::uint8_t>(device.GetRenderState(d3d::RenderStateType::AlphaRef));
  state.mipLodBias = FloatState(device, d3d::RenderStateType::MipMapLodBias);
  state.fog = FFogEnabled;
  state.fogColor = FFog.color;
  state.dither = FDevice->GetDither();
  state.clipLeft = FClipLeft;
  state.clipTop = FClipTop;
  state.clipRight = FClipRight;
  state.clipBottom = FClipBottom;
  return state;
}

void Renderer::Flush(const d3d::DrawState& state) {
  if (FIndices.empty()) return;
  FDevice->GetDirect3DDevice()->DrawTriangles(state, FOut, FIndices);
}

Renderer::Work Renderer::Interpolate(const Work& a, const Work& b, float t) {
  auto mix = [t](float x, float y) { return x + (y - x) * t; };
  Work w;
  w.camera = a.camera + (b.camera - a.camera) * t;
  w.r = mix(a.r, b.r), w.g = mix(a.g, b.g), w.b = mix(a.b, b.b), w.a = mix(a.a, b.a);
  w.sr = mix(a.sr, b.sr), w.sg = mix(a.sg, b.sg), w.sb = mix(a.sb, b.sb);
  w.fog = mix(a.fog, b.fog);
  w.tu = mix(a.tu, b.tu), w.tv = mix(a.tv, b.tv);
  w.outcode = 0;
  return w;
}

}  // namespace rm
