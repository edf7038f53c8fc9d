// The file information dialog: value conversions, the table's layout, a wrong input, and the
// metadata of a real photo as the engine reads it.
#include "support/ProgramTestSupport.h"

#include "Platform/Formats/IFormatCodec.h"
#include "Platform/ImageTags/ImageMetadata.h"
#include "Proc/Interfaces/IDataVideo.h"
#include "UI/FileInfo.h"

#include <QDir>
#include <QLocale>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

using Zentor::Conf::IFormatFile;
using Zentor::Core::Property;
using Zentor::Glimra::FileInfo;
using Zentor::Proc::IImageMetadata;

namespace {

Property Entry(const std::string& tag, const std::string& text) {
  Property entry(tag);
  entry.SetChildT(IImageMetadata::TAG_NAME, tag);
  entry.SetChildT(IImageMetadata::TEXT_VALUE, text);
  return entry;
}

Property Group(const char* name, std::initializer_list<std::pair<std::string, std::string>> entries) {
  Property group(name);
  for (const auto& e : entries) group.Add(Entry(e.first, e.second));
  return group;
}

// Numbers and dates in the given locale while it lives.
struct DefaultLocale {
  explicit DefaultLocale(const QLocale& locale) { QLocale::setDefault(locale); }
  ~DefaultLocale() { QLocale::setDefault(before); }
  const QLocale before;
};

// The value shown for one EXIF tag, or "<none>" when it gets no row.
std::string Shown(const std::string& tag, const std::string& text) {
  FileInfo::InitStrings();
  FileInfo::InitItemLocList();
  FileInfo::ItemLoc::ValueConverterReplace::InitDictionary();
  Property info(IImageMetadata::IMAGE_METADATA);
  info.Add(Group(IImageMetadata::EXIF, {{tag, text}}));
  FileInfo::InfoDataType data;
  std::string fileName;
  FileInfo::FoundTagsType found;
  const int rows = FileInfo::ParseFileInfoProperty(info, nullptr, data, fileName, found);
  if (rows == 0) return "<none>";
  EXPECT_EQ(1, rows);
  return data.begin()->second.at(0).second;
}

// The table as text, one "label=value" per row; a section header reads "--".
std::vector<std::string> Rows(FileInfo& dialog) {
  auto* table = dialog.findChild<QTableWidget*>("tableWidget");
  std::vector<std::string> rows;
  for (int r = 0; r < table->rowCount(); ++r) {
    QTableWidgetItem* label = table->item(r, 0);
    QTableWidgetItem* value = table->item(r, 1);
    if (!label && !value) {
      rows.push_back(table->columnSpan(r, 0) == 2 ? "--" : "<empty>");
    } else {
      rows.push_back((label ? label->text() : "?").toStdString() + "=" + (value ? value->text() : "?").toStdString());
    }
  }
  return rows;
}

}  // namespace

TEST(FileInfoValues, DictionariesRatiosAndUnits) {
  EXPECT_EQ("No, compulsory", Shown("Flash", "16"));
  EXPECT_EQ("No, compulsory", Shown("Flash", "+16"));
  EXPECT_EQ("No flash function", Shown("Flash", "32"));
  EXPECT_EQ("<none>", Shown("Flash", "48"));
  EXPECT_EQ("<none>", Shown("Flash", " 16"));
  EXPECT_EQ("<none>", Shown("Flash", "16.0"));
  EXPECT_EQ("<none>", Shown("Orientation", "0"));
  EXPECT_EQ("Uncalibrated", Shown("ColorSpace", "65535"));
  EXPECT_EQ("Hard", Shown("Contrast", "2"));
  EXPECT_EQ("Hard", Shown("Sharpness", "2"));
  EXPECT_EQ("High", Shown("Saturation", "2"));

  EXPECT_EQ("50 mm", Shown("FocalLength", "50/1"));
  EXPECT_EQ("72", Shown("XResolution", "144/2"));
  EXPECT_EQ("300", Shown("YResolution", "300"));
  EXPECT_EQ("1/125 s", Shown("ExposureTime", "1/125"));
  EXPECT_EQ("<none>", Shown("ExposureTime", "0/0"));
  EXPECT_EQ("<none>", Shown("FNumber", "f/2.8"));
  EXPECT_EQ("2.8", Shown("FNumber", "14/5"));
  EXPECT_EQ("0.95", Shown("FNumber", "95/100"));
  EXPECT_EQ("22", Shown("FNumber", "22/1"));
  EXPECT_EQ("inch", Shown("ResolutionUnit", "2"));
  EXPECT_EQ("0/1", Shown("DigitalZoomRatio", "0/1"));
  EXPECT_EQ("<none>", Shown("fileLastAccessTime", "2024:01:01 00:00:00"));
}

