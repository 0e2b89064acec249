// What the Import Options dialog makes of the texts and boxes the user left.
#include "platform/import_options_form.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

constexpr std::array<bool, 5> kNoBoxes = {false, false, false, false, false};

TEST(ImportOptionsForm, AllNumbersTakeEditsAndBoxes) {
  ImportOptions options;
  const std::array<bool, 5> boxes = {true, false, true, false, false};
  EXPECT_EQ(applyImportOptionsForm(options, {"1.5", "-2", "3e2", "0.25"}, boxes), 4u);
  EXPECT_FLOAT_EQ(options.XOffset, 1.5f);
  EXPECT_FLOAT_EQ(options.YOffset, -2.0f);
  EXPECT_FLOAT_EQ(options.ZOffset, 300.0f);
  EXPECT_FLOAT_EQ(options.Scale, 0.25f);
  EXPECT_TRUE(options.UseExtImportScale);
  EXPECT_FALSE(options.AddExtImportScale);
  EXPECT_TRUE(options.ReplaceMeshes);
  EXPECT_FALSE(options.ReplaceInstances);
  EXPECT_FALSE(options.NormalizeTextureNames);
}

TEST(ImportOptionsForm, TextAfterTheNumberIsIgnoredLikeScanf) {
  ImportOptions options;
  EXPECT_EQ(applyImportOptionsForm(options, {"4abc", " 5", "6.", "7 8"}, kNoBoxes), 4u);
  EXPECT_FLOAT_EQ(options.XOffset, 4.0f);
  EXPECT_FLOAT_EQ(options.YOffset, 5.0f);
  EXPECT_FLOAT_EQ(options.ZOffset, 6.0f);
  EXPECT_FLOAT_EQ(options.Scale, 7.0f);
}

TEST(ImportOptionsForm, FirstBadEditStopsWithEarlierNumbersKept) {
  ImportOptions options;
  options.ReplaceMeshes = true;
  EXPECT_EQ(applyImportOptionsForm(options, {"9", "abc", "7", "3"}, kNoBoxes), 1u);
  EXPECT_FLOAT_EQ(options.XOffset, 9.0f);
  EXPECT_FLOAT_EQ(options.YOffset, 0.0f);
  EXPECT_FLOAT_EQ(options.ZOffset, 0.0f);
  EXPECT_FLOAT_EQ(options.Scale, 1.0f);
  EXPECT_TRUE(options.ReplaceMeshes) << "boxes are taken only when every number is good";
}

TEST(ImportOptionsForm, EmptyScaleEditIsNotANumber) {
  ImportOptions options;
  EXPECT_EQ(applyImportOptionsForm(options, {"0", "0", "0", ""}, kNoBoxes), 3u);
}

TEST(ImportOptionsForm, NotFiniteNumbersAreRefused) {
  for (const char* text : {"nan", "inf", "-INF", "1e999"}) {
    ImportOptions options;
    EXPECT_EQ(applyImportOptionsForm(options, {"0", "0", text, "1"}, kNoBoxes), 2u) << text;
    EXPECT_FLOAT_EQ(options.ZOffset, 0.0f);
  }
}

TEST(ImportOptionsForm, ScaleIsMadePositiveAndNeverTiny) {
  ImportOptions options;
  applyImportOptionsForm(options, {"0", "0", "0", "-2"}, kNoBoxes);
  EXPECT_FLOAT_EQ(options.Scale, 2.0f);
  applyImportOptionsForm(options, {"0", "0", "0", "0"}, kNoBoxes);
  EXPECT_FLOAT_EQ(options.Scale, 1.0f);
  applyImportOptionsForm(options, {"0", "0", "0", "-9e-9"}, kNoBoxes);
  EXPECT_FLOAT_EQ(options.Scale, 1.0f);
  applyImportOptionsForm(options, {"0", "0", "0", "1e-7"}, kNoBoxes);
  EXPECT_FLOAT_EQ(options.Scale, 1e-7f);
}

TEST(ImportOptionsForm, EditsShowSixSignificantDigits) {
  EXPECT_EQ(formatImportNumber(0.0f), "0");
  EXPECT_EQ(formatImportNumber(1.0f), "1");
  EXPECT_EQ(formatImportNumber(-0.5f), "-0.5");
  EXPECT_EQ(formatImportNumber(1234567.0f), "1.23457e+06");
  EXPECT_EQ(formatImportNumber(12.345678f), "12.3457");
}

TEST(ImportOptionsForm, BoxesFollowTheSettingsOrder) {
  // The settings file and the dialog walk the same rows: UseExtImportScale,
  // AddExtImportScale, ReplaceMeshes, ReplaceInstances, NormalizeTextureNames.
  const int ids[5] = {1022, 1023, 1024, 1025, 1028};
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(kImportOptionsCheckRows[i].controlId, ids[i]);
  EXPECT_EQ(kImportOptionsEditIds, (std::array<int, 4>{1005, 1006, 1007, 1008}));
}

}  // namespace
}  // namespace quorvel
