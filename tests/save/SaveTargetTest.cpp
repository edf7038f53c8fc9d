// Saving when the disk fills up at any point, and targets that are links, special or read-only files.
#include "SaveTestSupport.h"

#include "Platform/FileIo/DataFile.h"

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace SaveTest;

namespace {

// Writes past limit bytes into any file of the process fail (EFBIG) as on a full disk.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t limit) {
    oldSignal_ = std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &old_);
    const rlimit next{limit, old_.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &next);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldSignal_);
  }

 private:
  rlimit old_{};
  void (*oldSignal_)(int) = nullptr;
};

// A small JPEG with EXIF values, so that a save writes metadata and a thumbnail.
std::string PhotoWithExif(const TempFolder& folder) {
  const std::string path = folder.File("photo.jpg");
  WriteImage(path, Filled(AV_PIX_FMT_RGB24, 64, 48, {30, 160, 90}), IFormatCodecVideo::CODEC_ID_MJPEG);
  Property settings(IImageMetadata::SAVE_SETTINGS);
  settings.SetChildT(IFormatFile::TAG_FILENAME, path);
  Property& replace = settings.SetChild(IImageMetadata::REPLACE_SETTINGS);
  replace.SetChildT("Exif.Image.Artist", std::string("Someone"));
  replace.SetChildT("Exif.Image.XResolution", std::string("300/1"));
  Zentor::Proc::ImageMetadata::Create(path, nullptr)->Write(settings, nullptr);
  return path;
}

// Every limit from nothing to the whole file: each save either fails and leaves the old file and
// the folder exactly as they were, or succeeds with the complete file.
TEST(FullDisk, SaveNeverReportsSuccessWithADamagedFile) {
  TempFolder folder;
  Engine engine(folder, PhotoWithExif(folder));
  struct Format {
    const char* codec;
    const char* extension;
  };
  for (const Format& format : {Format{IFormatCodecVideo::CODEC_ID_MJPEG, "jpg"}, Format{IFormatCodecVideo::CODEC_ID_PNG, "png"},
                               Format{IFormatCodecVideo::CODEC_ID_TIFF, "tif"}, Format{IFormatCodecVideo::CODEC_ID_BMP, "bmp"},
                               Format{nullptr, "pgm"}}) {
    SCOPED_TRACE(format.extension);
    const bool mask = format.codec == nullptr;
    if (mask) {
      DataVideoPtr selection = Filled(AV_PIX_FMT_GRAY8, 64, 48, {200});
      engine->SetMask(selection);
    }
    const auto save = [&](const std::string& path) {
      if (mask) {
        engine->SaveMask(path);
      } else {
        engine->Save(SaveSettings(path, format.codec, format.extension));
      }
    };
    const std::string reference = folder.File(std::string("reference.") + format.extension);
    const size_t earlier = engine.core.errors.size();
    save(reference);
    ASSERT_EQ(engine.core.errors.size(), earlier);
    const std::string complete = ReadFile(reference);

    const std::string target = folder.File(std::string("target.") + format.extension);
    const std::string original = "the user's earlier file";
    WriteFile(target, original);
    const std::vector<std::string> names = folder.Names();
    size_t failures = 0;
    const size_t step = std::max<size_t>(1, complete.size() / 25);
    for (size_t limit = 0; limit <= complete.size() + step; limit += step) {
      const size_t before = engine.core.errors.size();
      {
        FileSizeLimit full(limit);
        save(target);
      }
      if (engine.core.errors.size() > before) {
        ++failures;
        ASSERT_TRUE(ReadFile(target) == original) << "limit " << limit;
        ASSERT_EQ(folder.Names(), names) << limit;
      } else {
        ASSERT_TRUE(ReadFile(target) == complete) << "limit " << limit;
        WriteFile(target, original);
      }
    }
    EXPECT_GT(failures, 2u);
    EXPECT_LT(failures, complete.size() / step + 2) << "the largest limits succeed";
  }
}