TEST(FileInfoTable, WithoutMainGroupTheFirstSectionHasNoHeaderAndNoRowIsEmpty) {
  DefaultLocale c(QLocale::c());
  Property info(IImageMetadata::IMAGE_METADATA);
  info.Add(Group(IImageMetadata::BASE_INFO_FILE_TIME, {{IFormatFile::TAG_FILE_CREATE_TIME, "2024:01:02 03:04:05"},
                                                       {IFormatFile::TAG_FILE_MODIFY_TIME, "2024:01:03 03:04:05"},
                                                       {IFormatFile::TAG_FILE_LAST_ACCESS_TIME, "2024:06:01 00:00:00"}}));
  // Orientation 9 converts to nothing; the second entry of the tag is shown instead.
  info.Add(Group(IImageMetadata::EXIF, {{"Make", "Maker"},
                                        {"Orientation", "9"},
                                        {"DateTimeOriginal", "2023:12:24 18:00:00"},
                                        {"Orientation", "8"},
                                        {IFormatFile::TAG_FILE_CREATE_TIME, "1999:01:01 00:00:00"}}));
  FileInfo dialog(info, nullptr);
  const std::vector<std::string> expected = {"Date created=2 Jan 2024 03:04:05", "Date modified=3 Jan 2024 03:04:05",
                                             "Date taken=24 Dec 2023 18:00:00",  "--",
                                             "Camera maker=Maker",               "--",
                                             "Orientation=Rotated 90 degrees"};
  EXPECT_EQ(expected, Rows(dialog));
  EXPECT_EQ(" File Info", dialog.windowTitle());
}

