#pragma once

// The world's sound: the device that owns the sound object and the listener and brings the
// platform up to date once a frame, sample data shared by name, and positional sound sources.
//
// Teardown order: sounds and their collections go before the device they play on.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core3d/Collection3D.h"
#include "core3d/Orientation3D.h"
#include "core3d/Vector3D.h"
#include "platform/rtl/Event.h"
#include "sound/DXSound.h"

class TSound3D;

// A handler that hears about a sound: its update (before the settings are sent) or its end.
using TSoundEvent = rtl::TEvent<TSound3D*>;

// The world's sound output.
class TSoundDevice : public TElement3D {
 public:
  explicit TSoundDevice(ds::WindowHandle window);

  const char* ClassName() const override { return "TSoundDevice"; }

  // Off stops every playing sound where it is; on resumes them. Without a sound device it stays off.
  void SetEnabled(bool enabled);
  // 3D control on or off for every buffer of the sound object.
  void SetUse3D(bool use3D);
  // The primary buffer's format.
  void SetStereo(bool stereo);
  void SetBitsPerSample(std::uint16_t bits);
  void SetSampleRate(std::uint32_t rate);
  // The listener's factors.
  void SetDistanceFactor(float factor);
  void SetDopplerFactor(float factor);
  void SetRolloffFactor(float factor);

  bool Enabled() const { return FEnabled; }
  bool Use3D() const { return FUse3D; }
  std::uint8_t Flag() const { return FFlag; }
  bool Stereo() const;
  std::uint16_t BitsPerSample() const;
  std::uint32_t SampleRate() const;
  float DistanceFactor() const;
  float DopplerFactor() const;
  float RolloffFactor() const;

  // Each change reaches the listener block at once (orientation as front = direction, top = up).
  TOrientation3D& ListenerOrientation() { return FListenerOrientation; }
  TVector3D& ListenerPosition() { return FListenerPosition; }
  TVector3D& ListenerVelocity() { return FListenerVelocity; }

  TDXSound& DXSound() const { return *FDXSound; }
  const std::vector<TSound3D*>& PlayingSounds() const { return FPlayingSounds; }

  // Starts `sound` from its beginning unless it is already playing.
  void PlaySound(TSound3D* sound);
  // Stops a playing sound and tells its OnStop.
  void StopSound(TSound3D* sound);
  // A dying sound leaves the playing list whether or not output is on; StopSound alone keeps it
  // listed while output is off, to be resumed when output comes back.
  void ForgetSound(TSound3D* sound);
  // Once a frame, after the listener moved: the primary buffer, the listener, then every playing
  // sound; sounds found finished leave the list and hear OnStop.
  void Update();

  void Assign(const TElement3D& source) override;
  void LoadFromStream(rtl::TStream& stream) override;
  void SaveToStream(rtl::TStream& stream) override;

 private:
  bool Active() const { return FEnabled && FDXSound->Available(); }
  void UpdatePrimary();
  void UpdateListener();
  void ListenerOrientationChanged(TElement3D* sender);
  void ListenerPositionChanged(TElement3D* sender);
  void ListenerVelocityChanged(TElement3D* sender);

  std::unique_ptr<TDXSound> FDXSound;
  std::vector<TSound3D*> FPlayingSounds;  // not owned
  bool FEnabled;
  bool FUse3D = true;
  std::uint8_t FFlag = 1;  // stored and streamed, with no other effect
  TOrientation3D FListenerOrientation;
  TVector3D FListenerPosition;
  TVector3D FListenerVelocity;
};

// Raw sample bytes in the owning sound's wave format, shared by name through a sound collection.
class TSoundSamples : public TElement3D {
 public:
  TSoundSamples() = default;
  explicit TSoundSamples(std::string name) : FName(std::move(name)) {}

  const char* ClassName() const override { return "TSoundSamples"; }

  // A new size frees the old block and allocates a zeroed one (none for 0).
  void Resize(std::uint32_t size);
  // Both return the new count.
  std::int32_t AddRef() { return ++FRefCount; }
  std::int32_t Release() { return --FRefCount; }

  const std::string& Name() const { return FName; }
  std::uint32_t Size() const { return FSize; }
  std::uint8_t* Data() const { return FData.get(); }
  std::int32_t RefCount() const { return FRefCount; }

  // Copies the bytes, not the name.
  void Assign(const TElement3D& source) override;
  void LoadFromStream(rtl::TStream& stream) override;
  void SaveToStream(rtl::TStream& stream) override;

 private:
  std::string FName;
  std::uint32_t FSize = 0;
  std::unique_ptr<std::uint8_t[]> FData;
  std::int32_t FRefCount = 0;
};

class TCollectionSound3D;

// A positional sound source: its own buffer on the device's sound object, its 3D parameters, and
// shared samples from its collection's pool.
class TSound3D : public TItemCollection3D {
 public:
  // Raises "Sound3D error: Sound device not assigned" unless `collection` is a sound collection
  // with a device.
  TSound3D(TCollection3D* collection, const std::string& name);
  ~TSound3D() override;

