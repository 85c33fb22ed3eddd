// Replays a committed fuzz corpus (CALIXO_FUZZ_CORPUS, at least
// CALIXO_FUZZ_MIN_INPUTS files) through the fuzz target linked beside it, so
// every build runs the inputs that once mattered. Shared by every fuzz target.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

TEST(FuzzCorpus, EveryInputPasses) {
  int files = 0;
  for (const auto &entry : std::filesystem::directory_iterator(CALIXO_FUZZ_CORPUS)) {
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    SCOPED_TRACE(entry.path().filename().string());
    EXPECT_EQ(LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size()), 0);
    ++files;
  }
  EXPECT_GE(files, CALIXO_FUZZ_MIN_INPUTS);
}
