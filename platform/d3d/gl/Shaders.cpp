#include "platform/d3d/gl/Shaders.h"

#include <vector>

#include "platform/d3d/gl/GLApi.h"

namespace d3d::gl {

namespace {

constexpr std::array<const char*, kUniformCount> kUniformNames = {
    "uTargetSize", "uPerspective", "uSnap", "uFogColor", "uAlphaFunc", "uAlphaRef", "uLodBias", "uTexture", "uKeyMask"};

constexpr std::array<const char*, kFeatureCount> kFeatureDefines = {
    "#define FLAT\n", "#define TEXTURE\n",    "#define COLOR_KEY\n", "#define SPECULAR\n",
    "#define FOG\n",  "#define ALPHA_TEST\n", "#define ROUND_565\n", "#define DITHER_565\n"};

// Flat faces take the first vertex's colours (the provoking vertex); otherwise colours are
// interpolated linearly in screen space, as the software device does.
constexpr const char* kCommon = R"(
#ifdef FLAT
#define SHADE flat
#else
#define SHADE noperspective
#endif
)";

// Positions arrive in pixels from the top-left and leave as normalised coordinates with w = 1, so
// that every value is interpolated linearly in screen space, as the software device does; texture
// coordinates travel multiplied by q (1/w, or 1 when affine) and are divided per pixel. Positions
// are snapped to the software device's 1/16-pixel grid so that both cover the same pixels.
constexpr const char* kVertexShader = R"(
layout(location = 0) in vec4 aPosition;  // sx, sy, sz, rhw
layout(location = 1) in vec4 aColor;
layout(location = 2) in vec4 aSpecular;  // alpha: the fog factor
layout(location = 3) in vec2 aTexCoord;

uniform vec2 uTargetSize;
uniform bool uPerspective;
uniform int uSnap;

SHADE out vec4 vColor;
SHADE out vec4 vSpecular;
noperspective out vec3 vTexCoord;

void main() {
  vec2 position = clamp(aPosition.xy, vec2(-32768.0), vec2(32768.0));
  position = uSnap == 0 ? floor(position * 16.0 + 0.5) / 16.0 : floor(position) + 0.5;
  gl_Position = vec4(position / uTargetSize * 2.0 - 1.0, aPosition.z * 2.0 - 1.0, 1.0);
  vColor = aColor;
  vSpecular = aSpecular;
  float q = uPerspective ? aPosition.w : 1.0;
  vTexCoord = vec3(aTexCoord * q, q);
}
)";

constexpr const char* kFragmentShader = R"(
SHADE in vec4 vColor;
SHADE in vec4 vSpecular;
noperspective in vec3 vTexCoord;

uniform vec3 uFogColor;
uniform int uAlphaFunc;
uniform int uAlphaRef;
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
  vec4 color = vColor;
#ifdef TEXTURE
  vec2 uv = vTexCoord.xy / vTexCoord.z;
  vec4 texel = texture(uTexture, uv, uLodBias);
#ifdef COLOR_KEY
  // Keyed texels are stored as zero and left out of the mask: the filtered texel divided by the
  // filtered mask is the mean of the unkeyed taps; mostly keyed, the pixel is not drawn.
  float unkeyed = texture(uKeyMask, uv, uLodBias).r;
  if (unkeyed < 0.5) discard;
  texel /= unkeyed;
#endif
  color *= texel;
#endif
#ifdef SPECULAR
  color.rgb = min(color.rgb + vSpecular.rgb, vec3(1.0));
#endif
#ifdef FOG
  color.rgb = mix(uFogColor, color.rgb, vSpecular.a);
#endif
  color = clamp(color, 0.0, 1.0);
#ifdef ALPHA_TEST
  if (!AlphaPasses(int(color.a * 255.0 + 0.5))) discard;
#endif
#if defined(ROUND_565) || defined(DITHER_565)
  // 5-6-5 levels, truncated after adding a half or the dither threshold, as the software device
  // does; the framebuffer then stores them exactly, whatever its own rounding.
#ifdef DITHER_565
  ivec2 pixel = ivec2(gl_FragCoord.xy) & 3;
  float threshold = (float(kBayer[pixel.y * 4 + pixel.x]) + 0.5) / 16.0;
#else
  float threshold = 0.5;
#endif
  vec3 levels = vec3(31.0, 63.0, 31.0);
  color.rgb = floor(color.rgb * levels + threshold) / levels;
#endif
  fragColor = color;
}
)";

unsigned Compile(GLenum type, std::uint32_t features, const char* body, std::string* error) {
  std::array<const char*, kFeatureCount + 3> sources{};
  std::size_t count = 0;
  sources[count++] = "#version 330 core\n";
  for (std::size_t i = 0; i < kFeatureCount; ++i) {
    if ((features & (1u << i)) != 0) sources[count++] = kFeatureDefines[i];
  }
  sources[count++] = kCommon;
  sources[count++] = body;
  const GLuint shader = glCreateShader(type);
  glShaderSource(shader, static_cast<GLsizei>(count), sources.data(), nullptr);
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

bool BuildProgram(std::uint32_t features, Program* program, std::string* error) {
  const GLuint vertex = Compile(GL_VERTEX_SHADER, features, kVertexShader, error);
  if (vertex == 0) return false;
  const GLuint fragment = Compile(GL_FRAGMENT_SHADER, features, kFragmentShader, error);
  if (fragment == 0) {
    glDeleteShader(vertex);
    return false;
  }
  const GLuint name = glCreateProgram();
  glAttachShader(name, vertex);
  glAttachShader(name, fragment);
  glLinkProgram(name);
  glDeleteShader(vertex);
  glDeleteShader(fragment);
  GLint ok = GL_FALSE;
  glGetProgramiv(name, GL_LINK_STATUS, &ok);
  if (ok != GL_TRUE) {
    GLint length = 0;
    glGetProgramiv(name, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> log(static_cast<std::size_t>(length) + 1, '\0');
    glGetProgramInfoLog(name, length, nullptr, log.data());
    if (error != nullptr) *error = std::string("program: ") + log.data();
    glDeleteProgram(name);
    return false;
  }
  program->name = name;
  for (std::size_t i = 0; i < kUniformCount; ++i) program->uniforms[i] = glGetUniformLocation(name, kUniformNames[i]);
  glUseProgram(name);
  glUniform1i(program->uniforms[kTexture], 0);
  glUniform1i(program->uniforms[kKeyMask], 1);
  return true;
}

}  // namespace d3d::gl
