#include "import/import_options.h"

#include <gtest/gtest.h>

#include "app/actions/import_options_dialog.h"
#include "app/app_context.h"
#include "platform/profile_store.h"
#include "platform/scripted_ui.h"
#include "platform/win32_dialog_ids.h"
#include "support/temp_dir.h"

namespace quorvel {
namespace {

class ImportOptionsRun : public ::testing::Test {
 protected:
  void SetUp() override {
    app_ = std::make_unique<AppContext>(ui_, folder_);
    app_->settings = openProfileStore(app_->settingsPath());
  }
  std::string settingsText() {
    const std::vector<uint8_t> bytes = testing_support::readBytes(app_->settingsPath());
    return std::string(bytes.begin(), bytes.end());
  }
  testing_support::TempDir dir_;
  std::string folder_ = dir_.path();
  ScriptedUserInterface ui_;
  std::unique_ptr<AppContext> app_;
};

TEST_F(ImportOptionsRun, DefaultsWithoutTheSection) {
  ui_.queueImportOptions(false, {});
  EXPECT_FALSE(runImportOptions(*app_));
  const ImportOptions& o = app_->importOptions;
  EXPECT_EQ(o.XOffset, 0.0f);
  EXPECT_EQ(o.YOffset, 0.0f);
  EXPECT_EQ(o.ZOffset, 0.0f);
  EXPECT_EQ(o.Scale, 1.0f);
  EXPECT_FALSE(o.ReplaceMeshes);
  EXPECT_FALSE(o.ReplaceInstances);
  EXPECT_FALSE(o.UseExtImportScale);
  EXPECT_FALSE(o.AddExtImportScale);
  EXPECT_TRUE(o.NormalizeTextureNames);
  EXPECT_EQ(settingsText(), "");  // Cancel writes nothing
}

TEST_F(ImportOptionsRun, OkStoresNumbersWithSixDigitsAndBoxesAsOneOrZero) {
  ui_.queueImportOptions(true, [](ImportOptions& o) {
    o.XOffset = 1234.5678f;
    o.YOffset = -0.5f;
    o.Scale = -2.0f;
    o.ReplaceMeshes = true;
    o.NormalizeTextureNames = false;
  });
  ASSERT_TRUE(runImportOptions(*app_));
  EXPECT_EQ(app_->importOptions.Scale, 2.0f);
  EXPECT_EQ(app_->settings->readString("Import3ds", "XOffset", ""), "1234.57");
  EXPECT_EQ(app_->settings->readString("Import3ds", "YOffset", ""), "-0.5");
  EXPECT_EQ(app_->settings->readString("Import3ds", "ZOffset", ""), "0");
  EXPECT_EQ(app_->settings->readString("Import3ds", "Scale", ""), "2");
  EXPECT_EQ(app_->settings->readString("Import3ds", "ReplaceMeshes", ""), "1");
  EXPECT_EQ(app_->settings->readString("Import3ds", "ReplaceInstances", ""), "0");
  EXPECT_EQ(app_->settings->readString("Import3ds", "NormalizeTextureNames", ""), "0");

  // The next import reads the rounded value back.
  ImportOptions shown;
  ui_.queueImportOptions(true, [&shown](ImportOptions& o) { shown = o; });
  ASSERT_TRUE(runImportOptions(*app_));
  EXPECT_EQ(shown.XOffset, 1234.57f);
  EXPECT_TRUE(shown.ReplaceMeshes);
  EXPECT_FALSE(shown.NormalizeTextureNames);
}

TEST_F(ImportOptionsRun, StoredTextThatIsNotANumberGivesTheDefault) {
  app_->settings->writeString("Import3ds", "Scale", "big");
  app_->settings->writeString("Import3ds", "XOffset", "7.5 metres");
  app_->settings->writeString("Import3ds", "ReplaceInstances", "3");
  ui_.queueImportOptions(false, {});
  runImportOptions(*app_);
  EXPECT_EQ(app_->importOptions.Scale, 1.0f);
  EXPECT_EQ(app_->importOptions.XOffset, 7.5f);
  EXPECT_TRUE(app_->importOptions.ReplaceInstances);
}

TEST(ImportOptionsForm, ShowsNumbersWithPercentG) {
  ImportOptions o;
  o.XOffset = 0.1f;
  o.Scale = 1e-5f;
  o.ReplaceInstances = true;
  const ImportOptionsForm form = importOptionsForm(o);
  EXPECT_EQ(form.x, "0.1");
  EXPECT_EQ(form.y, "0");
  EXPECT_EQ(form.scale, "1e-05");
  EXPECT_EQ(form.boxes, (std::array<bool, 5>{false, false, false, true, true}));
}

TEST(ImportOptionsForm, TextThatIsNotANumberStopsTheReadingThere) {
  ImportOptions o;
  ImportOptionsForm form = importOptionsForm(o);
  form.x = "5";
  form.y = "abc";
  form.z = "6";
  form.scale = "3";
  form.boxes[2] = true;
  EXPECT_FALSE(acceptImportOptionsForm(o, form));
  EXPECT_EQ(o.XOffset, 5.0f);
  EXPECT_EQ(o.YOffset, 0.0f);
  EXPECT_EQ(o.ZOffset, 0.0f);
  EXPECT_EQ(o.Scale, 1.0f);
  EXPECT_FALSE(o.ReplaceMeshes);
  form.y = "-1.25";
  EXPECT_TRUE(acceptImportOptionsForm(o, form));
  EXPECT_EQ(o.YOffset, -1.25f);
  EXPECT_EQ(o.Scale, 3.0f);
  EXPECT_TRUE(o.ReplaceMeshes);
}

TEST(ImportOptionsForm, ScaleIsPositiveAndNeverTiny) {
  EXPECT_EQ(sanitizedScale(-2.0f), 2.0f);
  EXPECT_EQ(sanitizedScale(0.0f), 1.0f);
  EXPECT_EQ(sanitizedScale(-5e-9f), 1.0f);
  EXPECT_EQ(sanitizedScale(1e-8f), 1e-8f);
}

TEST(ImportOptionsForm, CheckBoxTableOrderAndControls) {
  ASSERT_EQ(kImportCheckBoxes.size(), 5u);
  EXPECT_STREQ(kImportCheckBoxes[0].key, "UseExtImportScale");
  EXPECT_EQ(kImportCheckBoxes[0].control, 1022);
  EXPECT_STREQ(kImportCheckBoxes[4].key, "NormalizeTextureNames");
  EXPECT_EQ(kImportCheckBoxes[4].control, 1028);
  EXPECT_TRUE(kImportCheckBoxes[4].defaultValue);
}

// The dialog's OK with these four edit texts and boxes; `badEdit` is left at
// 4 when every number is good.
bool acceptEdits(ImportOptions& options, const std::array<std::string, 4>& edits,
                 const std::array<bool, 5>& boxes, size_t& badEdit) {
  ImportOptionsForm form;
  form.x = edits[0];
  form.y = edits[1];
  form.z = edits[2];
  form.scale = edits[3];
  form.boxes = boxes;
  badEdit = 4;
  return acceptImportOptionsForm(options, form, &badEdit);
}

constexpr std::array<bool, 5> kNoBoxes = {false, false, false, false, false};

TEST(ImportOptionsForm, AllNumbersTakeEditsAndBoxes) {
  ImportOptions options;
  size_t bad = 0;
  EXPECT_TRUE(acceptEdits(options, {"1.5", "-2", "3e2", "0.25"}, {true, false, true, false, false}, bad));
  EXPECT_EQ(bad, 4u);
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
  size_t bad = 0;
  EXPECT_TRUE(acceptEdits(options, {"4abc", " 5", "6.", "7 8"}, kNoBoxes, bad));
  EXPECT_FLOAT_EQ(options.XOffset, 4.0f);
  EXPECT_FLOAT_EQ(options.YOffset, 5.0f);
  EXPECT_FLOAT_EQ(options.ZOffset, 6.0f);
  EXPECT_FLOAT_EQ(options.Scale, 7.0f);
}

TEST(ImportOptionsForm, FirstBadEditIsReportedWithEarlierNumbersKept) {
  ImportOptions options;
  options.ReplaceMeshes = true;
  size_t bad = 0;
  EXPECT_FALSE(acceptEdits(options, {"9", "abc", "7", "3"}, kNoBoxes, bad));
  EXPECT_EQ(bad, 1u);
  EXPECT_FLOAT_EQ(options.XOffset, 9.0f);
  EXPECT_FLOAT_EQ(options.YOffset, 0.0f);
  EXPECT_FLOAT_EQ(options.ZOffset, 0.0f);
  EXPECT_FLOAT_EQ(options.Scale, 1.0f);
  EXPECT_TRUE(options.ReplaceMeshes) << "boxes are taken only when every number is good";
}

TEST(ImportOptionsForm, EmptyScaleEditIsNotANumber) {
  ImportOptions options;
  size_t bad = 0;
  EXPECT_FALSE(acceptEdits(options, {"0", "0", "0", ""}, kNoBoxes, bad));
  EXPECT_EQ(bad, 3u);
}

TEST(ImportOptionsForm, NotFiniteNumbersAreRefused) {
  for (const char* text : {"nan", "inf", "-INF", "1e999"}) {
    ImportOptions options;
    size_t bad = 0;
    EXPECT_FALSE(acceptEdits(options, {"0", "0", text, "1"}, kNoBoxes, bad)) << text;
    EXPECT_EQ(bad, 2u) << text;
    EXPECT_FLOAT_EQ(options.ZOffset, 0.0f);
  }
}

TEST(ImportOptionsForm, ScaleIsMadePositiveAndNeverTiny) {
  ImportOptions options;
  size_t bad = 0;
  acceptEdits(options, {"0", "0", "0", "-2"}, kNoBoxes, bad);
  EXPECT_FLOAT_EQ(options.Scale, 2.0f);
  acceptEdits(options, {"0", "0", "0", "0"}, kNoBoxes, bad);
  EXPECT_FLOAT_EQ(options.Scale, 1.0f);
  acceptEdits(options, {"0", "0", "0", "-9e-9"}, kNoBoxes, bad);
  EXPECT_FLOAT_EQ(options.Scale, 1.0f);
  acceptEdits(options, {"0", "0", "0", "1e-7"}, kNoBoxes, bad);
  EXPECT_FLOAT_EQ(options.Scale, 1e-7f);
}

TEST(ImportOptionsForm, EditsShowSixSignificantDigits) {
  EXPECT_EQ(formatOptionNumber(0.0f), "0");
  EXPECT_EQ(formatOptionNumber(1.0f), "1");
  EXPECT_EQ(formatOptionNumber(-0.5f), "-0.5");
  EXPECT_EQ(formatOptionNumber(1234567.0f), "1.23457e+06");
  EXPECT_EQ(formatOptionNumber(12.345678f), "12.3457");
}

TEST(ImportOptionsForm, BoxesFollowTheSettingsOrderAndTheDialogIds) {
  // The settings file and the dialog walk the same rows: UseExtImportScale,
  // AddExtImportScale, ReplaceMeshes, ReplaceInstances, NormalizeTextureNames.
  const int ids[5] = {IDC_USE_EXT_IMPORT_SCALE, IDC_ADD_EXT_IMPORT_SCALE, IDC_REPLACE_MESHES,
                      IDC_REPLACE_INSTANCES, IDC_NORMALIZE_TEXTURE_NAMES};
  const int numbers[5] = {1022, 1023, 1024, 1025, 1028};
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(kImportCheckBoxes[i].control, ids[i]);
    EXPECT_EQ(kImportCheckBoxes[i].control, numbers[i]);
  }
  EXPECT_EQ((std::array<int, 4>{IDC_OFFSET_X, IDC_OFFSET_Y, IDC_OFFSET_Z, IDC_SCALE}),
            (std::array<int, 4>{1005, 1006, 1007, 1008}));
}

TEST(ImportOptionsForm, ScannerRefusesWhatIsNotAFiniteNumber) {
  EXPECT_EQ(scanOptionNumber("2.5"), 2.5f);
  EXPECT_EQ(scanOptionNumber("-0"), 0.0f);
  EXPECT_EQ(scanOptionNumber("3.4e38"), 3.4e38f);
  for (const char* text : {"", "abc", "nan", "NAN(1)", "-nan", "inf", "+Infinity", "-INF", "1e39", "1e999"})
    EXPECT_EQ(scanOptionNumber(text), std::nullopt) << text;
}

TEST_F(ImportOptionsRun, StoredNumberThatIsNotFiniteGivesTheDefault) {
  app_->settings->writeString("Import3ds", "XOffset", "inf");
  app_->settings->writeString("Import3ds", "YOffset", "nan");
  app_->settings->writeString("Import3ds", "ZOffset", "-1e999");
  app_->settings->writeString("Import3ds", "Scale", "infinity");
  ui_.queueImportOptions(false, {});
  EXPECT_FALSE(runImportOptions(*app_));
  EXPECT_EQ(app_->importOptions.XOffset, 0.0f);
  EXPECT_EQ(app_->importOptions.YOffset, 0.0f);
  EXPECT_EQ(app_->importOptions.ZOffset, 0.0f);
  EXPECT_EQ(app_->importOptions.Scale, 1.0f);
}

}  // namespace
}  // namespace quorvel
