// The server's decoder against the game's own encoder, and the record check against the
// records the game sends and the ones it never could.
#include <gtest/gtest.h>

#include "ServerFixture.h"
#include "server/ScoreRecord.h"
#include "services/WorldScore.h"

namespace {

const std::string kSymbols = "!#$%&()*+,-./:;<=>?@[]^_`{|}~ABC";

struct TGameResult {
  std::string Name;
  int32_t Score;
  std::string Country;
};

}  // namespace

TEST(ScoreRecord, DecodesWhatTheGameEncodes) {
  const TGameResult Results[] = {
      {"Duck", 4321, "Suomi"},
      {"", 0, "_______"},                           // an empty name is still sent
      {"Max Power 12", INT32_MIN, "Deutschland1"},  // longest fields, the longest score
      {"a", INT32_MAX, ""},
      {"Z", -5, "___ab"},
  };
  for (const std::string& Alphabet : {std::string(kDefaultScoreAlphabet), kSymbols}) {
    for (const TGameResult& R : Results) {
      const std::string Record = WorldScoreRecord(R.Name, R.Score, "T", R.Country);
      const std::string Text = FiveBitText(BitString(Record), Alphabet);
      const auto Decoded = DecodeFiveBitText(Text, Alphabet);
      ASSERT_TRUE(Decoded) << Text;
      EXPECT_EQ(*Decoded, Record);
      const TRecordCheck Check = CheckScoreRecord(*Decoded, "T");
      EXPECT_EQ(Check.Error, TRecordError::None) << Record << ": " << Check.Reason;
      EXPECT_EQ(Check.Record.Name, R.Name);
      EXPECT_EQ(Check.Record.Score, R.Score);
      EXPECT_EQ(Check.Record.Country, R.Country);
    }
  }
}

TEST(ScoreRecord, FillOfFortyNineAndFiftyCharacters) {
  // 49 characters get one "0", 50 none; both encode to 80.
  for (const std::string& Name : {std::string("AB"), std::string("ABC")}) {
    const std::string Record = WorldScoreRecord(Name, 1234, "T", "_______");
    EXPECT_EQ(Record.size(), 50u);
    EXPECT_EQ(Record.back(), Name.size() == 2 ? '0' : '=');
    const std::string Text = Encoded(Record);
    EXPECT_EQ(Text.size(), 80u);
    EXPECT_EQ(CheckScoreRecord(*DecodeFiveBitText(Text, kDefaultScoreAlphabet), "T").Error,
              TRecordError::None)
        << Record;
  }
}

TEST(ScoreRecord, DecoderRefusesTextsOutsideTheCodeTable) {
  const std::string Good = Encoded(WorldScoreRecord("Duck", 1, "T", "_______"));
  const std::string Cases[] = {
      "",
      Good.substr(0, Good.size() - 1),          // not whole 5-byte groups
      Good + "A",                               // nor this
      "or4xazj5",                               // lower case is not in the table
      "OR4XAZJ1",                               // 1 is not in it
      "OR4XA===",                               // base32's fill is never sent
      std::string(kMaxEncodedLength + 8, 'A'),  // longer than any record
      std::string("OR4X\0ZJ5", 8),              // a zero byte
      "OR4XAZJ\xC3",                            // a stray UTF-8 byte
  };
  for (const std::string& Text : Cases)
    EXPECT_FALSE(DecodeFiveBitText(Text, kDefaultScoreAlphabet)) << Text;
  EXPECT_TRUE(DecodeFiveBitText(std::string(kMaxEncodedLength, 'A'), kDefaultScoreAlphabet));
}

TEST(ScoreRecord, RefusesEverythingTheGameCannotSend) {
  const std::string Malformed[] = {
      "hello world",
      "type=1|name=Duck|score=5|key=T|p=|add=_______|z=",
      "type=0|name=<b>Duck</b>|score=5|key=T|p=|add=_|z=",
      "type=0|name=Bob\"'; DROP TABLE scores;--|score=5|key=T|p=|add=_|z=",
      "type=0|name=Thirteen long|score=5|key=T|p=|add=_|z=",  // 13 characters
      "type=0|name=Duck|score=99999999999999999999|key=T|p=|add=_|z=",
      "type=0|name=Duck|score=2147483648|key=T|p=|add=_|z=",
      "type=0|name=Duck|score=-2147483649|key=T|p=|add=_|z=",
      "type=0|name=Duck|score=+5|key=T|p=|add=_|z=",
      "type=0|name=Duck|score=007|key=T|p=|add=_|z=",
      "type=0|name=Duck|score=-0|key=T|p=|add=_|z=",
      "type=0|name=Duck|score=1e9|key=T|p=|add=_|z=",
      "type=0|name=Duck|score=|key=T|p=|add=_|z=",
      "type=0|name=Duck|score=5|key=t|p=|add=_|z=",
      "type=0|name=Duck|score=5|key=TT|p=|add=_|z=",
      "type=0|name=Duck|score=5|key=T|p=x|add=_|z=",
      "type=0|name=Duck|score=5|key=T|p=|add=<i>|z=",
      "type=0|name=Duck|score=5|key=T|p=|add=Thirteen_long|z=",
      "type=0|name=Duck|score=5|key=T|p=|add=_|z=|extra=1",
      "type=0|score=5|name=Duck|key=T|p=|add=_|z=",  // fields out of order
      "type=0|name=Duck|score=5|key=T|add=_|z=",     // a field missing
      "type=0|name=Du\ttck|score=5|key=T|p=|add=_|z=",
  };
  for (const std::string& Raw : Malformed) {
    const std::string Record = FilledRecord(Raw);
    EXPECT_EQ(CheckScoreRecord(Record, "T").Error, TRecordError::Malformed) << Record;
  }
  // The fill must be exactly what the game appends.
  const std::string Good = WorldScoreRecord("Duck", 5, "T", "_______");
  EXPECT_EQ(CheckScoreRecord(Good, "T").Error, TRecordError::None);
  EXPECT_EQ(CheckScoreRecord(Good + "00000", "T").Error, TRecordError::Malformed);
  EXPECT_EQ(CheckScoreRecord(Good.substr(0, Good.size() - 1) + "1", "T").Error,
            TRecordError::Malformed);

  // A good record with another key letter is told apart from a malformed one.
  EXPECT_EQ(CheckScoreRecord(WorldScoreRecord("Duck", 5, "Q", "_______"), "T").Error,
            TRecordError::WrongKey);
}

TEST(ScoreRecord, AlphabetAndKeyOptions) {
  EXPECT_TRUE(ValidScoreAlphabet(kDefaultScoreAlphabet));
  EXPECT_TRUE(ValidScoreAlphabet(kSymbols));
  EXPECT_FALSE(ValidScoreAlphabet("ABCDEFGHIJKLMNOPQRSTUVWXYZ23456"));   // 31
  EXPECT_FALSE(ValidScoreAlphabet("ABCDEFGHIJKLMNOPQRSTUVWXYZ234566"));  // a repeat
  EXPECT_FALSE(ValidScoreAlphabet("ABCDEFGHIJKLMNOPQRSTUVWXYZ23456 "));  // a space
  EXPECT_TRUE(ValidScoreKey("T"));
  EXPECT_FALSE(ValidScoreKey("t"));
  EXPECT_FALSE(ValidScoreKey(""));
  EXPECT_FALSE(ValidScoreKey("TT"));
}