  const char* ClassName() const override { return "TSound3D"; }

  void Play();
  // Creates the platform buffer with its samples when there is none (or restores a lost one),
  // tells OnUpdate, then sends what is pending.
  void Update();

  // A lost buffer is restored and its samples written again before it is handed out.
  TDXSoundBuffer& Buffer();
  TSoundSamples* Samples() const { return FSamples; }
  // Each change reaches the 3D parameters at once.
  TVector3D& Position() { return FPosition; }
  TVector3D& ConeOrientation() { return FConeOrientation; }
  TVector3D& Velocity() { return FVelocity; }
  const std::string& TemplateName() const { return FTemplateName; }

  std::int32_t Volume() const { return FBuffer->GetVolume(); }
  void SetVolume(std::int32_t volume) { FBuffer->SetVolume(volume); }
  std::uint32_t Frequency() const { return FBuffer->GetFrequency(); }
  void SetFrequency(std::uint32_t frequency) { FBuffer->SetFrequency(frequency); }
  bool Looping() const { return FBuffer->Looping(); }
  void SetLooping(bool looping) { FBuffer->SetLooping(looping); }
  bool Playing() { return Buffer().Playing(); }
  float MinDistance() const { return FBuffer->Sound3D().GetMinDistance(); }
  void SetMinDistance(float distance) { FBuffer->Sound3D().SetMinDistance(distance); }
  float MaxDistance() const { return FBuffer->Sound3D().GetMaxDistance(); }
  void SetMaxDistance(float distance) { FBuffer->Sound3D().SetMaxDistance(distance); }
  std::uint32_t InsideConeAngle() const { return FBuffer->Sound3D().GetInsideConeAngle(); }
  void SetInsideConeAngle(std::uint32_t angle) { FBuffer->Sound3D().SetInsideConeAngle(angle); }
  std::uint32_t OutsideConeAngle() const { return FBuffer->Sound3D().GetOutsideConeAngle(); }
  void SetOutsideConeAngle(std::uint32_t angle) { FBuffer->Sound3D().SetOutsideConeAngle(angle); }
  std::int32_t ConeOutsideVolume() const { return FBuffer->Sound3D().GetConeOutsideVolume(); }
  void SetConeOutsideVolume(std::int32_t volume) { FBuffer->Sound3D().SetConeOutsideVolume(volume); }

  // Sound items copy their frame's position and direction here.
  TSoundEvent OnUpdate;
  TSoundEvent OnStop;

  void Assign(const TElement3D& source) override;
  void LoadFromStream(rtl::TStream& stream) override;
  void SaveToStream(rtl::TStream& stream) override;

 private:
  void VectorsChanged(TElement3D* sender);
  void WriteSamples();
  void ReleaseSamples();

  TCollectionSound3D* FSounds;  // its collection, kept for the destructor (the entry is gone by then)
  TSoundDevice* FDevice;
  TDXSoundBuffer* FBuffer;      // owned by the device's sound object
  TSoundSamples* FSamples = nullptr;  // owned by the pool
  TVector3D FPosition;
  TVector3D FConeOrientation;
  TVector3D FVelocity;
  std::string FTemplateName;
};

// The sounds of the world and the pool of samples they share.
class TCollectionSound3D : public TCollection3D {
 public:
  TCollectionSound3D(TCollection3D* collection, const std::string& name);
  ~TCollectionSound3D() override;

  const char* ClassName() const override { return "TCollectionSound3D"; }

  TSoundDevice* Device() const { return FDevice; }
  void SetDevice(TSoundDevice* device) { FDevice = device; }
  std::uint32_t SampleCounter() const { return FSampleCounter; }
  // Sorted by name.
  const std::vector<std::unique_ptr<TSoundSamples>>& SamplesPool() const { return FSamplesPool; }

  // A pooled samples object named after the counter, held once.
  TSoundSamples* NewSamples();
  // The pooled samples of exactly that name, held once more; none when there is no such name.
  TSoundSamples* FindSamples(const std::string& name);
  // Lets go of `samples`; the last holder frees it. Raises "CollectionSound3D: samples <name> not
  // deleted" when the last holder lets go of samples the pool does not hold.
  void ReleaseSamples(TSoundSamples* samples);

  void Assign(const TElement3D& source) override;
  void LoadFromStream(rtl::TStream& stream) override;
  void SaveToStream(rtl::TStream& stream) override;

 private:
  using Pool = std::vector<std::unique_ptr<TSoundSamples>>;
  Pool::iterator FirstNamed(const std::string& name);
  void AddToPool(std::unique_ptr<TSoundSamples> samples);

  TSoundDevice* FDevice = nullptr;  // set by the shell, not owned
  std::uint32_t FSampleCounter = 0;
  Pool FSamplesPool;
};
