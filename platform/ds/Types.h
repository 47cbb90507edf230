#pragma once

#include <cstdint>

namespace ds {

// Results of every call: 0 is success, failures are the platform's 32-bit codes, whose low 12 bits
// are what the object model reports after " code: ".
using Result = std::int32_t;

constexpr Result kOk = 0;
constexpr Result kErrNoDriver = static_cast<Result>(0x88780078);
constexpr Result kErrInvalidParam = static_cast<Result>(0x80070057);
constexpr Result kErrInvalidCall = static_cast<Result>(0x88780032);
constexpr Result kErrBadFormat = static_cast<Result>(0x88780064);
constexpr Result kErrControlUnavail = static_cast<Result>(0x8878001E);
constexpr Result kErrPrioLevelNeeded = static_cast<Result>(0x88780046);
constexpr Result kErrBufferLost = static_cast<Result>(0x88780096);
constexpr Result kErrNoInterface = static_cast<Result>(0x80004002);
constexpr Result kErrOutOfMemory = static_cast<Result>(0x8007000E);
constexpr Result kErrGeneric = static_cast<Result>(0x80004005);

// The window a sound object cooperates with (opaque here: nothing on Linux needs it).
using WindowHandle = std::uintptr_t;

// Cooperative levels.
constexpr std::uint32_t kScopeNormal = 1;
constexpr std::uint32_t kScopePriority = 2;

// Buffer capability flags.
constexpr std::uint32_t kCapsPrimaryBuffer = 0x01;
constexpr std::uint32_t kCapsStatic = 0x02;
constexpr std::uint32_t kCapsLocSoftware = 0x08;
constexpr std::uint32_t kCapsCtrl3D = 0x10;
constexpr std::uint32_t kCapsCtrlFrequency = 0x20;
constexpr std::uint32_t kCapsCtrlPan = 0x40;
constexpr std::uint32_t kCapsCtrlVolume = 0x80;

// Buffer status bits.
constexpr std::uint32_t kStatusPlaying = 0x01;
constexpr std::uint32_t kStatusBufferLost = 0x02;
constexpr std::uint32_t kStatusLooping = 0x04;

constexpr std::uint32_t kPlayLooping = 0x01;
constexpr std::uint32_t kLockEntireBuffer = 0x02;

// Ranges the calls accept.
constexpr std::int32_t kVolumeMin = -10000;
constexpr std::int32_t kVolumeMax = 0;
constexpr std::int32_t kPanLeft = -10000;
constexpr std::int32_t kPanRight = 10000;
constexpr std::uint32_t kFrequencyOriginal = 0;
constexpr std::uint32_t kFrequencyMin = 100;
constexpr std::uint32_t kFrequencyMax = 100000;
constexpr std::uint32_t kBufferBytesMin = 4;
constexpr std::uint32_t kBufferBytesMax = 0x0FFFFFFF;

// 3D processing modes and when parameters take effect.
constexpr std::uint32_t kMode3DNormal = 0;
constexpr std::uint32_t kMode3DHeadRelative = 1;
constexpr std::uint32_t kMode3DDisable = 2;
constexpr std::uint32_t kApplyImmediate = 0;
constexpr std::uint32_t kApplyDeferred = 1;

constexpr std::uint32_t kConeAngleMax = 360;
constexpr float kRolloffFactorMax = 10.0f;
constexpr float kDopplerFactorMax = 10.0f;

constexpr std::uint16_t kWaveFormatPcm = 1;

// The wave format block (18 bytes where it is stored).
struct WaveFormat {
  std::uint16_t FormatTag = kWaveFormatPcm;
  std::uint16_t Channels = 2;
  std::uint32_t SamplesPerSec = 22050;
  std::uint32_t AvgBytesPerSec = 88200;
  std::uint16_t BlockAlign = 4;
  std::uint16_t BitsPerSample = 16;
  std::uint16_t ExtraSize = 0;

  bool operator==(const WaveFormat&) const = default;
};
constexpr std::uint32_t kWaveFormatBytes = 18;

// What a buffer is created with (20 bytes where it is stored: the format link counts 4).
struct BufferDesc {
  std::uint32_t Size = 20;
  std::uint32_t Flags = 0;
  std::uint32_t BufferBytes = 0;
  std::uint32_t Reserved = 0;
  const WaveFormat* Format = nullptr;
};
constexpr std::uint32_t kBufferDescBytes = 20;

struct BufferCaps {
  std::uint32_t Size = 20;
  std::uint32_t Flags = 0;
  std::uint32_t BufferBytes = 0;
  std::uint32_t UnlockTransferRate = 0;
  std::uint32_t PlayCpuOverhead = 0;
};
constexpr std::uint32_t kBufferCapsBytes = 20;

// Left-handed coordinates: +x right, +y up, +z ahead.
struct Vector {
  float x = 0.0f, y = 0.0f, z = 0.0f;

  bool operator==(const Vector&) const = default;
};

// A source's 3D parameters.
struct Buffer3DParams {
  std::uint32_t Size = 64;
  Vector Position;
  Vector Velocity;
  std::uint32_t InsideConeAngle = kConeAngleMax;
  std::uint32_t OutsideConeAngle = kConeAngleMax;
  Vector ConeOrientation{0.0f, 0.0f, 1.0f};
  std::int32_t ConeOutsideVolume = 0;
  float MinDistance = 1.0f;
  float MaxDistance = 1e9f;
  std::uint32_t Mode = kMode3DNormal;
};
static_assert(sizeof(Buffer3DParams) == 64);
constexpr std::uint32_t kBuffer3DParamsBytes = 64;

// The listener's parameters.
struct ListenerParams {
  std::uint32_t Size = 64;
  Vector Position;
  Vector Velocity;
  Vector OrientFront{0.0f, 0.0f, 1.0f};
  Vector OrientTop{0.0f, 1.0f, 0.0f};
  float DistanceFactor = 1.0f;
  float RolloffFactor = 1.0f;
  float DopplerFactor = 1.0f;
};
static_assert(sizeof(ListenerParams) == 64);
constexpr std::uint32_t kListenerParamsBytes = 64;

}  // namespace ds
