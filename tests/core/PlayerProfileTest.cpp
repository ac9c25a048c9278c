// PlayerProfileTest.cpp — profile and last-player files, name rules and cp1250 conversion.
#include "core/Error.h"
#include "core/FileIO.h"
#include "core/PlayerProfile.h"
#include "core/TextCodec.h"
#include "common/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

TEST(Profile, RoundTripsTheExact257Bytes) {
  TTempDir dir;
  TPlayerRecord record{};
  SetShortString(record.Name, "Jano");
  record.Progress = 4;
  WriteProfile(dir / "Jano", record);
  std::vector<uint8_t> bytes = ReadFileBytes(dir / "Jano", 1000);
  ASSERT_EQ(bytes.size(), 257u);
  EXPECT_EQ(bytes[0], 4);
  EXPECT_EQ(std::string(bytes.begin() + 1, bytes.begin() + 5), "Jano");
  EXPECT_EQ(bytes[256], 4);

  TPlayerRecord back = ReadProfile(dir / "Jano");
  EXPECT_EQ(GetShortString(back.Name, sizeof back.Name), "Jano");
  EXPECT_EQ(back.Progress, 4);
}

TEST(Profile, ShortOrMissingFileIsAnErrorNamingIt) {
  TTempDir dir;
  std::ofstream(dir / "Short", std::ios::binary) << std::string(200, 'x');
  for (const std::string& name : {std::string("Short"), std::string("Missing")}) {
    try {
      ReadProfile(dir / name);
      FAIL() << name;
    } catch (const TFileError& e) {
      EXPECT_EQ(e.File, dir / name);
    }
  }
}

TEST(LastPlayer, HoldsTheNameIn256Bytes) {
  TTempDir dir;
  WriteLastPlayer(dir / "player.cfg", "Zuzka");
  EXPECT_EQ(ReadFileBytes(dir / "player.cfg", 1000).size(), 256u);
  EXPECT_EQ(ReadLastPlayer(dir / "player.cfg"), "Zuzka");
  EXPECT_EQ(ReadLastPlayer(dir / "none.cfg"), "");
}

TEST(LastPlayer, LengthBeyondTheFileIsCutToWhatIsThere) {
  TTempDir dir;
  std::ofstream(dir / "player.cfg", std::ios::binary) << '\xFF' << "abc";
  EXPECT_EQ(ReadLastPlayer(dir / "player.cfg"), "abc");
}

TEST(ShortString, LongerTextIsCutAt255Bytes) {
  uint8_t field[256];
  SetShortString(field, std::string(300, 'a'));
  EXPECT_EQ(field[0], 255);
  EXPECT_EQ(GetShortString(field, sizeof field).size(), 255u);
}

TEST(PlayerName, RefusesNamesThatCannotBeAProfileFile) {
  for (const std::string& bad : {std::string(""), std::string("."), std::string(".."),
                                 std::string("a/b"), std::string("a\\b"), std::string("tab\tname"),
                                 std::string("new\nline"), std::string(256, 'x')})
    EXPECT_FALSE(PlayerNameProblem(bad).empty()) << bad;
  for (const std::string& good : {std::string("Jano"), std::string("..Jano"), std::string("a b"),
                                  std::string("\x8A\xE1ra"), std::string(255, 'x')})
    EXPECT_TRUE(PlayerNameProblem(good).empty()) << good;
}

TEST(PlayerName, BareNameIsThePartAfterTheLastSlash) {
  EXPECT_EQ(BarePlayerName("/home/x/Player/Jano"), "Jano");
  EXPECT_EQ(BarePlayerName("sub/dir/Zuzka"), "Zuzka");
  EXPECT_EQ(BarePlayerName("Fero"), "Fero");
  EXPECT_EQ(BarePlayerName("/ends/with/"), "");
}

TEST(TextCodec, SlovakLettersRoundTripThroughCp1250) {
  const std::string utf8 = "Ľubomír Šťastný ČÔÄŽÝÁÍÉÚŇĎŤĹŔ ľščťžýáíéúäôňďĺŕ";
  std::optional<std::string> cp = Utf8ToCp1250(utf8);
  ASSERT_TRUE(cp);
  size_t letters = 0;
  for (unsigned char c : utf8) letters += (c & 0xC0) != 0x80 ? 1 : 0;
  EXPECT_EQ(cp->size(), letters);  // one byte a letter
  EXPECT_EQ(static_cast<uint8_t>((*cp)[0]), 0xBC);  // Ľ
  EXPECT_EQ(static_cast<uint8_t>((*cp)[8]), 0x8A);  // Š
  EXPECT_EQ(Cp1250ToUtf8(*cp), utf8);
}

TEST(TextCodec, TextOutsideCp1250OrBrokenUtf8IsRefused) {
  EXPECT_FALSE(Utf8ToCp1250("日本"));
  EXPECT_FALSE(Utf8ToCp1250("\xC3"));
  EXPECT_EQ(Cp1250ToUtf8("\x98"), "\xEF\xBF\xBD");  // an unassigned code
}

}  // namespace
