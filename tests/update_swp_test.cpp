// The Update SWP action on a small level written to a scratch folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/actions/dispatch.h"
#include "platform/file_system.h"
#include "platform/profile_store.h"
#include "platform/scripted_ui.h"
#include "support/bmp_builder.h"
#include "support/level_paths.h"
#include "support/scene_fixtures.h"
#include "support/temp_dir.h"
#include "textures/texture_database.h"
#include "app/actions/update_swp.h"
#include "textures/texture_update.h"

namespace quorvel {
namespace {

using testing_support::buildIndexedBmp;
using testing_support::readBytes;
using testing_support::writeBytes;

uint8_t checker(int32_t x, int32_t y) { return static_cast<uint8_t>(((x / 4) + (y / 4)) % 2 + 1); }

class UpdateSwp : public ::testing::Test {
 protected:
  void SetUp() override {
    textures_ = dir_.makeFolder("art/");
    // Meshes "Lamp" (materials lamp.bmp, and glow.bmp with opacity
    // glow_a.bmp) and the untextured "Box".
    level_ = testing_support::levelFilesIn(folder_, "lvl");
    writeBytes(level_.grfPath, scene_testing::vertexRecordsFile());
    TextureDatabase empty;
    ASSERT_TRUE(empty.write(level_.pidPath));
    writeBytes(level_.swpPath, std::vector<uint8_t>(5000, 0x42));
    writeBytes(level_.spzPath, {0x88, 0x13, 0, 0, 1, 2, 3});
    writeBytes(textures_ + "lamp.bmp", buildIndexedBmp(64, 64, 8, checker));
    writeBytes(textures_ + "glow.bmp", buildIndexedBmp(32, 32, 8, checker));
    writeBytes(textures_ + "glow_a.bmp", buildIndexedBmp(32, 32, 8, checker));
    newApp();
  }
  void newApp() {
    ui_ = std::make_unique<ScriptedUserInterface>();
    app_ = std::make_unique<AppContext>(*ui_, folder_);
    app_->settings = openProfileStore(app_->settingsPath());
    app_->log.captureText(true);
    app_->traceStream = nullptr;
    app_->makeBackups = false;  // the backups have tests of their own
  }
  std::string run() {
    ui_->queueFile(textures_ + "lamp.bmp");
    updateSwp(*app_, level_);
    return app_->log.takeText();
  }
  testing_support::TempDir dir_;
  std::string folder_ = dir_.path();
  std::string textures_;
  LevelFiles level_;
  std::unique_ptr<ScriptedUserInterface> ui_;
  std::unique_ptr<AppContext> app_;
};

TEST_F(UpdateSwp, AddsTheMissingTexturesAndASecondRunFindsNone) {
  const std::string first = run();
  EXPECT_EQ(first.substr(0, first.find("\nSaving")),
            "Loading level...\nFile: \"" + level_.scnPath +
                "\"\n\nLoading textures...\n"
                "Added 2 new textures, replaced 0 textures, skipped 0 existing textures.\n");
  EXPECT_NE(first.find("\nSaving PID and SWP...\n  Added Texture: "), std::string::npos) << first;
  EXPECT_NE(first.find("  Used Opacity Map: " + textures_ + "glow_a.bmp\n"), std::string::npos) << first;
  EXPECT_NE(first.find("done.\n"), std::string::npos);
  // The verification that follows finds every texture in the store.
  EXPECT_NE(first.find("primary texture space"), std::string::npos) << first;
  EXPECT_EQ(first.find("might be missing texture"), std::string::npos) << first;
  EXPECT_EQ(app_->settings->readString("Paths", "BmpImportPath", ""), textures_ + "lamp.bmp");

  const AskedQuestion* dialog = nullptr;
  for (const auto& q : ui_->questions())
    if (q.kind == QuestionKind::OpenFile) dialog = &q;
  ASSERT_TRUE(dialog);
  EXPECT_EQ(dialog->file.title, "Select any file from import directory");
  EXPECT_EQ(dialog->file.filterName, "Texture files (.bmp)");
  EXPECT_EQ(dialog->file.filterPattern, "*.bmp");
  EXPECT_EQ(dialog->file.initialFolder, "\\");
  EXPECT_EQ(dialog->file.initialFile, "");

  TextureDatabase db;
  ASSERT_TRUE(db.read(level_.pidPath));
  EXPECT_EQ(db.entries.size(), 4u + 3u + 1u);  // lamp 64..8, glow 32..8, the marker
  const uint64_t swpSize = *fileSize(level_.swpPath);
  EXPECT_EQ(swpSize % 131072, 0u);
  const std::vector<uint8_t> spz = readBytes(level_.spzPath);
  EXPECT_EQ(uint64_t{spz[0]} | uint64_t{spz[1]} << 8 | uint64_t{spz[2]} << 16 | uint64_t{spz[3]} << 24, swpSize);
  EXPECT_EQ((std::vector<uint8_t>(spz.begin() + 4, spz.end())), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(lastWriteTime(level_.swpPath), lastWriteTime(level_.spzPath));

  const std::vector<uint8_t> pid = readBytes(level_.pidPath);
  const std::vector<uint8_t> swp = readBytes(level_.swpPath);
  newApp();
  ui_->queueFile(textures_ + "lamp.bmp");
  EXPECT_TRUE(updateSwp(*app_, level_));
  const std::string second = app_->log.takeText();
  EXPECT_NE(second.find("Added 0 new textures, replaced 0 textures, skipped 2 existing textures.\n"
                        "\nNo new textures to add to level.\n"),
            std::string::npos)
      << second;
  EXPECT_EQ(readBytes(level_.pidPath), pid);
  EXPECT_EQ(readBytes(level_.swpPath), swp);
}

TEST_F(UpdateSwp, CancellingTheDialogAbortsTheLoad) {
  ui_->queueFile(std::nullopt);
  EXPECT_FALSE(updateSwp(*app_, level_));
  EXPECT_EQ(app_->log.takeText(), "Load aborted.\n");
}

TEST_F(UpdateSwp, MissingBitmapsAskBeforeSavingAndNoWritesNothing) {
  std::filesystem::remove(textures_ + "glow.bmp");
  const std::vector<uint8_t> pid = readBytes(level_.pidPath);
  ui_->queueAnswer(Answer::No);
  const std::string text = run();
  EXPECT_NE(text.find("      WARNING: could not find \"glow.bmp\" in texture path \"" + textures_ +
                      "\", texture set to empty.\n"
                      "Added 1 new textures, replaced 0 textures, skipped 0 existing textures.\n"
                      "\nThere were NOTEs, WARNINGs, or ERRORs.\nPlease review the above messages and then "
                      "select an option from the message box.\nSave level canceled.\n"),
            std::string::npos)
      << text;
  const MessageBoxRequest& box = ui_->questions().back().box;
  EXPECT_EQ(box.caption, "Confirm Save Level");
  EXPECT_EQ(box.owner, Owner::None);
  EXPECT_EQ(box.buttons, Buttons::YesNo);
  EXPECT_EQ(box.text,
            "Some textures were not found, however Quorvel can't accurately determine which\ntextures are already "
            "in a level, so it may be safe to ignore this warning.\n\nDo you want to continue and update the PID "
            "and SWP?");
  EXPECT_EQ(readBytes(level_.pidPath), pid);
  // The GRF is never rewritten by this action.
  EXPECT_EQ(readBytes(level_.grfPath), scene_testing::vertexRecordsFile());
}

TEST_F(UpdateSwp, IsTheActionOfButton1009) {
  ui_->queueFile(std::nullopt);
  EXPECT_FALSE(runAction(*app_, kActionUpdateSwp, level_));
  EXPECT_EQ(app_->log.takeText(), "Load aborted.\n");
}

}  // namespace
}  // namespace quorvel
