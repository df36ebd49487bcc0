// SPDX-License-Identifier: MIT
// Writes a collection shaped like the largest public MIDI dataset: 176,581
// files (or as many as asked) in 16 directories named by the first hex digit
// of each file's name, 32 hex digits and .mid, as that dataset lays them out.
//
//   make_collection OUTPUT_DIRECTORY [FILES]
//
// Sizes follow a log-normal law with a median of 16 KiB (sigma 1, clipped to
// 8 KiB .. 2 MiB, so about 28 KiB on average), drawn from a fixed seed:
// every run writes the same bytes. Shapes come from bench_images.h: most
// files are real-shaped songs of 2 to 16 music tracks, one in ten a karaoke
// file, one in twenty a small file; one in fifty is cut short somewhere, as
// a collection gathered from the web holds files that are, so that a run
// has failures to report. Prints the number of files and bytes written.

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench_images.h"

namespace {

constexpr std::uint64_t kDatasetFiles = 176581;

// splitmix64: small, fast and the same everywhere.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in (0, 1).
  double unit() { return (static_cast<double>(next() >> 11) + 0.5) / 9007199254740992.0; }
  // Standard normal, by Box-Muller.
  double normal() {
    return std::sqrt(-2 * std::log(unit())) * std::cos(6.283185307179586 * unit());
  }

 private:
  std::uint64_t state_;
};

constexpr std::uint32_t kSmallestSong = 8 * 1024;  // the song generator needs a few KiB
constexpr std::uint32_t kLargestSong = 2 * 1024 * 1024;

std::uint32_t drawSize(Random* random) {
  const double size = 16384 * std::exp(random->normal());
  return static_cast<std::uint32_t>(std::fmin(std::fmax(size, kSmallestSong), kLargestSong));
}

// 2 to largest music tracks, but no more than one per KiB: the generator
// needs some hundreds of bytes for each.
int drawTracks(Random* random, int largest, std::uint32_t size) {
  const int limit = std::min(largest, std::max(1, static_cast<int>(size / 1024)));
  return limit <= 2 ? limit : 2 + static_cast<int>(random->next() % (limit - 1));
}

Image drawImage(Random* random, std::uint32_t index) {
  const std::uint64_t shape = random->next() % 20;
  if (shape == 0) return smallImage(index);
  const std::uint32_t size = drawSize(random);
  if (shape <= 2) return karaokeImage(size, drawTracks(random, 6, size));
  return realShapedImage(size, drawTracks(random, 16, size));
}

std::string nameOf(Random* random) {
  char name[40];
  std::snprintf(name, sizeof name, "%016llx%016llx.mid",
                static_cast<unsigned long long>(random->next()),
                static_cast<unsigned long long>(random->next()));
  return name;
}

bool writeFile(const std::string& path, const Image& image, std::size_t length) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    std::perror(path.c_str());
    return false;
  }
  const bool written = std::fwrite(image.data(), 1, length, file) == length;
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) std::perror(path.c_str());
  return written && closed;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIRECTORY [FILES]\n", argv[0]);
    return 2;
  }
  const std::string root = argv[1];
  const std::uint64_t files = argc == 3 ? std::strtoull(argv[2], nullptr, 10) : kDatasetFiles;
  ::mkdir(root.c_str(), 0755);
  for (int digit = 0; digit < 16; ++digit) {
    ::mkdir((root + "/" + "0123456789abcdef"[digit]).c_str(), 0755);
  }
  Random random(20261209);
  std::uint64_t bytes = 0;
  for (std::uint64_t i = 0; i < files; ++i) {
    const std::string name = nameOf(&random);
    const Image image = drawImage(&random, static_cast<std::uint32_t>(i));
    // A shape the generator cannot make at its size must never fill a disk.
    if (image.size() > kLargestSong) {
      std::fprintf(stderr, "make_collection: file %llu came out %zu bytes\n",
                   static_cast<unsigned long long>(i), image.size());
      return 1;
    }
    std::size_t length = image.size();
    if (random.next() % 50 == 0) length = 14 + random.next() % (length - 14);  // cut short
    if (!writeFile(root + "/" + name[0] + "/" + name, image, length)) return 1;
    bytes += length;
  }
  std::printf("%llu files, %llu bytes\n", static_cast<unsigned long long>(files),
              static_cast<unsigned long long>(bytes));
  return 0;
}
