// The texture phase and the texture save over meshes built in code.
#include "textures/texture_update.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/app_context.h"
#include "platform/profile_store.h"
#include "platform/scripted_ui.h"
#include "support/bmp_builder.h"
#include "support/level_paths.h"
#include "support/system_errors.h"
#include "support/temp_dir.h"
#include "textures/texture_database.h"

namespace quorvel {
namespace {

using testing_support::buildIndexedBmp;
using testing_support::buildSolidBmp24;
using testing_support::writeBytes;

uint8_t stripes(int32_t x, int32_t) { return static_cast<uint8_t>(x % 4); }

class TexturePhase : public ::testing::Test {
 protected:
  void SetUp() override {
    textures_ = dir_.makeFolder("bmp/");
    level_ = testing_support::levelFilesIn(folder_, "lvl");
    TextureDatabase empty;
    ASSERT_TRUE(empty.write(level_.pidPath));
    writeBytes(level_.swpPath, {});
    writeBytes(level_.spzPath, {0, 0, 0, 0});
    app_ = std::make_unique<AppContext>(ui_, folder_);
    app_->settings = openProfileStore(app_->settingsPath());
    app_->log.captureText(true);
    app_->log.verbose = false;
    app_->importOptions.NormalizeTextureNames = false;
    app_->exitProcess = [this](int code) { exitCodes_.push_back(code); };
  }
  void TearDown() override { EXPECT_EQ(ui_.unusedAnswers(), 0u); }

  Mesh& mesh(const std::string& name, std::vector<Material> materials) {
    auto owned = std::make_unique<Mesh>();
    owned->name = name;
    owned->materials = std::move(materials);
    Mesh* raw = owned.get();
    meshes_.push_back(std::move(owned));
    imported_[name] = raw;
    return *raw;
  }
  // The texture phase as the import runs it; mode -1 asks, 0 keeps, 1 replaces.
  void load(int mode) {
    TexturePhaseOptions options;
    options.textureFolder = textures_;
    options.normalizeTextureNames = app_->importOptions.NormalizeTextureNames;
    options.replace = mode < 0 ? ReplacePolicy::Ask : mode == 0 ? ReplacePolicy::Never : ReplacePolicy::Always;
    pending_ = loadTextures(imported_, level_, options, app_->ignoredTextures, app_->log, ui_);
  }
  bool save() { return saveTextures(pending_, level_, app_->log, ui_, app_->exitProcess); }
  void bitmap(const std::string& name, const std::vector<uint8_t>& bytes) { writeBytes(textures_ + name, bytes); }
  void addExisting(const std::string& textureName) {
    TextureDatabase db;
    ASSERT_TRUE(db.read(level_.pidPath));
    TextureEntry e;
    e.width = e.height = 8;
    e.pitch = 512;
    e.bitsPerPixel = 8;
    e.offset = 0x700000;
    e.textureId = textureId(1.0f, textureName, "");
    db.entries.push_back(e);
    ASSERT_TRUE(db.write(level_.pidPath));
  }

