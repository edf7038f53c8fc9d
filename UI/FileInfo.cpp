#include "UI/FileInfo.h"

#include "Core/Interfaces/Exception.h"
#include "Platform/Bedrock/Ratio.h"
#include "Platform/Formats/IFormatCodec.h"
#include "Platform/ImageTags/ImageMetadata.h"
#include "ui_FileInfo.h"

#include <QDateTime>
#include <QEvent>
#include <QHeaderView>
#include <QLocale>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTableWidget>

#include <boost/lexical_cast.hpp>
#include <boost/rational.hpp>

#include <stdexcept>

namespace Zentor {
namespace Glimra {

namespace {

using Proc::IImageMetadata;

// EXIF tag names as the metadata reader gives them, and the dictionary shared by two tags.
const std::string Make = "Make";
const std::string Model = "Model";
const std::string FNumber = "FNumber";
const std::string ISOSpeedRatings = "ISOSpeedRatings";
const std::string ExposureTime = "ExposureTime";
const std::string Flash = "Flash";
const std::string FocalLength = "FocalLength";
const std::string FocalLengthIn35mmFilm = "FocalLengthIn35mmFilm";
const std::string Orientation = "Orientation";
const std::string ColorSpace = "ColorSpace";
const std::string XResolution = "XResolution";
const std::string YResolution = "YResolution";
const std::string ResolutionUnit = "ResolutionUnit";
const std::string Contrast = "Contrast";
const std::string Saturation = "Saturation";
const std::string Sharpness = "Sharpness";
const std::string ExposureMode = "ExposureMode";
const std::string WhiteBalance = "WhiteBalance";
const std::string DigitalZoomRatio = "DigitalZoomRatio";
const std::string LightSource = "LightSource";
const std::string SceneCaptureType = "SceneCaptureType";
const std::string SubjectDistanceRange = "SubjectDistanceRange";
const std::string DateTimeOriginal = "DateTimeOriginal";
const std::string NormalSoftHard = "NormalSoftHard";

std::string Utf8(const QString& text) { return text.toStdString(); }

// Entries come from files of any origin: a missing or mistyped child reads as empty.
std::string TextOf(const Core::Property& entry, const char* key) {
  if (entry.GetType() != PT_GROUP || !entry.ChildExists(key)) return std::string();
  try {
    return Core::GetValue<std::string>(entry[key]);
  } catch (const std::exception&) {
    return std::string();
  }
}

long long NumberOf(const Core::Property& entry, const char* key) {
  if (entry.GetType() != PT_GROUP || !entry.ChildExists(key)) return 0;
  try {
    return Core::GetValue<long long>(entry[key]);
  } catch (const std::exception&) {
    return 0;
  }
}

const Core::Property* FindGroup(const Core::Property& info, const std::string& group) {
  if (info.GetType() != PT_GROUP) return nullptr;
  auto it = info.FindChild(group);
  if (it == info.end() || it->GetType() != PT_GROUP) return nullptr;
  return &*it;
}

using Converters = std::vector<FileInfo::ItemLoc::ConverterPtr>;
using Concat = FileInfo::ItemLoc::ValueConverterConcat;
using Reduce = FileInfo::ItemLoc::ValueConverterReduce;
using Replace = FileInfo::ItemLoc::ValueConverterReplace;
using Decimal = FileInfo::ItemLoc::ValueConverterDecimal;
using Date = FileInfo::ItemLoc::ValueConverterDate;

FileInfo::ItemLoc Item(int section, const QString& label, Converters converters = {}) {
  FileInfo::ItemLoc item;
  item.section = section;
  item.label = label;
  item.converters = std::move(converters);
  return item;
}

// A code listed twice keeps its first text (std::map::insert keeps the first).
std::map<int, QString> Dictionary(std::initializer_list<std::pair<int, QString>> pairs) {
  std::map<int, QString> dictionary;
  for (const auto& pair : pairs) dictionary.insert(pair);
  return dictionary;
}

}  // namespace

QString FileInfo::Location;
QString FileInfo::FileSize;
QString FileInfo::Dimensions;
QString FileInfo::Format;
QString FileInfo::FormatUnknown;
QString FileInfo::MM;
QString FileInfo::S;
QString FileInfo::NA;
std::map<std::string, FileInfo::ItemLoc> FileInfo::s_itemLocList;
std::map<std::string, std::map<int, QString>> FileInfo::ItemLoc::ValueConverterReplace::s_replaceMap;

FileInfo::FileInfo(const Core::Property& info, const DecoderNameFunction& decoderName, QWidget* parent,
                   Qt::WindowFlags flags)
    : QDialog(parent, flags), ui(new ::Ui::FileInfo) {
  ui->setupUi(this);
  QTableWidget* table = ui->tableWidget;
  table->setColumnCount(2);

  InitStrings();
  InitItemLocList();
  ItemLoc::ValueConverterReplace::InitDictionary();

  InfoDataType data;
  std::string fileName;
  FoundTagsType foundTags;
  table->setRowCount(ParseFileInfoProperty(info, decoderName, data, fileName, foundTags));

  table->verticalHeader()->hide();
  table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  table->horizontalHeader()->hide();
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);

