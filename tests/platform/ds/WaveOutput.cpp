#include "tests/platform/ds/WaveOutput.h"

#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <stdexcept>
#include <thread>

namespace testing_support {

namespace {

constexpr std::size_t kBlockFrames = 64;
constexpr double kAudibleRms = 30.0;  // silence is exact zeros: dithering is off

// The process's wave output: a private folder with the configuration and, inside a folder of its
// own, the file. Removing that inner folder makes opening a device fail, as on a machine without
// a sound card.
class WaveSetup {
 public:
  WaveSetup() {
    std::string pattern = (std::filesystem::temp_directory_path() / "q3d-sound-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary directory");
    FRoot = pattern;
    std::ofstream(FRoot + "/alsoft.conf") << "[general]\n"
                                             "drivers=wave\n"
                                             "channels=stereo\n"
                                             "sample-type=int16\n"
                                             "frequency=" << kOutputRate << "\n"
                                             "period_size=256\n"
                                             "periods=2\n"
                                             "hrtf=false\n"
                                             "dither=false\n"
                                             "stereo-panning=paired\n"
                                             "[wave]\n"
                                             "file=" << File() << "\n";
    setenv("ALSOFT_CONF", (FRoot + "/alsoft.conf").c_str(), 1);
    unsetenv("ALSOFT_DRIVERS");
    SetAvailable(true);
  }
  ~WaveSetup() {
    std::error_code ignored;
    std::filesystem::remove_all(FRoot, ignored);
  }

  std::string File() const { return FRoot + "/out/sound.wav"; }
  void SetAvailable(bool available) {
    if (available) {
      std::filesystem::create_directories(FRoot + "/out");
    } else {
      std::filesystem::remove_all(FRoot + "/out");
    }
  }

 private:
  std::string FRoot;
};

WaveSetup gWaveSetup;

template <class T>
T Field(const std::vector<char>& bytes, std::size_t at) {
  T value;
  std::memcpy(&value, bytes.data() + at, sizeof value);
  return value;
}

}  // namespace

void SetAudioDeviceAvailable(bool available) { gWaveSetup.SetAvailable(available); }

void SetAudioOutputWritable(bool writable) {
  static rlimit unlimited;
  if (writable) {
    setrlimit(RLIMIT_FSIZE, &unlimited);
    std::signal(SIGXFSZ, SIG_DFL);
    return;
  }
  std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead of ending the process
  getrlimit(RLIMIT_FSIZE, &unlimited);
  const rlimit limit{static_cast<rlim_t>(AudioOutputBytes()), unlimited.rlim_max};
  setrlimit(RLIMIT_FSIZE, &limit);
}

std::uintmax_t AudioOutputBytes() {
  std::error_code missing;
  const std::uintmax_t bytes = std::filesystem::file_size(gWaveSetup.File(), missing);
  return missing ? 0 : bytes;
}

// RIFF chunks: the format chunk gives channels and rate, the data chunk the samples.
Wave ReadWaveOutput() {
  std::ifstream file(gWaveSetup.File(), std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  Wave wave;
  for (std::size_t at = 12; at + 8 <= bytes.size();) {
    const std::string id(bytes.data() + at, 4);
    const auto size = Field<std::uint32_t>(bytes, at + 4);
    if (id == "fmt ") {
      wave.Channels = Field<std::uint16_t>(bytes, at + 10);
      wave.Rate = static_cast<int>(Field<std::uint32_t>(bytes, at + 12));
    } else if (id == "data") {
      const std::size_t available = std::min<std::size_t>(size, bytes.size() - at - 8);
      wave.Samples.resize(available / 2);
      std::memcpy(wave.Samples.data(), bytes.data() + at + 8, wave.Samples.size() * 2);
    }
    at += 8 + size;
  }
  return wave;
}

double Wave::BlockRms(std::size_t block, int channel) const {
  double sum = 0.0;
  std::size_t count = 0;
  for (std::size_t f = block * kBlockFrames; f < (block + 1) * kBlockFrames && f < Frames(); ++f) {
    for (int c = 0; c < Channels; ++c) {
      if (channel >= 0 && c != channel) continue;
      const double s = Samples[f * Channels + c];
      sum += s * s;
      ++count;
    }
  }
  return count == 0 ? 0.0 : std::sqrt(sum / static_cast<double>(count));
}

std::vector<bool> Wave::AudibleBlocks() const {
  std::vector<bool> audible((Frames() + kBlockFrames - 1) / kBlockFrames);
  for (std::size_t b = 0; b < audible.size(); ++b) audible[b] = BlockRms(b, -1) > kAudibleRms;
  return audible;
}

// The first and the last audible block are left out: the sound may start or end inside them.
std::vector<bool> Wave::InnerAudibleBlocks() const {
  std::vector<bool> audible = AudibleBlocks();
  const auto first = std::find(audible.begin(), audible.end(), true);
  if (first != audible.end()) *first = false;
  const auto last = std::find(audible.rbegin(), audible.rend(), true);
  if (last != audible.rend()) *last = false;
  return audible;
}

double Wave::Rms(int channel) const {
  const std::vector<bool> audible = InnerAudibleBlocks();
  double sum = 0.0;
  std::size_t blocks = 0;
  for (std::size_t b = 0; b < audible.size(); ++b) {
    if (!audible[b]) continue;
    const double rms = BlockRms(b, channel);
    sum += rms * rms;
    ++blocks;
  }
  return blocks == 0 ? 0.0 : std::sqrt(sum / static_cast<double>(blocks));
}

std::size_t Wave::AudibleFrames() const {
  const std::vector<bool> audible = AudibleBlocks();
  return static_cast<std::size_t>(std::count(audible.begin(), audible.end(), true)) * kBlockFrames;
}

std::size_t Wave::LongestGapFrames() const {
  const std::vector<bool> audible = AudibleBlocks();
  std::size_t longest = 0, run = 0;
  bool heard = false;
  for (bool a : audible) {
    if (a) {
      if (heard) longest = std::max(longest, run);
      heard = true;
      run = 0;
    } else {
      ++run;
    }
  }
  return longest * kBlockFrames;
}

int Wave::LouderChannel() const { return Channels > 1 && Rms(1) > Rms(0) ? 1 : 0; }

double Wave::Pitch() const {
  const std::vector<bool> audible = InnerAudibleBlocks();
  const int channel = LouderChannel();
  std::size_t crossings = 0, frames = 0;
  for (std::size_t b = 0; b < audible.size(); ++b) {
    if (!audible[b]) continue;
    for (std::size_t f = b * kBlockFrames + 1; f < (b + 1) * kBlockFrames && f < Frames(); ++f) {
      const bool before = Samples[(f - 1) * Channels + channel] < 0;
      const bool now = Samples[f * Channels + channel] < 0;
      crossings += before != now ? 1 : 0;
      ++frames;
    }
  }
  return frames == 0 ? 0.0 : static_cast<double>(crossings) / 2.0 * Rate / static_cast<double>(frames);
}

std::vector<std::uint8_t> Tone(double seconds, double frequency, double amplitude) {
  const auto frames = static_cast<std::size_t>(seconds * kOutputRate);
  std::vector<std::uint8_t> bytes(frames * 2);
  for (std::size_t i = 0; i < frames; ++i) {
    const double phase = 2.0 * std::numbers::pi * frequency * static_cast<double>(i) / kOutputRate;
    const auto sample = static_cast<std::int16_t>(std::lround(amplitude * std::sin(phase)));
    std::memcpy(bytes.data() + i * 2, &sample, 2);
  }
  return bytes;
}

void SleepMs(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

}  // namespace testing_support
