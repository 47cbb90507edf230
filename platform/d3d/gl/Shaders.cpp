#include "platform/d3d/gl/Shaders.h"

#include <vector>

#include "platform/d3d/gl/GLApi.h"

namespace d3d::gl {

const std::array<const char*, kUniformCount> kUniformNames = {
    "uTargetSize", "uPerspective", "uSnap",      "uFlat",     "uTextured", "uKeyed",   "uSpecular", "uFog",
    "uFogColor",   "uAlphaTest",   "uAlphaFunc", "uAlphaRef", "uQuantise", "uLodBias", "uTexture",  "uKeyMask"};

namespace {

// Positions arrive in pixels from the top-left and leave as normalised coordinates with w = 1, so
// that every value is interpolated linearly in screen space, as the software device does; texture
// coordinates travel multiplied by q (1/w, or 1 when affine) and are divided per pixel. Positions
// are snapped to the software device's 1/16-pixel grid so that both cover the same pixels.
constexpr const char* kVertexShader = R"(#version 330 core
layout(location = 0) in vec4 aPosition;  // sx, sy, sz, rhw
layout(location = 1) in vec4 aColor;
layout(location = 2) in vec4 aSpecular;  // alpha: the fog factor
layout(location = 3) in vec2 aTexCoord;

uniform vec2 uTargetSize;
uniform bool uPerspective;
uniform int uSnap;

noperspective out vec4 vColor;
flat out vec4 vColorFlat;
noperspective out vec4 vSpecular;
flat out vec4 vSpecularFlat;
noperspective out vec3 vTexCoord;

void main() {
  vec2 position = clamp(aPosition.xy, vec2(-32768.0), vec2(32768.0));
  position = uSnap == 0 ? floor(position * 16.0 + 0.5) / 16.0 : floor(position) + 0.5;
  gl_Position = vec4(position / uTargetSize * 2.0 - 1.0, aPosition.z * 2.0 - 1.0, 1.0);
  vColor = aColor;
  vColorFlat = aColor;
  vSpecular = aSpecular;
  vSpecularFlat = aSpecular;
  float q = uPerspective ? aPosition.w : 1.0;
  vTexCoord = vec3(aTexCoord * q, q);
}
)";

constexpr const char* kFragmentShader = R"(#version 330 core
noperspective in vec4 vColor;
flat in vec4 vColorFlat;
noperspective in vec4 vSpecular;
flat in vec4 vSpecularFlat;
noperspective in vec3 vTexCoord;

uniform bool uFlat;
uniform bool uTextured;
uniform bool uKeyed;
uniform bool uSpecular;
uniform bool uFog;
uniform vec3 uFogColor;
uniform bool uAlphaTest;
uniform int uAlphaFunc;
uniform int uAlphaRef;
uniform int uQuantise;
uniform float uLodBias;
uniform sampler2D uTexture;
uniform sampler2D uKeyMask;

out vec4 fragColor;

// The software device's 4x4 ordered dither.
const int kBayer[16] = int[16](0, 8, 2, 10, 12, 4, 14, 6, 3, 11, 1, 9, 15, 7, 13, 5);

bool AlphaPasses(int alpha) {
  switch (uAlphaFunc) {
    case 0: return false;
    case 1: return alpha < uAlphaRef;
    case 2: return alpha == uAlphaRef;
    case 3: return alpha <= uAlphaRef;
    case 4: return alpha > uAlphaRef;
    case 5: return alpha != uAlphaRef;
    case 6: return alpha >= uAlphaRef;
  }
  return true;
}

void main() {
  vec4 color = uFlat ? vColorFlat : vColor;
  vec4 specular = uFlat ? vSpecularFlat : vSpecular;
  if (uTextured) {
    vec2 uv = vTexCoord.xy / vTexCoord.z;
    vec4 texel = texture(uTexture, uv, uLodBias);
    if (uKeyed) {
      // Keyed texels are stored as zero and left out of the mask: the filtered texel divided by the
      // filtered mask is the mean of the unkeyed taps; mostly keyed, the pixel is not drawn.
      float unkeyed = texture(uKeyMask, uv, uLodBias).r;
      if (unkeyed < 0.5) discard;
      texel /= unkeyed;
    }
    color *= texel;
  }
  if (uSpecular) color.rgb = min(color.rgb + specular.rgb, vec3(1.0));
  if (uFog) color.rgb = mix(uFogColor, color.rgb, specular.a);
  color = clamp(color, 0.0, 1.0);
  if (uAlphaTest && !AlphaPasses(int(color.a * 255.0 + 0.5))) discard;
  if (uQuantise != 0) {
    // 5-6-5 levels, truncated after adding a half or the dither threshold, as the software device
    // does; the framebuffer then stores them exactly, whatever its own rounding.
    ivec2 pixel = ivec2(gl_FragCoord.xy) & 3;
    float threshold = uQuantise == 2 ? (float(kBayer[pixel.y * 4 + pixel.x]) + 0.5) / 16.0 : 0.5;
    vec3 levels = vec3(31.0, 63.0, 31.0);
    color.rgb = floor(color.rgb * levels + threshold) / levels;
  }
  fragColor = color;
}
)";

unsigned Compile(GLenum type, const char* source, std::string* error) {
  const GLuint shader = glCreateShader(type);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLint ok = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (ok == GL_TRUE) return shader;
  GLint length = 0;
  glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
  std::vector<char> log(static_cast<std::size_t>(length) + 1, '\0');
  glGetShaderInfoLog(shader, length, nullptr, log.data());
  if (error != nullptr) *error = std::string("shader: ") + log.data();
  glDeleteShader(shader);
  return 0;
}

}  // namespace

unsigned BuildProgram(std::string* error) {
  const GLuint vertex = Compile(GL_VERTEX_SHADER, kVertexShader, error);
  if (vertex == 0) return 0;
  const GLuint fragment = Compile(GL_FRAGMENT_SHADER, kFragmentShader, error);
  if (fragment == 0) {
    glDeleteShader(vertex);
    return 0;
  }
  const GLuint program = glCreateProgram();
  glAttachShader(program, vertex);
  glAttachShader(program, fragment);
  glLinkProgram(program);
  glDeleteShader(vertex);
  glDeleteShader(fragment);
  GLint ok = GL_FALSE;
  glGetProgramiv(program, GL_LINK_STATUS, &ok);
  if (ok == GL_TRUE) return program;
  GLint length = 0;
  glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
  std::vector<char> log(static_cast<std::size_t>(length) + 1, '\0');
  glGetProgramInfoLog(program, length, nullptr, log.data());
  if (error != nullptr) *error = std::string("program: ") + log.data();
  glDeleteProgram(program);
  return 0;
}

}  // namespace d3d::gl