  std::set<int> sectionRows;
  FillTable(table, data, sectionRows);
  table->setShowGrid(false);
  table->setItemDelegate(new CustomDelegate(table, sectionRows));

  setWindowTitle(QObject::tr("%1 File Info").arg(QString::fromStdString(fileName)));
  connect(ui->okButton, &QToolButton::clicked, this, &QDialog::accept);

  ensurePolished();
  adjustSize();
  setMinimumSize(width(), height());
}

FileInfo::~FileInfo() = default;

void FileInfo::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::LanguageChange) ui->retranslateUi(this);
}

int FileInfo::ParseFileInfoProperty(const Core::Property& info, const DecoderNameFunction& decoderName,
                                    InfoDataType& data, std::string& fileName, FoundTagsType& foundTags) {
  if (info.GetName() != IImageMetadata::IMAGE_METADATA) {
    ZENTOR_THROW(boost::enable_error_info(std::invalid_argument("Incorrect file information.")));
  }
  ParseFileInfoPropertyTagMain(info, IImageMetadata::BASE_INFO_MAIN, decoderName, data, fileName);
  // File times first: a tag in both groups shows its file-time entry.
  ParseFileInfoPropertyTag(info, IImageMetadata::BASE_INFO_FILE_TIME, data, foundTags);
  ParseFileInfoPropertyTag(info, IImageMetadata::EXIF, data, foundTags);

  // The rows FillTable lays out: the first section has no header row.
  int rows = 0;
  for (const auto& section : data) rows += static_cast<int>(section.second.size());
  if (!data.empty()) rows += static_cast<int>(data.size()) - 1;
  return rows;
}