  testing_support::TempDir dir_;
  std::string folder_ = dir_.path();
  std::string textures_;
  LevelFiles level_;
  ScriptedUserInterface ui_;
  std::unique_ptr<AppContext> app_;
  std::vector<std::unique_ptr<Mesh>> meshes_;
  std::map<std::string, Mesh*> imported_;
  PendingTextures pending_;
  std::vector<int> exitCodes_;
};

TEST_F(TexturePhase, TwoMaterialsOfOneTextureGiveOnePendingTexture) {
  bitmap("rock.bmp", buildIndexedBmp(16, 16, 4, stripes));
  mesh("a", {{"Map\\lvl\\rock.bmp", "", ""}, {"Map\\lvl\\rock.bmp", "", ""}});
  load(0);
  EXPECT_EQ(app_->log.takeText(),
            "\nLoading textures...\n"
            "Added 2 new textures, replaced 0 textures, skipped 0 existing textures.\n");
  ASSERT_EQ(pending_.size(), 1u);
  const PendingTexture& p = pending_.begin()->second;
  EXPECT_EQ(p.textureId, textureId(1.0f, "Map\\lvl\\rock.bmp", ""));
  EXPECT_EQ(p.bitmapPath, textures_ + "rock.bmp");
  EXPECT_EQ(p.textureName, "Map\\lvl\\rock.bmp");
  EXPECT_TRUE(p.mipmaps);
  EXPECT_FALSE(p.replaces);
  EXPECT_FALSE(app_->log.problem);
}

TEST_F(TexturePhase, MissingBitmapEmptiesTheMaterialOfANewTexture) {
  Mesh& m = mesh("a", {{"Map\\lvl\\gone.bmp", "Map\\lvl\\o.bmp", "Map\\lvl\\b.bmp"}});
  load(0);
  EXPECT_EQ(app_->log.takeText(),
            "\nLoading textures...\n"
            "      WARNING: could not find \"gone.bmp\" in texture path \"" + textures_ +
                "\", texture set to empty.\n"
                "Added 0 new textures, replaced 0 textures, skipped 0 existing textures.\n");
  EXPECT_EQ(m.materials[0], Material{});
  EXPECT_TRUE(app_->log.problem);
  EXPECT_TRUE(pending_.empty());
}

TEST_F(TexturePhase, MissingBitmapOfAnExistingTextureKeepsItWhenReplacing) {
  addExisting("Map\\lvl\\gone.bmp");
  Mesh& m = mesh("a", {{"Map\\lvl\\gone.bmp", "", ""}});
  load(1);
  EXPECT_EQ(app_->log.takeText(),
            "\nLoading textures...\n"
            "      WARNING: could not find \"gone.bmp\" in texture path \"" + textures_ + "\".\n"
            "Added 0 new textures, replaced 0 textures, skipped 0 existing textures.\n");
  EXPECT_EQ(m.materials[0].colorMap, "Map\\lvl\\gone.bmp");
}

TEST_F(TexturePhase, IgnoredTexturesGiveTheNoteOnceAndKeepTheirNames) {
  app_->ignoredTextures = {"Map\\lvl\\x.bmp", "Map\\lvl\\y.bmp"};
  Mesh& m = mesh("a", {{"Map\\lvl\\x.bmp", "", ""}, {"Map\\lvl\\y.bmp", "", ""}, {"Map\\lvl\\x.bmp", "", ""}});
  load(0);
  EXPECT_EQ(app_->log.takeText(),
            "\nLoading textures...\n"
            "NOTE: Some textures known to cause verification problems were ignored. (see file "
            "\"Quorvel.ignoretextures.txt\")\n"
            "Added 0 new textures, replaced 0 textures, skipped 0 existing textures.\n");
  EXPECT_EQ(m.materials[1].colorMap, "Map\\lvl\\y.bmp");
  EXPECT_FALSE(app_->log.problem);
}

TEST_F(TexturePhase, BitmapThatExistsButCannotBeReadSaysWhy) {
  std::filesystem::create_directory(textures_ + "dir.bmp");
  Mesh& m = mesh("a", {{"Map\\lvl\\dir.bmp", "", ""}});
  load(0);
  EXPECT_EQ(app_->log.takeText(),
            "\nLoading textures...\n"
            "      ERROR: could not read \"" + textures_ + "dir.bmp\": " + testing_support::folderReadError() +
                ", texture set to empty.\n"
            "Added 0 new textures, replaced 0 textures, skipped 0 existing textures.\n");
  EXPECT_EQ(m.materials[0], Material{});
  EXPECT_TRUE(app_->log.problem);
}

TEST_F(TexturePhase, BitmapThatFailsTheCheckIsReportedOnOneLine) {
  bitmap("wide.bmp", buildSolidBmp24(300, 100, 1, 2, 3));
  bitmap("old.bmp", buildSolidBmp24(300, 100, 1, 2, 3));
  addExisting("Map\\lvl\\old.bmp");
  Mesh& m = mesh("a", {{"Map\\lvl\\wide.bmp", "", ""}, {"Map\\lvl\\old.bmp", "", ""}});
  load(1);
  EXPECT_EQ(app_->log.takeText(),
            "\nLoading textures...\n"
            "      ERROR: \"" + textures_ + "wide.bmp\" is too big. Max 24bit texture size is 256x256"
            ", texture set to empty.\n"
            "      ERROR: \"" + textures_ + "old.bmp\" is too big. Max 24bit texture size is 256x256"
            ", keeping original texture.\n"
            "Added 0 new textures, replaced 0 textures, skipped 0 existing textures.\n");
  EXPECT_EQ(m.materials[0], Material{});
  EXPECT_EQ(m.materials[1].colorMap, "Map\\lvl\\old.bmp");
}

TEST_F(TexturePhase, ExistingTexturesAskOnceAndNoKeepsThemAll) {
  bitmap("a.bmp", buildIndexedBmp(8, 8, 4, stripes));
  bitmap("b.bmp", buildIndexedBmp(8, 8, 4, stripes));
  addExisting("Map\\lvl\\a.bmp");
  addExisting("Map\\lvl\\b.bmp");
  mesh("m", {{"Map\\lvl\\a.bmp", "", ""}, {"Map\\lvl\\b.bmp", "", ""}});
  app_->log.verbose = true;
  ui_.queueAnswer(Answer::No);
  load(-1);
  ASSERT_EQ(ui_.questions().size(), 1u);
  const MessageBoxRequest& box = ui_.questions()[0].box;
  EXPECT_EQ(box.text, "Some textures already exist in level, replace them?");
  EXPECT_EQ(box.caption, "Quorvel");
  EXPECT_EQ(box.buttons, Buttons::YesNo);
  EXPECT_EQ(box.defaultButton, 1);
  EXPECT_EQ(box.owner, Owner::MessagesWindow);
  EXPECT_EQ(app_->log.takeText(),
            "\nLoading textures...\n"
            "  Skipped existing texture: Map\\lvl\\a.bmp\n"
            "  Skipped existing texture: Map\\lvl\\b.bmp\n"
            "Added 0 new textures, replaced 0 textures, skipped 2 existing textures.\n");
}

TEST_F(TexturePhase, YesReplacesAndVerboseListsTheFiles) {
  bitmap("a.bmp", buildIndexedBmp(8, 8, 4, stripes));
  bitmap("o.bmp", buildIndexedBmp(8, 8, 4, stripes));
  addExisting("Map\\lvl\\a.bmp");
  Mesh& m = mesh("m", {{"Map\\lvl\\a.bmp", "Map\\lvl\\o.bmp", ""}});
  m.values = std::make_unique<ValueTable>(ValueType::Group, "values");
  m.values->addChild(std::make_unique<Value>(ValueType::Bool, "MipMap"))->setBool(false);
  app_->log.verbose = true;
  ui_.queueAnswer(Answer::Yes);
  load(-1);
  EXPECT_EQ(app_->log.takeText(),
            "\nLoading textures...\n"
            "  Texture: " + textures_ + "a.bmp [Mipmaps=false] \n"
            "  Opacity: " + textures_ + "o.bmp\n"
            "Added 0 new textures, replaced 1 textures, skipped 0 existing textures.\n");
  EXPECT_TRUE(pending_.begin()->second.replaces);
  EXPECT_FALSE(pending_.begin()->second.mipmaps);
}

TEST_F(TexturePhase, AnimatedTexturesKeepTheirMipmaps) {
  bitmap("SOCCLUDET2.BMP", buildIndexedBmp(8, 8, 4, stripes));
  Mesh& m = mesh("m", {{"Map\\lvl\\SOCCLUDET2.BMP", "", "Map\\lvl\\bump.bmp"}});
  m.values = std::make_unique<ValueTable>(ValueType::Group, "values");
  m.values->addChild(std::make_unique<Value>(ValueType::Bool, "MipMap"))->setBool(false);
  m.values->addChild(std::make_unique<Value>(ValueType::String, "Anim00"))->setText("x");
  app_->log.verbose = true;
  load(0);
  EXPECT_EQ(app_->log.takeText(),
            "\nLoading textures...\n"
            "  Texture: " + textures_ + "SOCCLUDET2.BMP  [Occlusion=true]\n"
            "  Bumpmap (file not found): " + textures_ + "bump.bmp\n"
            "Added 1 new textures, replaced 0 textures, skipped 0 existing textures.\n");
  const PendingTexture& p = pending_.begin()->second;
  EXPECT_TRUE(p.mipmaps);
  EXPECT_TRUE(p.occlusion);
  EXPECT_EQ(p.textureId, textureId(1.0f, "Map\\lvl\\SOCCLUDET2.BMP", "Map\\lvl\\bump.bmp"));
}

TEST_F(TexturePhase, NormalizedNamesMoveIntoTheLevelsFolder) {
  bitmap("rock.bmp", buildIndexedBmp(8, 8, 4, stripes));
  app_->importOptions.NormalizeTextureNames = true;
  level_.name = "new";
  Mesh& m = mesh("m", {{"Map\\old\\rock.bmp", "", "textures/bump.bmp"}});
  m.values = std::make_unique<ValueTable>(ValueType::Group, "values");
  m.values->addChild(std::make_unique<Value>(ValueType::Float, "Diffuse"))->setFloat(0.5f);
  load(0);
  EXPECT_EQ(m.materials[0].colorMap, "Map\\new\\rock.bmp");
  EXPECT_EQ(m.materials[0].bumpMap, "Map\\new\\bump.bmp");
  ASSERT_EQ(pending_.size(), 1u);
  EXPECT_EQ(pending_.begin()->first, textureId(0.5f, "Map\\new\\rock.bmp", "Map\\new\\bump.bmp"));
}

TEST_F(TexturePhase, SaveAddsEveryPendingTextureAndReportsIt) {
  bitmap("a.bmp", buildIndexedBmp(16, 16, 4, stripes));
  bitmap("b.bmp", buildIndexedBmp(8, 8, 4, stripes));
  mesh("m", {{"Map\\lvl\\a.bmp", "Map\\lvl\\none.bmp", ""}, {"Map\\lvl\\b.bmp", "", "Map\\lvl\\a.bmp"}});
  load(0);
  app_->log.takeText();
  app_->log.verbose = true;
  ASSERT_TRUE(save());
  // Pending textures go in identifier order.
  const uint32_t idA = textureId(1.0f, "Map\\lvl\\a.bmp", "");
  const uint32_t idB = textureId(1.0f, "Map\\lvl\\b.bmp", "Map\\lvl\\a.bmp");
  const std::string a = "  Added Texture: Map\\lvl\\a.bmp  \n"
                        "  Used transparent palette entry zero (Opacity map was not found)\n";
  const std::string b = "  Added Texture: Map\\lvl\\b.bmp  \n"
                        "  Used Bumpmap: " + textures_ + "a.bmp\n";
  EXPECT_EQ(app_->log.takeText(), "\nSaving PID and SWP...\n" + (idA < idB ? a + b : b + a));
  TextureDatabase db;
  ASSERT_TRUE(db.read(level_.pidPath));
  size_t textures = 0;
  for (const TextureEntry& e : db.entries) textures += e.textureId == idA || e.textureId == idB;
  EXPECT_EQ(textures, 3u);  // a has a 16 and an 8 level
  // b is 16-bit (bump-mapped): it needs a page of its own depth.
  EXPECT_EQ(testing_support::readBytes(level_.spzPath), (std::vector<uint8_t>{0, 0, 4, 0}));
}

TEST_F(TexturePhase, SaveWithNothingPendingWritesNothing) {
  ASSERT_TRUE(save());
  EXPECT_EQ(app_->log.takeText(), "\nNo new textures, no need to save PID and SWP.\n");
  EXPECT_TRUE(testing_support::readBytes(level_.swpPath).empty());
}

TEST_F(TexturePhase, SaveReportsAStoreThatCannotBeOpened) {
  bitmap("a.bmp", buildIndexedBmp(8, 8, 4, stripes));
  mesh("m", {{"Map\\lvl\\a.bmp", "", ""}});
  load(0);
  app_->log.takeText();
  std::filesystem::remove(level_.swpPath);
  EXPECT_FALSE(save());
  EXPECT_EQ(app_->log.takeText(),
            "\nSaving PID and SWP...\nFATAL ERROR: could not open pid & swp for writing (BeginPidUpdate).\n"
            "       could not open \"" + level_.swpPath + "\": " + testing_support::missingFileError() + ".\n");
}

TEST_F(TexturePhase, SaveReportsATruncatedPidByName) {
  bitmap("a.bmp", buildIndexedBmp(8, 8, 4, stripes));
  mesh("m", {{"Map\\lvl\\a.bmp", "", ""}});
  load(0);
  app_->log.takeText();
  std::vector<uint8_t> pid = testing_support::readBytes(level_.pidPath);
  pid.resize(20);
  testing_support::writeBytes(level_.pidPath, pid);
  EXPECT_FALSE(save());
  EXPECT_EQ(app_->log.takeText(),
            "\nSaving PID and SWP...\nFATAL ERROR: could not open pid & swp for writing (BeginPidUpdate).\n"
            "       could not open \"" + level_.pidPath + "\": not a readable texture index.\n");
  EXPECT_EQ(testing_support::readBytes(level_.pidPath), pid);
}

TEST_F(TexturePhase, RunningOutOfSpaceShowsTheBoxAndEndsWithCodeThree) {
  TextureDatabase small;
  small.primaryLimit = 0x20000;  // no page for the first packer at all
  ASSERT_TRUE(small.write(level_.pidPath));
  bitmap("a.bmp", buildIndexedBmp(8, 8, 4, stripes));
  mesh("m", {{"Map\\lvl\\a.bmp", "", ""}});
  load(0);
  EXPECT_FALSE(save());
  EXPECT_EQ(exitCodes_, std::vector<int>{3});
  ASSERT_EQ(ui_.questions().size(), 1u);
  const MessageBoxRequest& box = ui_.questions()[0].box;
  EXPECT_EQ(box.caption, "ERROR");
  EXPECT_EQ(box.owner, Owner::None);
  EXPECT_EQ(box.buttons, Buttons::Ok);
  EXPECT_EQ(box.text,
            "Ran out of texture space (firstPacker).\nPlease start again with original copies of swp and pid,\n"
            "and run the SWP Update option");
  // The PID on disk is unchanged.
  TextureDatabase db;
  ASSERT_TRUE(db.read(level_.pidPath));
  EXPECT_TRUE(db.entries.empty());
}

TEST(ConvertTextureName, TakesTheFileNamePart) {
  LevelFiles level;
  level.name = "new";
  EXPECT_EQ(convertTextureName("Map\\old\\rock.bmp", level), "Map\\new\\rock.bmp");
  EXPECT_EQ(convertTextureName("some/where/Rock.BMP", level), "Map\\new\\Rock.BMP");
  EXPECT_EQ(convertTextureName("rock.bmp", level), "Map\\new\\rock.bmp");
  EXPECT_EQ(convertTextureName("", level), "");
}

}  // namespace
}  // namespace quorvel
