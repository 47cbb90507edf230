#pragma once

// The sound interface wrapper: the sound object with its primary buffer and listener, secondary
// buffers, and the 3D parameter blocks of buffers and listener.
//
// Settings live in these objects and reach the platform lazily: a setter records the value and
// marks it pending, and Apply (buffers) or Commit (3D blocks) sends what is pending. Without a
// sound device every operation quietly does nothing, so the rest of the world runs silent; only
// the accessors of platform objects that were never created raise.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/ds/Buffer.h"
#include "platform/ds/Sound.h"
#include "platform/ds/Spatial.h"
#include "platform/rtl/Object.h"

class TDXSound;
class TDXSoundBuffer;

// What the listener and a buffer's 3D parameters share: a block recorded here, marked out of sync
// by any change, and sent whole by Commit.
template <class TBlock, class TInterface>
class TDXSound3DBlock : public rtl::TObject {
 public:
  // Sends the block unless it is in sync (or there is no sound device).
  void Commit();

  const TBlock& Params() const { return FParams; }
  bool InSync() const { return FInSync; }
  bool Available() const { return FAvailable; }
  bool Created() const { return FInterface != nullptr; }
  void ReleaseInterface() { FInterface.reset(); }
  // Raises the "not created" message when the interface was never acquired.
  TInterface& Interface() const;

 protected:
  struct Messages {
    const char* NotCreated;
    const char* CommitFailed;
  };
  TDXSound3DBlock(TDXSoundBuffer* buffer, bool available, Messages messages)
      : FBuffer(buffer), FAvailable(available), FMessages(messages) {}

  template <class T>
  void Store(T& field, const T& value) {
    if (field == value) return;
    field = value;
    FInSync = false;
  }

  TBlock FParams;
  std::uint32_t FApplyMode = ds::kApplyImmediate;
  bool FInSync = false;  // the first commit sends the whole block
  std::unique_ptr<TInterface> FInterface;
  TDXSoundBuffer* FBuffer;
  bool FAvailable;

 private:
  Messages FMessages;
};

// The listener's parameters.
class TDXSound3DListener : public TDXSound3DBlock<ds::ListenerParams, ds::Listener> {
 public:
  // Raises "DXSound3DListener: Sound buffer not primary" for any other buffer.
  explicit TDXSound3DListener(TDXSoundBuffer* buffer);

  // Each clears the in-sync flag when it changes the block. Position, velocity and orientation
  // components closer to 0 than 1e-6 are stored as 0.
  void SetDistanceFactor(float factor) { Store(FParams.DistanceFactor, factor); }
  void SetRolloffFactor(float factor) { Store(FParams.RolloffFactor, factor); }
  void SetDopplerFactor(float factor) { Store(FParams.DopplerFactor, factor); }
  void SetPosition(float x, float y, float z) { StoreSnapped(FParams.Position, x, y, z); }
  void SetVelocity(float x, float y, float z) { StoreSnapped(FParams.Velocity, x, y, z); }
  void SetOrientation(float frontX, float frontY, float frontZ, float topX, float topY, float topZ);

  void AcquireInterface();

 private:
  void StoreSnapped(ds::Vector& field, float x, float y, float z);
};

// A buffer's 3D parameters.
class TDXSound3DBuffer : public TDXSound3DBlock<ds::Buffer3DParams, ds::Buffer3D> {
 public:
  explicit TDXSound3DBuffer(TDXSoundBuffer* buffer);