int FileInfo::ParseFileInfoPropertyTagMain(const Core::Property& info, const std::string& group,
                                           const DecoderNameFunction& decoderName, InfoDataType& data,
                                           std::string& fileName) {
  const Core::Property* entries = FindGroup(info, group);
  if (!entries) return 0;

  std::string extension, path, codecId;
  long long width = 0, height = 0, size = 0;
  for (size_t i = 0; i < entries->Count(); ++i) {
    const Core::Property& entry = (*entries)[i];
    const std::string name = TextOf(entry, IImageMetadata::TAG_NAME);
    if (name == Conf::IFormatFile::TAG_FILENAME) {
      fileName = TextOf(entry, IImageMetadata::TEXT_VALUE);
    } else if (name == Conf::IFormatFile::TAG_FILE_EXTENSION) {
      extension = TextOf(entry, IImageMetadata::TEXT_VALUE);
    } else if (name == Conf::IFormatFile::TAG_FILE_PATH) {
      path = TextOf(entry, IImageMetadata::TEXT_VALUE);
    } else if (name == Conf::IFormatCodecVideo::TAG_WIDTH) {
      width = NumberOf(entry, IImageMetadata::VALUE);
    } else if (name == Conf::IFormatCodecVideo::TAG_HEIGHT) {
      height = NumberOf(entry, IImageMetadata::VALUE);
    } else if (name == Conf::IFormatCodec::TAG_CODEC_ID) {
      codecId = TextOf(entry, IImageMetadata::TEXT_VALUE);
    } else if (name == Conf::IFormatFile::TAG_FORMAT_FILE_SIZE) {
      size = NumberOf(entry, IImageMetadata::VALUE);
    }
  }

  InfoRows& rows = data[0];
  const std::string na = Utf8(NA);
  rows.emplace_back(Location, path.empty() ? na : path);
  rows.emplace_back(FileSize, size != 0 ? Utf8(QLocale().formattedDataSize(static_cast<qint64>(size), 1,
                                                                             QLocale::DataSizeTraditionalFormat))
                                        : na);
  if (width != 0 && height != 0) {
    rows.emplace_back(Dimensions, std::to_string(width) + " \u00D7 " + std::to_string(height) + " " +
                                      Utf8(QObject::tr("pixels")));
  } else {
    rows.emplace_back(Dimensions, na);
  }
  const std::string decoder = decoderName ? decoderName(codecId, extension) : std::string();
  rows.emplace_back(Format, decoder.empty() ? Utf8(FormatUnknown) : decoder);
  return static_cast<int>(rows.size());
}

int FileInfo::ParseFileInfoPropertyTag(const Core::Property& info, const std::string& group, InfoDataType& data,
                                       FoundTagsType& foundTags) {
  const Core::Property* entries = FindGroup(info, group);
  if (!entries) return 0;

  int added = 0;
  for (size_t i = 0; i < entries->Count(); ++i) {
    const Core::Property& entry = (*entries)[i];
    const std::string name = TextOf(entry, IImageMetadata::TAG_NAME);
    auto item = s_itemLocList.find(name);
    if (item == s_itemLocList.end()) continue;
    const std::string value = item->second.GetValue(TextOf(entry, IImageMetadata::TEXT_VALUE));
    if (value.empty()) continue;
    if (!foundTags.insert(name).second) continue;
    if (data.find(item->second.section) == data.end()) ++added;
    data[item->second.section].emplace_back(item->second.label, value);
    ++added;
  }
  return added;
}

void FileInfo::FillTable(QTableWidget* table, const InfoDataType& data, std::set<int>& sectionRows) {
  if (data.empty()) return;
  int row = 0;
  auto section = data.begin();
  FillTable(table, row, section->second);
  for (++section; section != data.end(); ++section) {
    sectionRows.insert(row);
    table->setSpan(row, 0, 1, 2);
    ++row;
    FillTable(table, row, section->second);
  }
}

void FileInfo::FillTable(QTableWidget* table, int& row, const InfoRows& rows) {
  for (const auto& entry : rows) {
    table->setItem(row, 0, new QTableWidgetItem(entry.first));
    table->setItem(row, 1, new QTableWidgetItem(QString::fromStdString(entry.second)));
    ++row;
  }
}

std::string FileInfo::ItemLoc::GetValue(const std::string& value) const {
  std::string result = value;
  for (const auto& converter : converters) {
    if (!converter->GetValue(result)) return std::string();
  }
  return result;
}

FileInfo::ItemLoc::ConverterPtr FileInfo::ItemLoc::ValueConverterConcat::Create(const std::string& suffix) {
  return ConverterPtr(new ValueConverterConcat(suffix));
}

bool FileInfo::ItemLoc::ValueConverterConcat::GetValue(std::string& value) const {
  value += suffix;
  return true;
}

FileInfo::ItemLoc::ConverterPtr FileInfo::ItemLoc::ValueConverterReduce::Create() {
  return ConverterPtr(new ValueConverterReduce);
}

