// Replays a fuzzing target's kept corpus through the target's own entry, built with the normal
// compiler: each input the fuzzer found interesting must pass here as it did there.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

TEST(FuzzCorpus, EveryKeptInputPassesThroughTheFuzzingEntry) {
  LLVMFuzzerInitialize(nullptr, nullptr);
  int inputs = 0;
  for (const auto& entry : std::filesystem::directory_iterator(Q3D_FUZZ_CORPUS)) {
    SCOPED_TRACE(entry.path().string());
    std::ifstream file(entry.path(), std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    EXPECT_EQ(LLVMFuzzerTestOneInput(bytes.data(), bytes.size()), 0);
    ++inputs;
  }
  EXPECT_GE(inputs, 5);
}