  // Each clears the in-sync flag when it changes the block.
  void SetPosition(float x, float y, float z) { Store(FParams.Position, ds::Vector{x, y, z}); }
  void SetVelocity(float x, float y, float z) { Store(FParams.Velocity, ds::Vector{x, y, z}); }
  void SetConeOrientation(float x, float y, float z) { Store(FParams.ConeOrientation, ds::Vector{x, y, z}); }
  void SetMinDistance(float distance) { Store(FParams.MinDistance, distance); }
  void SetMaxDistance(float distance) { Store(FParams.MaxDistance, distance); }
  void SetInsideConeAngle(std::uint32_t angle) { Store(FParams.InsideConeAngle, angle); }
  void SetOutsideConeAngle(std::uint32_t angle) { Store(FParams.OutsideConeAngle, angle); }
  void SetConeOutsideVolume(std::int32_t volume) { Store(FParams.ConeOutsideVolume, volume); }
  void SetAllParameters(const ds::Buffer3DParams& params);

  // The platform's values once the interface exists, else the recorded ones.
  ds::Buffer3DParams GetAllParameters() const;
  float GetMaxDistance() const;
  float GetMinDistance() const;
  std::uint32_t GetInsideConeAngle() const;
  std::uint32_t GetOutsideConeAngle() const;
  std::int32_t GetConeOutsideVolume() const;

  void AcquireInterface();
  // The primary buffer has none of its own.
  void SetAvailable(bool available) { FAvailable = available; }

 private:
  void GetConeAngles(std::uint32_t& inside, std::uint32_t& outside) const;
};

// One sound buffer: its description, format and playback settings, and the platform buffer made
// from them, which may be created and released many times.
class TDXSoundBuffer : public rtl::TObject {
 public:
  // Pending settings.
  static constexpr std::uint8_t kPendingRecreate = 0x01;
  static constexpr std::uint8_t kPendingFormat = 0x02;
  static constexpr std::uint8_t kPendingPosition = 0x04;
  static constexpr std::uint8_t kPendingVolume = 0x08;
  static constexpr std::uint8_t kPendingPan = 0x10;
  static constexpr std::uint8_t kPendingFrequency = 0x20;
  static constexpr std::uint8_t kPendingPlayMode = 0x40;

  static constexpr std::uint32_t kDefaultFlags =
      ds::kCapsCtrl3D | ds::kCapsCtrlFrequency | ds::kCapsCtrlPan | ds::kCapsCtrlVolume;
  static constexpr std::uint32_t kDefaultBufferBytes = 88200;

  explicit TDXSoundBuffer(TDXSound* owner);
  ~TDXSoundBuffer() override;

  // Setters record the value and mark it pending; the current value marks nothing.
  void SetFlags(std::uint32_t flags);
  void SetDescription(const ds::BufferDesc& description);
  void SetFormat(const ds::WaveFormat& format);
  void SetChannels(std::uint16_t channels);
  void SetBitsPerSample(std::uint16_t bits);
  void SetSampleRate(std::uint32_t rate);
  void SetPosition(std::uint32_t position);
  void SetVolume(std::int32_t volume);
  void SetPan(std::int32_t pan);
  void SetFrequency(std::uint32_t frequency);
  void SetLooping(bool looping);
  // The primary buffer has no 3D parameters of its own.
  void SetPrimary(bool primary);
  void SetControl3D(bool control3D);

  // The platform's values once the buffer exists, else the recorded ones.
  ds::BufferCaps GetCaps() const;
  std::uint32_t GetStatus() const;
  std::uint32_t GetFlags() const;
  ds::WaveFormat GetFormat() const;
  std::uint32_t GetPosition() const;
  std::int32_t GetVolume() const;
  std::int32_t GetPan() const;
  // Without a buffer and without a frequency set, the format's sample rate.
  std::uint32_t GetFrequency() const;
  bool Playing() const { return (GetStatus() & ds::kStatusPlaying) != 0; }
  bool Lost() const { return (GetStatus() & ds::kStatusBufferLost) != 0; }

  // Copies `size` bytes of `data` into the buffer from `pos`, wrapping to the start when they run
  // past its end; returns the bytes written (0 without a sound device).
  std::uint32_t Write(std::uint32_t pos, std::uint32_t size, const void* data);
  // Plays from the start (the position is sent with the next Apply).
  void Play();
  // Plays on from where the buffer stopped.
  void Resume();
  void Stop();