bool FileInfo::ItemLoc::ValueConverterReduce::GetValue(std::string& value) const {
  boost::rational<long long> ratio(0, 1);
  try {
    // A zero denominator ("0/0", common in EXIF) does not parse.
    if (!Core::RatioFromString(value, ratio)) return false;
  } catch (const std::exception&) {
    return false;
  }
  value = ratio.denominator() == 1 ? std::to_string(ratio.numerator()) : Core::StringFromRatio(ratio);
  return true;
}

FileInfo::ItemLoc::ConverterPtr FileInfo::ItemLoc::ValueConverterDecimal::Create() {
  return ConverterPtr(new ValueConverterDecimal);
}

bool FileInfo::ItemLoc::ValueConverterDecimal::GetValue(std::string& value) const {
  boost::rational<long long> ratio(0, 1);
  try {
    if (!Core::RatioFromString(value, ratio)) return false;
  } catch (const std::exception&) {
    return false;
  }
  // Three significant digits hold every f-number a lens is marked with (0.95, 2.8, 22).
  value = Utf8(QLocale().toString(boost::rational_cast<double>(ratio), 'g', 3));
  return true;
}

FileInfo::ItemLoc::ConverterPtr FileInfo::ItemLoc::ValueConverterDate::Create() {
  return ConverterPtr(new ValueConverterDate);
}

bool FileInfo::ItemLoc::ValueConverterDate::GetValue(std::string& value) const {
  const QDateTime time = QDateTime::fromString(QString::fromStdString(value), QStringLiteral("yyyy:MM:dd HH:mm:ss"));
  if (!time.isValid()) return true;
  const QLocale locale;
  QString format = locale.dateFormat(QLocale::ShortFormat);
  if (!format.contains(QLatin1String("yyyy"))) format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
  value = Utf8(locale.toString(time, format + QLatin1Char(' ') + locale.timeFormat(QLocale::ShortFormat)));
  return true;
}

FileInfo::ItemLoc::ConverterPtr FileInfo::ItemLoc::ValueConverterReplace::Create(const std::string& dictionary) {
  return ConverterPtr(new ValueConverterReplace(dictionary));
}

