#pragma once

// A sound buffer. A secondary buffer is a CPU copy of its samples, an OpenAL buffer that the copy is
// uploaded to when it is unlocked, and an OpenAL source that plays it; duplicates share the copy
// and the OpenAL buffer. The primary buffer stands for the mix: its volume is the listener's gain.
//
// Playback follows the original platform: Stop pauses (the play cursor stays), Play on a playing
// buffer only changes its looping, and a non-looping buffer that reaches its end stops with the
// cursor back at 0. OpenAL never loses buffers; a loss is injected through "ds.Buffer.Lost",
// which the next status read reports and which leaves the samples undefined (zeroed) until they
// are written again.
//
// Without an output device a buffer has no OpenAL objects: it keeps its samples and settings, a
// looping buffer that plays goes on playing silently, and any other one ends at once. The device's
// return gives them back (Attach).
//
// A buffer without 3D control plays at the listener, panned; with 3D control its source follows the
// 3D parameters. Mono samples are spatialised, stereo samples play as they are.

#include <AL/al.h>

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/ds/Types.h"

namespace ds {

class Sound;
class Buffer3D;
class Listener;

class Buffer {
 public:
  ~Buffer();
  Buffer(const Buffer&) = delete;
  Buffer& operator=(const Buffer&) = delete;

  Result GetCaps(BufferCaps& caps) const;
  Result GetFormat(WaveFormat& format) const;
  // Primary buffer only, at priority level or above. The output device keeps its own format.
  Result SetFormat(const WaveFormat& format);
  Result GetStatus(std::uint32_t& status);
  Result GetCurrentPosition(std::uint32_t& play, std::uint32_t& write) const;
  Result SetCurrentPosition(std::uint32_t position);

  // One region from `offset`, or two when the locked span runs past the end and wraps to the start.
  Result Lock(std::uint32_t offset, std::uint32_t bytes, std::uint8_t*& region1, std::uint32_t& bytes1,
              std::uint8_t*& region2, std::uint32_t& bytes2, std::uint32_t flags);
  // Uploads the samples; a playing source carries on from where it was.
  Result Unlock(const std::uint8_t* region1, std::uint32_t bytes1, const std::uint8_t* region2,
                std::uint32_t bytes2);

  Result Play(std::uint32_t reserved, std::uint32_t priority, std::uint32_t flags);
  Result Stop();
  Result Restore();

  // Hundredths of a decibel, kVolumeMin (silence) to 0.
  Result GetVolume(std::int32_t& volume) const;
  Result SetVolume(std::int32_t volume);
  // Hundredths of a decibel of attenuation of the other side, kPanLeft to kPanRight.
  Result GetPan(std::int32_t& pan) const;
  Result SetPan(std::int32_t pan);
  // Samples per second; kFrequencyOriginal plays at the format's rate.
  Result GetFrequency(std::uint32_t& frequency) const;
  Result SetFrequency(std::uint32_t frequency);

  // The 3D parameters of a secondary buffer; the listener of a primary buffer with 3D control.
  Result Query3DBuffer(std::unique_ptr<Buffer3D>& buffer3D);
  Result QueryListener(std::unique_ptr<Listener>& listener);

 private:
  friend class Sound;
  friend class Buffer3D;

  // The samples and the OpenAL buffer that duplicates share.
  struct Store {
    ~Store();
    // The OpenAL buffer, made and filled when there is none; false when OpenAL has no room.
    bool Attach();
    void Detach();
    // Uploads the samples, whole frames only.
    void Fill() const;
    std::vector<std::uint8_t> Bytes;
    ALuint Name = 0;
    ALenum Format = 0;
    ALsizei Rate = 0;
    std::uint16_t BlockAlign = 1;
    std::vector<Buffer*> Users;
  };

  Buffer(Sound* sound, const BufferDesc& desc);
  Result CreateSource(std::shared_ptr<Store> store);
  // The OpenAL objects on the sound's new device; a looping buffer that plays starts again.
  void Attach();
  // Lets go of the OpenAL objects before the device goes.
  void Detach();
  // A new OpenAL source; false when OpenAL has no room.
  bool GenerateSource();
  bool Primary() const { return (FDesc.Flags & kCapsPrimaryBuffer) != 0; }
  bool HasControl(std::uint32_t control) const { return (FDesc.Flags & control) != 0; }
  // The fault armed for `call`, else kErrControlUnavail unless the buffer has `control`.
  Result CheckControl(std::string_view call, std::uint32_t control) const;
  bool SourcePlaying() const;
  // Starts the source at the start cursor; the cursor then reads from OpenAL.
  void Start();
  // Pauses the source, keeping its cursor as the start cursor.
  void Halt();
  void Upload();
  void Lose();
  void ApplyGain() const;
  void ApplySpatial() const;
  void ApplyRolloff() const;
  void SetSpatial(const Buffer3DParams& params);

  Sound* FSound;
  BufferDesc FDesc;
  WaveFormat FFormat;
  std::shared_ptr<Store> FStore;  // shared with duplicates; none for the primary buffer
  ALuint FSource = 0;
  std::uint32_t FCursor = 0;      // where the next start begins, while the source is not playing
  bool FPlayingPrimary = false;   // the primary buffer has no source to ask
  bool FPlaying = false;          // played and not stopped: what a buffer without a source goes by
  bool FLooping = false;
  bool FLost = false;
  bool FResumeAfterUpload = false;
  std::int32_t FVolume = 0;
  std::int32_t FPan = 0;
  std::uint32_t FFrequency = kFrequencyOriginal;
  Buffer3DParams F3D;
};

}  // namespace ds
