#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// Sound tests listen through OpenAL Soft's wave backend: every output device this test process
// opens writes what it plays, in real time, to one stereo 16-bit wave file at kOutputRate, which
// is complete once the device is closed. The configuration is put in place before main runs, so
// the first OpenAL call of any test reads it; a system or user configuration cannot interfere.
constexpr int kOutputRate = 22050;

// What a device wrote: interleaved stereo samples.
struct Wave {
  int Rate = 0;
  int Channels = 0;
  std::vector<std::int16_t> Samples;

  std::size_t Frames() const { return Channels == 0 ? 0 : Samples.size() / Channels; }
  // Root mean square of one channel (or of both, channel -1) over the audible blocks.
  double Rms(int channel = -1) const;
  // How many frames lie in audible blocks: how long something was heard.
  std::size_t AudibleFrames() const;
  // The longest run of silent frames between the first and the last audible block.
  std::size_t LongestGapFrames() const;
  // The dominant frequency of the louder channel over the audible blocks, from its zero crossings.
  double Pitch() const;

 private:
  std::vector<bool> AudibleBlocks() const;
  std::vector<bool> InnerAudibleBlocks() const;
  double BlockRms(std::size_t block, int channel) const;
  int LouderChannel() const;
};

// Makes the next output device that opens fail (its file cannot be created) or work again.
void SetAudioDeviceAvailable(bool available);
// Makes the open output device fail as it plays (its file may grow no more: a file size limit on
// this process, which OpenAL Soft reports as a disconnected device), or lifts the limit again.
void SetAudioOutputWritable(bool writable);
// How many bytes the output device has written to its file so far.
std::uintmax_t AudioOutputBytes();
// Reads the file the last closed device wrote.
Wave ReadWaveOutput();

// A mono 16-bit sine at kOutputRate samples per second.
std::vector<std::uint8_t> Tone(double seconds, double frequency, double amplitude);

// Pauses the test while the device plays in real time.
void SleepMs(int milliseconds);

}  // namespace testing_support
