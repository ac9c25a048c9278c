// IntFileTest.cpp — the .int parameter files: the three layouts, comments, refusals, round trips.
#include "core/IntFile.h"

#include "common/TempDir.h"
#include "core/Error.h"
#include "core/FileIO.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char* AircraftText =
    "0.06 speed\n"
    "20 14\n"
    "\t12\t\n"
    "6.5 life with a comment\r\n"
    "1\n"
    "1.5\n"
    "-3 -0.5 -9 left gun\n"
    "3 -0.5 -9\n"
    "-1.25 0 8.5\n"
    "1.25 0 8.5 and trailing words 1 2 3\n";

void ExpectRefused(const std::string& text, int layout, const std::string& reasonPart, const char* label) {
  try {
    if (layout == 0) ParseAircraftInt(text, "case.int");
    if (layout == 1) ParseAirshipInt(text, "case.int");
    if (layout == 2) ParseBuildingInt(text, "case.int");
    ADD_FAILURE() << label << ": accepted";
  } catch (const TFileError& e) {
    EXPECT_EQ(e.File, "case.int") << label;
    EXPECT_NE(e.Reason.find(reasonPart), std::string::npos) << label << ": " << e.Reason;
  }
}

}  // namespace

TEST(IntFile, AircraftLinesFillTheirFields) {
  const TAircraftParams p = ParseAircraftInt(AircraftText, "a.int");
  EXPECT_FLOAT_EQ(p.Speed, 0.06f);
  EXPECT_EQ(p.Radius, 20);
  EXPECT_EQ(p.CollisionRadius, 14);
  EXPECT_EQ(p.Size, 12);
  EXPECT_EQ(p.Life, 6.5f);
  EXPECT_EQ(p.HitDamage, 1);
  EXPECT_EQ(p.CollisionDamage, 1.5f);
  EXPECT_EQ(p.Gun1, (TVector{-3, -0.5f, -9}));
  EXPECT_EQ(p.Gun2, (TVector{3, -0.5f, -9}));
  EXPECT_EQ(p.Exhaust1, (TVector{-1.25f, 0, 8.5f}));
  EXPECT_EQ(p.Exhaust2, (TVector{1.25f, 0, 8.5f}));
}

TEST(IntFile, AirshipAndBuildingLayouts) {
  const TAirshipParams z = ParseAirshipInt("0.02\n110 60\n40\n300\n0.5\n1\nextra line ignored\n", "z.int");
  EXPECT_EQ(z, (TAirshipParams{0.02f, 110, 60, 40, 300, 0.5f, 1}));
  const TBuildingParams b = ParseBuildingInt("60 45 radii\n50\n40\n1\n2 enemy", "b.int");
  EXPECT_EQ(b, (TBuildingParams{60, 45, 50, 40, 1, 2}));
}

TEST(IntFile, BrokenFilesNameTheLine) {
  struct Case {
    const char* label;
    int layout;  // 0 aircraft, 1 airship, 2 building
    std::string text;
    const char* reason;
  };
  const Case cases[] = {
      {"empty", 0, "", "line 1 (speed) is missing"},
      {"stops early", 0, "0.06\n20 14\n12\n6\n1\n1\n1 2 3\n1 2 3\n1 2 3\n", "line 10 (exhaust 2) is missing"},
      {"one radius", 1, "0.02\n110\n", "line 2 (radius, collision radius): expected 2 values, found 1"},
      {"blank line", 2, "60 45\n\n40\n1\n2\n", "line 2 (size): expected 1 values, found 0"},
      {"word for a number", 0, "fast\n", "line 1 (speed): \"fast\" is not a number"},
      {"decimal comma", 2, "60,5 45\n", "\"60,5\" is not a number"},
      {"short point", 0, "0.06\n20 14\n12\n6\n1\n1\n1 2\n", "line 7 (gun 1): expected 3 values, found 2"},
      {"not finite", 1, "inf\n", "not a finite number"},
      {"fractional side", 2, "60 45\n50\n40\n1\n2.0\n", "line 5 (side): \"2.0\" is not a whole number"},
      {"side out of range", 2, "60 45\n50\n40\n1\n3\n", "line 5 (side): the side must be"},
      {"zero radius", 2, "0 45\n", "line 1 (radius, collision radius): radii must be above 0"},
      {"negative speed", 1, "-0.1\n", "line 1 (speed): a speed cannot be negative"},
      {"no life", 1, "0.02\n110 60\n40\n0\n", "line 4 (life): life must be above 0"},
      {"negative damage", 2, "60 45\n50\n40\n-1\n", "line 4 (hit damage): a damage cannot be negative"},
  };
  for (const Case& c : cases) ExpectRefused(c.text, c.layout, c.reason, c.label);
}

TEST(IntFile, WrittenFilesReadBackExactlyWithComments) {
  TTempDir dir;
  const TAircraftParams a = ParseAircraftInt(AircraftText, "a.int");
  WriteAircraftIntFile(dir / "a.int", a);
  EXPECT_EQ(ReadAircraftIntFile(dir / "a.int"), a);
  const std::string text = EncodeAircraftInt(a);
  EXPECT_EQ(text.substr(0, text.find('\n')), "0.06                        speed, units per ms");
  EXPECT_NE(text.find("gun 2 muzzle"), std::string::npos);

  const TAirshipParams z{0.0213f, 101.5f, 62, 40, 300, 0.35f, 1};
  WriteAirshipIntFile(dir / "z.int", z);
  EXPECT_EQ(ReadAirshipIntFile(dir / "z.int"), z);

  const TBuildingParams b{63.3f, 48.1f, 50, 45, 1, 0};
  WriteBuildingIntFile(dir / "b.int", b);
  EXPECT_EQ(ReadBuildingIntFile(dir / "b.int"), b);
}

TEST(IntFile, WriterRefusesWhatTheReaderWould) {
  TTempDir dir;
  TBuildingParams b{60, 45, 50, 40, 1, 5};
  EXPECT_THROW(WriteBuildingIntFile(dir / "b.int", b), TFileError);
  EXPECT_FALSE(FileExists(dir / "b.int"));
  TAirshipParams z{0.02f, 110, 60, 40, 0, 1, 1};
  EXPECT_THROW(WriteAirshipIntFile(dir / "z.int", z), TFileError);
}