TEST(FullDisk, SessionSaveKeepsThePreviousSessionFile) {
  TempFolder folder;
  Engine engine(folder, PhotoWithExif(folder));
  const std::string session = folder.File("session-" + std::to_string(Engine::count) + "/last.json");
  engine->SaveSession();
  const std::string previous = ReadFile(session);
  size_t failures = 0;
  for (rlim_t limit = 0; limit <= previous.size(); limit += 97) {
    try {
      FileSizeLimit full(limit);
      engine->SaveSession();
    } catch (const Zentor::Exception&) {
      ++failures;
    }
    ASSERT_TRUE(ReadFile(session) == previous) << "limit " << limit;
  }
  EXPECT_GT(failures, 0u);
}

class Targets : public ::testing::Test {
 protected:
  Targets() : engine(folder, PhotoWithExif(folder)) {}

  // Saves and expects a refusal whose text names the file, with the target untouched.
  void ExpectRefused(const std::string& path, const char* codec, const char* extension, const std::string& why) {
    const size_t before = engine.core.errors.size();
    engine->Save(SaveSettings(path, codec, extension));
    ASSERT_EQ(engine.core.errors.size(), before + 1);
    try {
      engine.core.Rethrow(before);
    } catch (const Zentor::Core::FileException& e) {
      const std::string text = Zentor::GetDescription(e);
      EXPECT_NE(text.find(path), std::string::npos) << text;
      EXPECT_NE(text.find(why), std::string::npos) << text;
    } catch (...) {
      ADD_FAILURE() << "not a file error";
    }
  }

  TempFolder folder;
  Engine engine;
};

TEST_F(Targets, SymbolicLinkStillPointsToTheSavedPicture) {
  boost::filesystem::create_directories(folder.File("real"));
  const std::string real = folder.File("real/picture.png");
  WriteFile(real, "old");
  const std::string link = folder.File("link.png");
  boost::filesystem::create_symlink("real/picture.png", link);
  engine->Save(SaveSettings(link, IFormatCodecVideo::CODEC_ID_PNG, "png"));
  ASSERT_TRUE(engine.core.errors.empty());
  EXPECT_TRUE(boost::filesystem::is_symlink(link));
  ASSERT_TRUE(Decode(real));
  EXPECT_EQ(Decode(real)->GetWidth(), 64u);
}

TEST_F(Targets, SpecialAndHardLinkedFilesAreRefused) {
  const std::string fifo = folder.File("fifo.png");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  ExpectRefused(fifo, IFormatCodecVideo::CODEC_ID_PNG, "png", "not a regular file");
  EXPECT_TRUE(boost::filesystem::is_other(fifo));

  const std::string linked = folder.File("linked.png");
  WriteFile(linked, "shared");
  boost::filesystem::create_hard_link(linked, folder.File("other-name.png"));
  ExpectRefused(linked, IFormatCodecVideo::CODEC_ID_PNG, "png", "hard links");
  EXPECT_EQ(boost::filesystem::hard_link_count(linked), 2u);
  EXPECT_EQ(ReadFile(folder.File("other-name.png")), "shared");
}

TEST_F(Targets, ReadOnlyFileIsRefusedInEveryFormat) {
  struct Format {
    const char* codec;
    const char* extension;
  };
  const Format formats[] = {
      {IFormatCodecVideo::CODEC_ID_BMP, "bmp"}, {IFormatCodecVideo::CODEC_ID_DPX, "dpx"},
      {IFormatCodecVideo::CODEC_ID_MJPEG, "jpg"}, {IFormatCodecVideo::CODEC_ID_PBM, "pbm"},
      {IFormatCodecVideo::CODEC_ID_PCX, "pcx"}, {IFormatCodecVideo::CODEC_ID_PGM, "pgm"},
      {IFormatCodecVideo::CODEC_ID_PNG, "png"}, {IFormatCodecVideo::CODEC_ID_PPM, "ppm"},
      {IFormatCodecVideo::CODEC_ID_TARGA, "tga"}, {IFormatCodecVideo::CODEC_ID_TIFF, "tif"},
      {IFormatCodecVideo::CODEC_ID_XBM, "xbm"}};
  for (const Format& format : formats) {
    SCOPED_TRACE(format.extension);
    const std::string path = folder.File(std::string("locked.") + format.extension);
    WriteFile(path, "keep me");
    ::chmod(path.c_str(), 0444);
    ExpectRefused(path, format.codec, format.extension, "read-only");
    EXPECT_EQ(ReadFile(path), "keep me");
  }
}

}  // namespace