TEST(FileInfoTable, DatesLabelsAndNumbersFollowTheLanguage) {
  DefaultLocale german(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ("09.12.2026 15:30", Shown("DateTimeOriginal", "2026:12:09 15:30:48"));
  EXPECT_EQ("2,8", Shown("FNumber", "14/5"));
  EXPECT_EQ("not a date", Shown("DateTimeOriginal", "not a date"));
  Property info(IImageMetadata::IMAGE_METADATA);
  Property main(IImageMetadata::BASE_INFO_MAIN);
  Property size = Entry(IFormatFile::TAG_FORMAT_FILE_SIZE, "120000");
  size.SetChildT(IImageMetadata::VALUE, 120000LL);
  main.Add(size);
  info.Add(main);
  info.Add(Group(IImageMetadata::EXIF, {{"ResolutionUnit", "3"}}));
  FileInfo dialog(info, nullptr);
  const std::vector<std::string> rows = Rows(dialog);
  ASSERT_EQ(6u, rows.size());
  EXPECT_EQ("File Size=117,2 kB", rows[1]);
  EXPECT_EQ("Resolution unit=cm", rows[5]);
}

TEST(FileInfoTable, WrongInputNameThrowsBeforeAnyRow) {
  Property info("notMetadata");
  info.Add(Group(IImageMetadata::EXIF, {{"Make", "Maker"}}));
  try {
    FileInfo dialog(info, nullptr);
    FAIL() << "no exception";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ("Incorrect file information.", e.what());
  }

  FileInfo empty(Property(IImageMetadata::IMAGE_METADATA), nullptr);
  EXPECT_EQ(0, empty.findChild<QTableWidget*>("tableWidget")->rowCount());
}

TEST(FileInfoTable, MainRowsShowNaForMissingFacts) {
  Property info(IImageMetadata::IMAGE_METADATA);
  Property main(IImageMetadata::BASE_INFO_MAIN);
  main.Add(Entry(IFormatFile::TAG_FILENAME, "a.png"));
  Property width = Entry(Zentor::Conf::IFormatCodecVideo::TAG_WIDTH, "640");
  width.SetChildT(IImageMetadata::VALUE, 640LL);
  main.Add(width);
  info.Add(main);
  FileInfo dialog(info, [](const std::string&, const std::string&) { return std::string(); });
  const std::vector<std::string> expected = {"Location=n/a", "File Size=n/a", "Dimensions=n/a",
                                             "Format=Format unknown"};
  EXPECT_EQ(expected, Rows(dialog));
  EXPECT_EQ("a.png File Info", dialog.windowTitle());
}

TEST(FileInfoTable, RealPhotoShowsCameraDatesAndSize) {
  DefaultLocale c(QLocale::c());
  TestSupport::TempFolder folder("fileinfo");
  const std::string path = folder.File("photo.jpg");
  Zentor::Proc::DataVideoPtr frame = Zentor::Proc::DataVideoFF::Create(AV_PIX_FMT_BGR24, 64, 48);
  TestSupport::WriteEncoded(path, frame, TestSupport::CodecPreset(Zentor::Conf::IFormatCodecVideo::CODEC_ID_MJPEG));

  // The camera's EXIF, written by the engine's own metadata writer.
  Property settings(IImageMetadata::SAVE_SETTINGS);
  settings.SetChildT(IFormatFile::TAG_FILENAME, path);
  Property& replace = settings.SetChild(IImageMetadata::REPLACE_SETTINGS);
  replace.SetChildT("Exif.Image.Make", std::string("Glimra Test"));
  replace.SetChildT("Exif.Image.Model", std::string("Model 7"));
  replace.SetChildT("Exif.Photo.DateTimeOriginal", std::string("2024:05:17 10:20:30"));
  replace.SetChildT("Exif.Photo.FocalLength", std::string("50/1"));
  replace.SetChildT("Exif.Photo.Flash", std::string("16"));
  Zentor::Proc::ImageMetadata::Create(path, nullptr)->Write(settings, nullptr);

  TestSupport::StatisticsHandler statistics;
  auto engine = Zentor::Glimra::IGlimraCore::Create(
      TestSupport::MakeInitializer(folder.Folder(), path, &statistics));
  ASSERT_TRUE(engine);
  std::string askedCodec, askedExtension;
  FileInfo dialog(engine->GetMetadata(), [&](const std::string& codecId, const std::string& extension) {
    askedCodec = codecId;
    askedExtension = extension;
    return std::string("JPEG picture");
  });

  const std::vector<std::string> rows = Rows(dialog);
  auto has = [&rows](const std::string& row) { return std::find(rows.begin(), rows.end(), row) != rows.end(); };
  ASSERT_GE(rows.size(), 4u);
  EXPECT_EQ("Location=" + folder.Folder().substr(0, folder.Folder().size() - 1), rows[0]);
  EXPECT_EQ(0u, rows[1].find("File Size=")) << rows[1];
  EXPECT_EQ(std::string::npos, rows[1].find("n/a"));
  EXPECT_EQ("Dimensions=64 \u00D7 48 pixels", rows[2]);
  EXPECT_EQ("Format=JPEG picture", rows[3]);
  EXPECT_EQ(Zentor::Conf::IFormatCodecVideo::CODEC_ID_MJPEG, askedCodec);
  EXPECT_EQ("jpg", askedExtension);
  EXPECT_TRUE(has("Date taken=17 May 2024 10:20:30"));
  EXPECT_TRUE(has("Camera maker=Glimra Test"));
  EXPECT_TRUE(has("Camera model=Model 7"));
  EXPECT_TRUE(has("Focal length=50 mm"));
  EXPECT_TRUE(has("Flash mode=No, compulsory"));
  EXPECT_EQ(0, std::count(rows.begin(), rows.end(), "<empty>"));
  EXPECT_EQ("photo.jpg File Info", dialog.windowTitle());

  // A file named relative to the working folder is shown in its folder's whole path.
  const QString working = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(folder.Folder())));
  FileInfo relative(Zentor::Proc::ImageMetadata::Create("photo.jpg", nullptr)->GetMetadata(), nullptr);
  QDir::setCurrent(working);
  EXPECT_EQ(rows[0], Rows(relative).at(0));
}
