#pragma once

// Draws a frame tree for a viewport: walks the frames (clip boxes, z-buffer and sort modes),
// lights and fogs the vertices on the CPU, culls back faces, clips to the view volume, projects,
// and hands screen-space triangles to the rasterizer device. Its buffers live from frame to frame,
// so a frame allocates nothing once they have grown.

#include <cstdint>
#include <vector>

#include "platform/d3d/Types.h"
#include "platform/rm/Frame.h"
#include "platform/rm/Light.h"
#include "platform/rm/Mesh.h"
#include "platform/rm/Texture.h"

namespace rm {

class Device;

// What the viewport tells the renderer about the view.
struct View {
  Matrix cameraWorld;
  float front, back, field;
  bool orthographic;
  int x, y, width, height;
  bool hasDepth;  // the device's target has a depth buffer
};

class Renderer {
 public:
  std::int32_t Render(const View& view, Device& device, Frame& root);

 private:
  struct LightInstance {
    const Light* light;
    Vector position;
    Vector direction;  // the light frame's +z in scene coordinates
    const Frame* enableFrame;
  };
  struct Work {  // a vertex in camera space with its lit colours
    Vector camera;
    float r, g, b, a;  // diffuse 0..1
    float sr, sg, sb;  // specular 0..1
    float fog;         // 1 no fog .. 0 all fog
    float tu, tv;
    std::uint8_t outcode;  // the view-volume planes it lies outside
  };
  struct Lighting {  // the colours a group or decal is lit with
    ColorRGB base;
    float alpha;
    bool lit;
    const Material* material;
    Vector frameOrigin;  // where parallel-point lights aim
    bool shiny;          // the material has a specular colour: only then is the highlight worked out
  };

  void Setup(const View& view, Device& device, Frame& root);
  void CollectLights(Frame& frame, const Matrix& parentWorld);
  void Walk(Frame& frame, const Matrix& parentWorld, bool zEnabled, bool backToFront);
  void DrawChildren(Frame& frame, const Matrix& world, bool zEnabled, bool backToFront);
  bool BoxOutside(const Box& box, const Matrix& toCamera) const;
  void SelectLights(const Frame& frame);
  void DrawMesh(const Mesh& mesh, const Matrix& world, const Vector& origin, bool zEnabled);
  void DrawGroup(const MeshGroup& group, const Matrix& world, const Vector& origin, bool zEnabled);
  void DrawDecal(const Texture& texture, const Matrix& world, bool zEnabled);

  Work MakeWork(const Vector& camera, float tu, float tv) const;
  void LightVertex(Work& work, const Vector& worldPosition, const Vector& worldNormal, const Lighting& lighting) const;
  float LightIntensity(const LightInstance& instance, const Vector& position, const Vector& normal,
                       const Vector& frameOrigin, float* specular, const Lighting& lighting) const;
  std::uint8_t Outcode(const Vector& camera) const;
  float PlaneDistance(const Vector& camera, int plane) const;
  d3d::TLVertex Project(const Work& work) const;
  static Work Interpolate(const Work& a, const Work& b, float t);
  std::uint32_t Emit(const Work& work);
  void EmitTriangle(std::uint32_t i0, std::uint32_t i1, std::uint32_t i2);
  bool FrontFacing(const Vector& a, const Vector& b, const Vector& c) const;
  void ClipAndEmit(const Work& a, const Work& b, const Work& c);
  d3d::DrawState StateFor(const d3d::Texture* texture, bool blend, bool zEnabled) const;
  void Flush(const d3d::DrawState& state);

  Device* FDevice = nullptr;
  Matrix FView{};
  Vector FCameraPosition{};
  float FFront = 1, FBack = 100, FKx = 1, FKy = 1, FScale = 1, FCx = 0, FCy = 0;
  bool FOrthographic = false;
  int FClipLeft = 0, FClipTop = 0, FClipRight = 0, FClipBottom = 0;
  bool FHasDepth = false;
  bool FFogEnabled = false;
  SceneFog FFog;
  std::vector<LightInstance> FLights;
  std::vector<const LightInstance*> FActive;  // the lights that reach the frame being drawn
  std::vector<Work> FWork;
  std::vector<std::int32_t> FEmitted;  // per source vertex: its screen vertex, or -1
  std::vector<d3d::TLVertex> FOut;
  std::vector<std::uint32_t> FIndices;
  std::vector<Work> FClipA, FClipB;
  std::vector<std::pair<float, Frame*>> FOrder;  // children being sorted, a range per tree level
};

}  // namespace rm
