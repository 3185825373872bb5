// modulerender IN.xm OUT.wav SECONDS xmp|openmpt: plays a module with one of the two players
// into a 44,100 Hz stereo wave file, to listen to and measure our tunes.
#include <libopenmpt/libopenmpt.h>
#include <xmp.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

void Log(const char* Message, void*) {
  std::fprintf(stderr, "openmpt: %s\n", Message);
}

void WriteWave(const std::string& Path, const std::vector<int16_t>& Frames) {
  std::ofstream Out(Path, std::ios::binary);
  auto U32 = [&](uint32_t V) { Out.write(reinterpret_cast<const char*>(&V), 4); };
  auto U16 = [&](uint16_t V) { Out.write(reinterpret_cast<const char*>(&V), 2); };
  const uint32_t Bytes = static_cast<uint32_t>(Frames.size() * 2);
  Out.write("RIFF", 4);
  U32(36 + Bytes);
  Out.write("WAVEfmt ", 8);
  U32(16);
  U16(1);
  U16(2);
  U32(44100);
  U32(44100 * 4);
  U16(4);
  U16(16);
  Out.write("data", 4);
  U32(Bytes);
  Out.write(reinterpret_cast<const char*>(Frames.data()), Bytes);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: modulerender IN.xm OUT.wav SECONDS xmp|openmpt\n");
    return 2;
  }
  std::ifstream In(argv[1], std::ios::binary);
  const std::vector<char> File((std::istreambuf_iterator<char>(In)), {});
  const int Seconds = std::atoi(argv[3]);
  std::vector<int16_t> Frames(static_cast<size_t>(Seconds) * 44100 * 2);
  if (std::strcmp(argv[4], "xmp") == 0) {
    xmp_context Ctx = xmp_create_context();
    if (xmp_load_module_from_memory(Ctx, File.data(), static_cast<long>(File.size())) != 0) {
      std::fprintf(stderr, "libxmp cannot load %s\n", argv[1]);
      return 1;
    }
    xmp_start_player(Ctx, 44100, 0);
    xmp_frame_info Info;
    xmp_get_frame_info(Ctx, &Info);
    std::printf("libxmp: length %d ms\n", Info.total_time);
    xmp_play_buffer(Ctx, Frames.data(), static_cast<int>(Frames.size() * 2), 0);
    xmp_end_player(Ctx);
    xmp_release_module(Ctx);
    xmp_free_context(Ctx);
  } else {
    openmpt_module* Mod = openmpt_module_create_from_memory2(
        File.data(), File.size(), Log, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    if (!Mod) return 1;
    openmpt_module_set_repeat_count(Mod, -1);
    std::printf("openmpt: length %.1f s\n", openmpt_module_get_duration_seconds(Mod));
    size_t Done = 0;
    while (Done < Frames.size() / 2) {
      const size_t N = openmpt_module_read_interleaved_stereo(
          Mod, 44100, std::min<size_t>(4096, Frames.size() / 2 - Done), Frames.data() + Done * 2);
      if (N == 0) break;
      Done += N;
    }
    openmpt_module_destroy(Mod);
  }
  WriteWave(argv[2], Frames);
  return 0;
}