  void CreateBuffer();
  // Sends the pending settings, then commits the 3D block.
  void Apply();
  void RestoreBuffer();
  // The 3D interface goes first, then the buffer.
  void ReleaseBuffer();

  const ds::BufferDesc& Description() const { return FDescription; }
  const ds::WaveFormat& Format() const { return FFormat; }
  bool Looping() const { return FLooping; }
  bool Primary() const { return (FDescription.Flags & ds::kCapsPrimaryBuffer) != 0; }
  bool Control3D() const { return (FDescription.Flags & ds::kCapsCtrl3D) != 0; }
  std::uint8_t Pending() const { return FPending; }
  bool Available() const { return FAvailable; }
  bool Created() const { return FBuffer != nullptr; }
  TDXSound& Owner() const { return *FOwner; }
  TDXSound3DBuffer& Sound3D() const { return *FSound3D; }
  // Raises "TDXSoundBuffer: Buffer not created".
  ds::Buffer& Buffer() const;

 private:
  friend class TDXSound;  // duplicating copies the recorded settings and names the source

  template <class T>
  void Record(T& field, const T& value, std::uint8_t pending);
  template <class Send>
  void ApplyStep(std::uint8_t pending, Send send);
  void StartPlaying();

  TDXSound* FOwner;
  ds::BufferDesc FDescription;
  ds::WaveFormat FFormat;
  std::uint32_t FPosition = 0;
  std::int32_t FVolume = 0;
  std::int32_t FPan = 0;
  std::uint32_t FFrequency = ds::kFrequencyOriginal;  // none set: the format's rate
  bool FLooping = false;
  std::uint8_t FPending = 0;
  std::unique_ptr<ds::Buffer> FBuffer;
  // The platform buffer this one is to duplicate when it is created; another buffer's, not owned.
  const ds::Buffer* FSource = nullptr;
  std::unique_ptr<TDXSound3DBuffer> FSound3D;
  bool FAvailable;
};

// The sound object, its primary buffer and listener, and the secondary buffers it owns.
class TDXSound : public rtl::TObject {
 public:
  // Opens the default output device; without one the object is not Available and stays silent.
  explicit TDXSound(ds::WindowHandle window);
  ~TDXSound() override;

  void SetCooperativeLevel(std::uint32_t level);
  TDXSoundBuffer& AddBuffer();
  // A new buffer that will share `buffer`'s samples and starts with its settings.
  TDXSoundBuffer& DuplicateBuffer(const TDXSoundBuffer& buffer);
  void RemoveBuffer(TDXSoundBuffer* buffer);

  // Raises "DXSound: Direct Sound not created".
  ds::Sound& DirectSound() const;
  bool Available() const { return FAvailable; }
  ds::WindowHandle WindowHandle() const { return FWindowHandle; }
  std::uint32_t CooperativeLevel() const { return FCooperativeLevel; }
  TDXSoundBuffer& PrimaryBuffer() const { return *FPrimaryBuffer; }
  TDXSound3DListener& Listener() const { return *FListener; }
  const std::vector<std::unique_ptr<TDXSoundBuffer>>& Buffers() const { return FBuffers; }

 private:
  friend class TDXSoundBuffer;
  // A platform buffer is going: buffers that were to duplicate it will be created afresh.
  void ForgetSource(const ds::Buffer* source);

  std::unique_ptr<ds::Sound> FDirectSound;
  bool FAvailable = false;
  ds::WindowHandle FWindowHandle;
  std::uint32_t FCooperativeLevel = 0;
  std::unique_ptr<TDXSoundBuffer> FPrimaryBuffer;
  std::unique_ptr<TDXSound3DListener> FListener;
  std::vector<std::unique_ptr<TDXSoundBuffer>> FBuffers;
};
