#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tools/soundmaker/SoundMaker.h"

namespace {

struct TManifestLine {
  std::string Name, Source;
  int Looped = -1, MaxPlaying = -1;
};

std::vector<TManifestLine> ReadManifest(const std::string& Path) {
  std::ifstream In(Path);
  EXPECT_TRUE(In) << Path;
  std::vector<TManifestLine> Lines;
  std::string Raw;
  while (std::getline(In, Raw)) {
    const auto Hash = Raw.find('#');
    std::istringstream Fields(Raw.substr(0, Hash));
    TManifestLine L;
    if (!(Fields >> L.Name)) continue;
    Fields >> L.Source >> L.Looped >> L.MaxPlaying;
    Lines.push_back(L);
  }
  return Lines;
}

}  // namespace

// Every sound the game asks for, with the length it should have in ms.
TEST(SoundAssets, EveryNamedSoundRendersShortAndUnclipped) {
  const std::map<std::string, int> Wanted = {
      {"Button", 50},   {"Bonus", 250},      {"Laser", 120},      {"Laser2", 120},
      {"Rocket", 300},  {"Rail", 400},       {"Explosion2", 700}, {"Shot1", 200},
      {"Shot3", 350},   {"PlayerKill", 700}, {"HeroKill", 500},   {"BirdKill", 400},
      {"DogKill", 400}, {"HunterKill", 400}, {"Reborn", 1000},    {"GameOver", 1500},
  };
  const std::string Dir = std::string(TB_SOURCE_DIR) + "/assets/sounds/";
  const auto Manifest = ReadManifest(Dir + "manifest.txt");
  std::map<std::string, TManifestLine> ByName;
  for (const auto& L : Manifest) {
    EXPECT_TRUE(ByName.emplace(L.Name, L).second) << "twice in the manifest: " << L.Name;
  }
  for (const auto& [Name, Ms] : Wanted) {
    SCOPED_TRACE(Name);
    const auto It = ByName.find(Name);
    ASSERT_NE(It, ByName.end()) << "missing from the manifest";
    EXPECT_EQ(It->second.Looped, 0);
    EXPECT_GE(It->second.MaxPlaying, 0);
    std::vector<uint8_t> Wave;
    std::string Error;
    ASSERT_TRUE(RenderSoundFile(Dir + It->second.Source, Wave, Error)) << Error;
    ASSERT_GT(Wave.size(), 44u);
    const uint32_t Rate = Wave[24] | Wave[25] << 8 | Wave[26] << 16;
    EXPECT_TRUE(Rate == 22050 || Rate == 44100) << Rate;
    const size_t Count = (Wave.size() - 44) / 2;
    const double LengthMs = Count * 1000.0 / Rate;
    EXPECT_NEAR(LengthMs, Ms, Ms * 0.2);
    int Peak = 0;
    double Sum = 0;
    for (size_t I = 0; I < Count; ++I) {
      const int16_t S = static_cast<int16_t>(Wave[44 + 2 * I] | Wave[45 + 2 * I] << 8);
      Peak = std::max(Peak, std::abs(static_cast<int>(S)));
      Sum += static_cast<double>(S) * S;
    }
    EXPECT_LT(Peak, 32767) << "reaches full scale";
    EXPECT_GT(Peak, 16384) << "quieter than -6 dBFS";
    EXPECT_GT(std::sqrt(Sum / Count), 1000.0) << "RMS below -30 dBFS";
  }
}
