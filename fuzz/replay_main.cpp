// Runs every file of the folders and files named on the command line once through the
// fuzz target: the seed corpus and the kept crashing inputs, as a regression test.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size);

namespace {

int replay(const std::filesystem::path &file) {
  std::ifstream in(file, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size());
  return 1;
}

} // namespace

int main(int argc, char **argv) {
  int count = 0;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path arg = argv[i];
    if (std::filesystem::is_directory(arg)) {
      for (const auto &e : std::filesystem::directory_iterator(arg)) {
        if (e.is_regular_file() && e.path().filename() != "README") count += replay(e.path());
      }
    } else {
      count += replay(arg);
    }
  }
  std::printf("replayed %d inputs\n", count);
  return count > 0 ? 0 : 1;
}
