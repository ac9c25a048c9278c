// TextTableTest.cpp — the text tables: exact code page 1250 bytes in both languages.
#include "core/TextCodec.h"
#include "menu/TextConstants.h"

#include <gtest/gtest.h>

namespace {

TEST(TextTable, EveryEntryConvertsExactlyInBothLanguages) {
  for (uint8_t language : {0, 1}) {
    SelectLanguage(language);
    for (int entry = 0; entry < TextCount; ++entry) {
      const std::string source = TextEntryUtf8(language, entry);
      EXPECT_EQ(Cp1250ToUtf8(TextTable[entry]), source) << "entry " << entry;
      for (unsigned char c : TextTable[entry]) EXPECT_GE(c, 32) << "entry " << entry;
    }
  }
}

TEST(TextTable, SlovakLettersAreSingleCp1250Bytes) {
  SelectLanguage(1);
  EXPECT_EQ(TextTable[64], "\x8Atart");                        // Štart
  EXPECT_EQ(TextTable[69], "\xC1no");                          // Áno
  EXPECT_EQ(TextTable[0], "V roku 2732 sa organiz\xE1" "cia");  // organizácia
  EXPECT_EQ(TextTable[3], "zvy\x9Aky \xBEudstva. Jedin\xFD,kto");
}

TEST(TextTable, BlanksAndEmptyEntriesAreKept) {
  SelectLanguage(0);
  EXPECT_EQ(TextTable[0], "In  the   year   2732  the");
  EXPECT_EQ(TextTable[88], "and   Quintara   can   be ");  // the word repeats on the next line
  EXPECT_EQ(TextTable[89], "be spread further...");
  EXPECT_EQ(TextTable[74], "Shot Accuracy: ");
  EXPECT_EQ(TextTable[71], "Do you wish to leave this level ?");
  for (int entry : {17, 18, 19, 29, 30, 50, 51, 52, 63, 90, 100}) EXPECT_EQ(TextTable[entry], "") << entry;
  SelectLanguage(1);
  EXPECT_EQ(TextTable[89], "");
  EXPECT_EQ(TextTable[48], "cez nepriate\xBEsk\xE9 \xFAzemie. ");
  EXPECT_EQ(TextTable[82], TextEntryUtf8(0, 82));  // credits read the same in both
  EXPECT_FALSE(TextTable[82].empty());
  EXPECT_FALSE(TextTable[83].empty());
}

TEST(TextTable, MissionTitlesStandElevenEntriesApart) {
  const char* titles[] = {"Misia 1", "Misia 2", "Misia 3", "Misia 4", "Misia 5"};
  SelectLanguage(1);
  for (int n = 1; n <= 5; ++n) EXPECT_EQ(TextTable[9 + 11 * (n - 1)], titles[n - 1]);
}

}  // namespace
