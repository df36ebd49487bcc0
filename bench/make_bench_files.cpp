// SPDX-License-Identifier: MIT
// Writes the benchmark's input files into one directory:
//   channel.mid  64 MiB of channel messages over 16 tracks, running status
//   sysex.mid    64 MiB of SysEx messages, the largest 4 MiB
//   meta.mid     1,000,000 small meta events of recognised types
//   real.mid     52 MB shaped like a song: conductor track, 7 music tracks
//   busy.mid     52 MB, a busy song: notes broken by controllers and bends
//   karaoke.mid  16 MiB, a lyric or text event before most notes
//   small/NNNNN.mid  10,000 small files
// Every file is valid: the checker prints nothing but its verdict lines.

#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "bench_images.h"

namespace {

constexpr std::uint32_t kMiB = 1024 * 1024;
constexpr int kSmallFiles = 10000;

bool writeFile(const std::string& path, const Image& image) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    std::perror(path.c_str());
    return false;
  }
  const bool written = std::fwrite(image.data(), 1, image.size(), file) == image.size();
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) std::perror(path.c_str());
  return written && closed;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIRECTORY\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  if (!writeFile(dir + "/channel.mid", denseChannelImage(64 * kMiB, 16))) return 1;
  if (!writeFile(dir + "/sysex.mid", sysExImage(64 * kMiB, 4 * kMiB))) return 1;
  if (!writeFile(dir + "/meta.mid", metaEventImage(1000000))) return 1;
  if (!writeFile(dir + "/real.mid", realShapedImage(52000000, 7))) return 1;
  if (!writeFile(dir + "/busy.mid", busyImage(52000000, 7))) return 1;
  if (!writeFile(dir + "/karaoke.mid", karaokeImage(16 * kMiB, 4))) return 1;
  const std::string smallDir = dir + "/small";
  ::mkdir(smallDir.c_str(), 0755);
  for (int i = 0; i < kSmallFiles; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "/%05d.mid", i);
    if (!writeFile(smallDir + name, smallImage(static_cast<std::uint32_t>(i)))) return 1;
  }
  return 0;
}