bool FileInfo::ItemLoc::ValueConverterReplace::GetValue(std::string& value) const {
  try {
    auto found = s_replaceMap.find(dictionary);
    if (found == s_replaceMap.end()) return false;
    auto text = found->second.find(boost::lexical_cast<int>(value));
    if (text == found->second.end()) return false;
    value = Utf8(text->second);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

void FileInfo::InitStrings() {
  Location = QObject::tr("Location");
  FileSize = QObject::tr("File Size");
  Dimensions = QObject::tr("Dimensions");
  Format = QObject::tr("Format");
  FormatUnknown = QObject::tr("Format unknown");
  MM = QObject::tr(" mm");
  S = QObject::tr(" s");
  NA = QObject::tr("n/a");
}

void FileInfo::InitItemLocList() {
  const std::string mm = Utf8(MM);
  const std::string s = Utf8(S);
  s_itemLocList = {
      {Conf::IFormatFile::TAG_FILE_CREATE_TIME, Item(10, QObject::tr("Date created"), {Date::Create()})},
      {Conf::IFormatFile::TAG_FILE_MODIFY_TIME, Item(10, QObject::tr("Date modified"), {Date::Create()})},
      // The capture time, not the file's last access.
      {DateTimeOriginal, Item(10, QObject::tr("Date taken"), {Date::Create()})},
      {Make, Item(30, QObject::tr("Camera maker"))},
      {Model, Item(30, QObject::tr("Camera model"))},
      {FNumber, Item(30, QObject::tr("F number"), {Decimal::Create()})},
      {ISOSpeedRatings, Item(30, QObject::tr("ISO"))},
      {ExposureTime, Item(30, QObject::tr("Exposure time"), {Reduce::Create(), Concat::Create(s)})},
      {Flash, Item(30, QObject::tr("Flash mode"), {Replace::Create(Flash)})},
      {FocalLength, Item(30, QObject::tr("Focal length"), {Reduce::Create(), Concat::Create(mm)})},
      {FocalLengthIn35mmFilm, Item(30, QObject::tr("Focal length in 35mm"), {Reduce::Create(), Concat::Create(mm)})},
      {LightSource, Item(30, QObject::tr("Light source"), {Replace::Create(LightSource)})},
      {SceneCaptureType, Item(30, QObject::tr("Scene capture"), {Replace::Create(SceneCaptureType)})},
      {SubjectDistanceRange, Item(30, QObject::tr("Subject distance range"), {Replace::Create(SubjectDistanceRange)})},
      {Orientation, Item(40, QObject::tr("Orientation"), {Replace::Create(Orientation)})},
      {ColorSpace, Item(40, QObject::tr("Color space"), {Replace::Create(ColorSpace)})},
      {ResolutionUnit, Item(40, QObject::tr("Resolution unit"), {Replace::Create(ResolutionUnit)})},
      {XResolution, Item(40, QObject::tr("X resolution"), {Reduce::Create()})},
      {YResolution, Item(40, QObject::tr("Y resolution"), {Reduce::Create()})},
      {Contrast, Item(40, QObject::tr("Contrast"), {Replace::Create(NormalSoftHard)})},
      {Saturation, Item(40, QObject::tr("Saturation"), {Replace::Create(Saturation)})},
      {Sharpness, Item(40, QObject::tr("Sharpness"), {Replace::Create(NormalSoftHard)})},
      {ExposureMode, Item(40, QObject::tr("Exposure mode"), {Replace::Create(ExposureMode)})},
      {WhiteBalance, Item(40, QObject::tr("White balance"), {Replace::Create(WhiteBalance)})},
      {DigitalZoomRatio, Item(40, QObject::tr("Digital zoom"))},
  };
}

void FileInfo::ItemLoc::ValueConverterReplace::InitDictionary() {
  s_replaceMap.clear();
  s_replaceMap[Flash] = Dictionary({
      {0, QObject::tr("No flash")},
      {1, QObject::tr("Fired")},
      {5, QObject::tr("Fired, return light not detected")},
      {7, QObject::tr("Fired, return light detected")},
      {8, QObject::tr("Yes, did not fire")},
      {9, QObject::tr("Yes, compulsory")},
      {13, QObject::tr("Yes, compulsory, return light not detected")},
      {15, QObject::tr("Yes, compulsory, return light detected")},
      {16, QObject::tr("No, compulsory")},
      {20, QObject::tr("No, did not fire, return light not detected")},
      {24, QObject::tr("No, auto")},
      {25, QObject::tr("Yes, auto")},
      {29, QObject::tr("Yes, auto, return light not detected")},
      {31, QObject::tr("Yes, auto, return light detected")},
      {32, QObject::tr("No flash function")},
      {65, QObject::tr("Yes, red-eye reduction")},
      {69, QObject::tr("Yes, red-eye reduction, return light not detected")},
      {71, QObject::tr("Yes, red-eye reduction, return light detected")},
      {73, QObject::tr("Yes, compulsory, red-eye reduction")},
      {77, QObject::tr("Yes, compulsory, red-eye reduction, return light not detected")},
      {79, QObject::tr("Yes, compulsory, red-eye reduction, return light detected")},
      {80, QObject::tr("No, red-eye reduction")},
      {88, QObject::tr("No, auto, red-eye reduction")},
      {89, QObject::tr("Yes, auto, red-eye reduction")},
      {93, QObject::tr("Yes, auto, red-eye reduction, return light not detected")},
      {95, QObject::tr("Yes, auto, red-eye reduction, return light detected")},
  });
  s_replaceMap[Orientation] = Dictionary({
      {1, QObject::tr("Normal")},
      {2, QObject::tr("Flipped horizontally")},
      {3, QObject::tr("Rotated 180 degrees")},
      {4, QObject::tr("Flipped vertically")},
      {5, QObject::tr("Flipped vertically and rotated 90 degrees")},
      {6, QObject::tr("Rotated 270 degrees")},
      {7, QObject::tr("Flipped vertically and rotated 270 degrees")},
      {8, QObject::tr("Rotated 90 degrees")},
  });
  s_replaceMap[LightSource] = Dictionary({
      {0, QObject::tr("Unknown")},
      {1, QObject::tr("Daylight")},
      {2, QObject::tr("Fluorescent")},
      {3, QObject::tr("Tungsten (incandescent light)")},
      {4, QObject::tr("Flash")},
      {9, QObject::tr("Fine weather")},
      {10, QObject::tr("Cloudy weather")},
      {11, QObject::tr("Shade")},
      {12, QObject::tr("Daylight fluorescent (D 5700 - 7100K)")},
      {13, QObject::tr("Day white fluorescent (N 4600 - 5400K)")},
      {14, QObject::tr("Cool white fluorescent (W 3900 - 4500K)")},
      {15, QObject::tr("White fluorescent (WW 3200 - 3700K)")},
      {17, QObject::tr("Standard light A")},
      {18, QObject::tr("Standard light B")},
      {19, QObject::tr("Standard light C")},
      {20, QObject::tr("D55")},
      {21, QObject::tr("D65")},
      {22, QObject::tr("D75")},
      {23, QObject::tr("D50")},
      {24, QObject::tr("ISO studio tungsten")},
      {255, QObject::tr("Other light source")},
  });
  s_replaceMap[SceneCaptureType] = Dictionary({
      {0, QObject::tr("Standard")},
      {1, QObject::tr("Landscape")},
      {2, QObject::tr("Portrait")},
      {3, QObject::tr("Night scene")},
  });
  s_replaceMap[SubjectDistanceRange] = Dictionary({
      {0, QObject::tr("Unknown")},
      {1, QObject::tr("Macro")},
      {2, QObject::tr("Close view")},
      {3, QObject::tr("Distant view")},
  });
  s_replaceMap[ColorSpace] = Dictionary({
      {1, QObject::tr("sRGB")},
      {2, QObject::tr("Adobe RGB")},
      {65535, QObject::tr("Uncalibrated")},
  });
  s_replaceMap[NormalSoftHard] = Dictionary({
      {0, QObject::tr("Normal")},
      {1, QObject::tr("Soft")},
      {2, QObject::tr("Hard")},
  });
  s_replaceMap[Saturation] = Dictionary({
      {0, QObject::tr("Normal")},
      {1, QObject::tr("Low")},
      {2, QObject::tr("High")},
  });
  s_replaceMap[ExposureMode] = Dictionary({
      {0, QObject::tr("Auto")},
      {1, QObject::tr("Manual")},
      {2, QObject::tr("Auto bracket")},
  });
  s_replaceMap[WhiteBalance] = Dictionary({
      {0, QObject::tr("Auto")},
      {1, QObject::tr("Manual")},
  });
  s_replaceMap[ResolutionUnit] = Dictionary({
      {1, QObject::tr("none")},
      {2, QObject::tr("inch")},
      {3, QObject::tr("cm")},
  });
}

FileInfo::CustomDelegate::CustomDelegate(QTableView* view, const std::set<int>& sectionRows)
    : QStyledItemDelegate(view), sectionRows(sectionRows) {
  static const QStyleOptionViewItem defaultOption;
  const QColor colour = QColor::fromRgba(
      static_cast<QRgb>(view->style()->styleHint(QStyle::SH_Table_GridLineColor, &defaultOption, view)));
  pen = QPen(QBrush(colour), 0, view->gridStyle(), Qt::SquareCap, Qt::BevelJoin);
}

void FileInfo::CustomDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                     const QModelIndex& index) const {
  QStyledItemDelegate::paint(painter, option, index);
  const QPen saved = painter->pen();
  painter->setPen(pen);
  if (sectionRows.count(index.row())) {
    const QRect& r = option.rect;
    const int x = (r.left() + r.right()) / 2;
    painter->drawLine(x, r.top() + 5, x, r.bottom() - 5);
  }
  painter->setPen(saved);
}

}  // namespace Glimra
}  // namespace Zentor
