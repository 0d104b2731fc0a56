// Runs a fuzz target without libFuzzer: every file of the given corpus
// folders (or single files), then a fixed number of inputs derived from them
// by seeded mutation. Deterministic, so it can run as an ordinary test.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

using Bytes = std::vector<std::uint8_t>;

void run(const Bytes& input) {
  // Copy into an exactly sized buffer so AddressSanitizer sees over-reads.
  auto* buffer = new std::uint8_t[input.size() + (input.empty() ? 1 : 0)];
  if (!input.empty()) std::memcpy(buffer, input.data(), input.size());
  LLVMFuzzerTestOneInput(buffer, input.size());
  delete[] buffer;
}

Bytes read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes mutate(const Bytes& seed, std::mt19937& rng) {
  Bytes out = seed;
  const int edits = 1 + static_cast<int>(rng() % 8);
  for (int i = 0; i < edits; ++i) {
    switch (rng() % 6) {
      case 0:  // flip a byte
        if (!out.empty()) out[rng() % out.size()] = static_cast<std::uint8_t>(rng());
        break;
      case 1:  // truncate
        if (!out.empty()) out.resize(rng() % out.size());
        break;
      case 2:  // insert random bytes
        for (int n = static_cast<int>(rng() % 16); n > 0; --n)
          out.insert(out.begin() + static_cast<long>(out.empty() ? 0 : rng() % (out.size() + 1)),
                     static_cast<std::uint8_t>(rng()));
        break;
      case 3:  // interesting values
        if (!out.empty()) {
          static const std::uint8_t values[] = {0x00, 0x01, 0x7F, 0x80, 0xFF, 0xFE, 0x20, 0x0A, 0x3D};
          out[rng() % out.size()] = values[rng() % sizeof values];
        }
        break;
      case 4:  // duplicate a slice
        if (out.size() > 1) {
          const std::size_t from = rng() % out.size();
          const std::size_t len = 1 + rng() % (out.size() - from);
          Bytes slice(out.begin() + static_cast<long>(from), out.begin() + static_cast<long>(from + len));
          out.insert(out.begin() + static_cast<long>(rng() % (out.size() + 1)), slice.begin(), slice.end());
        }
        break;
      default:  // erase a slice
        if (!out.empty()) {
          const std::size_t from = rng() % out.size();
          out.erase(out.begin() + static_cast<long>(from),
                    out.begin() + static_cast<long>(from + 1 + rng() % (out.size() - from)));
        }
        break;
    }
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  long iterations = 1000;
  std::vector<Bytes> seeds;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--iterations") == 0 && i + 1 < argc) {
      iterations = std::strtol(argv[++i], nullptr, 10);
      continue;
    }
    const std::filesystem::path path(argv[i]);
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
      std::vector<std::filesystem::path> files;
      for (const auto& entry : std::filesystem::directory_iterator(path))
        if (entry.is_regular_file()) files.push_back(entry.path());
      std::sort(files.begin(), files.end());
      for (const auto& file : files) seeds.push_back(read_file(file));
    } else if (std::filesystem::is_regular_file(path, ec)) {
      seeds.push_back(read_file(path));
    }
  }
  if (seeds.empty()) seeds.push_back(Bytes{});
  for (const auto& seed : seeds) run(seed);

  std::mt19937 rng(20261208);
  for (long i = 0; i < iterations; ++i) {
    if (i % 4 == 3) {
      Bytes blob(rng() % 512);
      for (auto& b : blob) b = static_cast<std::uint8_t>(rng());
      run(blob);
    } else {
      run(mutate(seeds[static_cast<std::size_t>(i) % seeds.size()], rng));
    }
  }
  std::printf("%zu seeds, %ld generated inputs\n", seeds.size(), iterations);
  return 0;
}
