#include "import/import_options.h"

#include <gtest/gtest.h>

#include "app/app_context.h"
#include "platform/profile_store.h"
#include "platform/scripted_ui.h"
#include "support/bmp_builder.h"

namespace quorvel {
namespace {

class ImportOptionsRun : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = testing_support::freshTempFolder("options");
    app_ = std::make_unique<AppContext>(ui_, folder_);
    app_->settings = openProfileStore(app_->settingsPath());
  }
  std::string settingsText() {
    const std::vector<uint8_t> bytes = testing_support::readBytes(app_->settingsPath());
    return std::string(bytes.begin(), bytes.end());
  }
  std::string folder_;
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

}  // namespace
}  // namespace quorvel
