#include "Platform/ImageTags/ImageMetadata.h"

#include "Core/Interfaces/Exception.h"
#include "Platform/FileIo/DataFile.h"

#include <glog/logging.h>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>

#include <boost/filesystem.hpp>

#include <fcntl.h>
#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <mutex>
#include <type_traits>

namespace Zentor {
namespace Proc {

const char* const IImageMetadata::IMAGE_METADATA = "imageMetadata";
const char* const IImageMetadata::BASE_INFO_MAIN = "baseInfoMain";
const char* const IImageMetadata::BASE_INFO_FILE_TIME = "baseInfoFileTime";
const char* const IImageMetadata::EXIF = "exif";
const char* const IImageMetadata::IPTC = "iptc";
const char* const IImageMetadata::XMP_PACKET = "xmpPacket";
const char* const IImageMetadata::COMMENT = "comment";
const char* const IImageMetadata::THUMBNAIL = "thumbnail";
const char* const IImageMetadata::ICC_PROFILE = "iccProfile";
const char* const IImageMetadata::TAG_NAME = "tagName";
const char* const IImageMetadata::TEXT_VALUE = "textValue";
const char* const IImageMetadata::VALUE = "value";
const char* const IImageMetadata::TYPE_ID = "typeId";

const char* const IImageMetadata::FAMILY_EXIF = "Exif";
const char* const IImageMetadata::FAMILY_IPTC = "Iptc";
const char* const IImageMetadata::FAMILY_XMP = "Xmp";
const char* const IImageMetadata::GROUP_IMAGE = "Image";
const char* const IImageMetadata::GROUP_PHOTO = "Photo";
const char* const IImageMetadata::TAG_ORIENTATION = "Orientation";
const char* const IImageMetadata::TAG_XRESOLUTION = "XResolution";
const char* const IImageMetadata::TAG_YRESOLUTION = "YResolution";
const char* const IImageMetadata::TAG_RESOLUTION_UOM = "ResolutionUnit";
const char* const IImageMetadata::TAG_COMPRESSION = "Compression";
const char* const IImageMetadata::VAL_ORIENTATION_NORMAL = "1";
const char* const IImageMetadata::VAL_RESOLUTION_UOM_PPI = "2";

const char* const IImageMetadata::SAVE_SETTINGS = "saveSettings";
const char* const IImageMetadata::SAVE_EXIF = "saveExif";
const char* const IImageMetadata::SAVE_IPTC = "saveIptc";
const char* const IImageMetadata::SAVE_COMMENT = "saveComment";
const char* const IImageMetadata::SAVE_XMP = "saveXmp";
const char* const IImageMetadata::SAVE_THUMBNAIL = "saveThumbnail";
const char* const IImageMetadata::UPDATE_THUMBNAIL = "updateThumbnail";
const char* const IImageMetadata::REPLACE_SETTINGS = "replaceSettings";

IImageMetadata::~IImageMetadata() = default;

std::string IImageMetadata::GetKey(const std::string& family, const std::string& group, const std::string& tag) {
  return family + "." + group + "." + tag;
}

namespace {

using Core::Property;

void LogFromExiv2(int level, const char* text) {
  if (level >= Exiv2::LogMsg::error) {
    LOG(WARNING) << "exiv2: " << text;
  } else {
    VLOG(1) << "exiv2: " << text;
  }
}

void InitExiv2() {
  static std::once_flag once;
  std::call_once(once, [] {
    Exiv2::LogMsg::setHandler(&LogFromExiv2);
    Exiv2::XmpParser::initialize();
  });
}

const char BASE64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string Base64Encode(const uint8_t* data, size_t size) {
  std::string out;
  out.reserve((size + 2) / 3 * 4);
  for (size_t i = 0; i < size; i += 3) {
    const uint32_t b = (uint32_t(data[i]) << 16) | (i + 1 < size ? uint32_t(data[i + 1]) << 8 : 0) |
                       (i + 2 < size ? uint32_t(data[i + 2]) : 0);
    out += BASE64[(b >> 18) & 63];
    out += BASE64[(b >> 12) & 63];
    out += i + 1 < size ? BASE64[(b >> 6) & 63] : '=';
    out += i + 2 < size ? BASE64[b & 63] : '=';
  }
  return out;
}

// Decodes base64 text; null for text that is not base64.
BlobPtr Base64Decode(const std::string& text) {
  if (text.empty() || text.size() % 4 != 0) return nullptr;
  auto value = [](char c) -> int {
    if (const char* p = std::strchr(BASE64, c); p && c) return static_cast<int>(p - BASE64);
    return -1;
  };
  size_t size = text.size() / 4 * 3;
  if (text[text.size() - 1] == '=') --size;
  if (text[text.size() - 2] == '=') --size;
  BlobPtr blob = Blob::Create(size);
  size_t o = 0;
  for (size_t i = 0; i < text.size(); i += 4) {
    int v[4];
    for (int k = 0; k < 4; ++k) {
      const char c = text[i + k];
      v[k] = c == '=' && i + 4 == text.size() && k >= 2 ? 0 : value(c);
      if (v[k] < 0) return nullptr;
    }
    const uint32_t b = (uint32_t(v[0]) << 18) | (uint32_t(v[1]) << 12) | (uint32_t(v[2]) << 6) | uint32_t(v[3]);
    if (o < size) blob->Data()[o++] = static_cast<uint8_t>(b >> 16);
    if (o < size) blob->Data()[o++] = static_cast<uint8_t>(b >> 8);
    if (o < size) blob->Data()[o++] = static_cast<uint8_t>(b);
  }
  return blob;
}

Property TextEntry(const std::string& name, const std::string& tagName, const std::string& text) {
  Property entry(name);
  entry.SetChildT(IImageMetadata::TAG_NAME, tagName);
  entry.SetChildT(IImageMetadata::TEXT_VALUE, text);
  return entry;
}

Property NumberEntry(const std::string& name, long long value) {
  Property entry = TextEntry(name, name, std::to_string(value));
  entry.SetChildT(IImageMetadata::VALUE, value);
  return entry;
}

std::string TimeText(time_t t) {
  std::tm local{};
  localtime_r(&t, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y:%m:%d %H:%M:%S", &local);
  return text;
}

// File types whose metadata we read and write: the picture formats we open. exiv2 also parses
// videos and camera raw files, whose parsers a damaged picture must never reach (a 151-byte file
// taken for a QuickTime movie kept its parser busy for good).
bool IsPictureType(int type) {
  namespace T = Exiv2::ImageType;
  return type == T::jpeg || type == T::png || type == T::tiff || type == T::jp2 || type == T::gif ||
         type == T::bmp || type == T::tga;
}

// EXIF tags that describe the pixel layout of the file they came from; never written into another file.
bool IsLayoutTag(const std::string& key) {
  static const char* const keys[] = {
      "Exif.Image.NewSubfileType",   "Exif.Image.SubfileType",       "Exif.Image.ImageWidth",
      "Exif.Image.ImageLength",      "Exif.Image.BitsPerSample",     "Exif.Image.Compression",
      "Exif.Image.PhotometricInterpretation", "Exif.Image.FillOrder", "Exif.Image.StripOffsets",
      "Exif.Image.SamplesPerPixel",  "Exif.Image.RowsPerStrip",      "Exif.Image.StripByteCounts",
      "Exif.Image.PlanarConfiguration", "Exif.Image.Predictor",      "Exif.Image.ColorMap",
      "Exif.Image.TileWidth",        "Exif.Image.TileLength",        "Exif.Image.TileOffsets",
      "Exif.Image.TileByteCounts",   "Exif.Image.SubIFDs",           "Exif.Image.ExtraSamples",
      "Exif.Image.SampleFormat",     "Exif.Image.JPEGTables",        "Exif.Image.JPEGInterchangeFormat",
      "Exif.Image.JPEGInterchangeFormatLength", "Exif.Image.YCbCrSubSampling", "Exif.Image.Thresholding",
      "Exif.Image.CellWidth",        "Exif.Image.CellLength",        "Exif.Image.GrayResponseUnit",
      "Exif.Image.GrayResponseCurve", "Exif.Image.T4Options",        "Exif.Image.T6Options",
      "Exif.Image.ImageResources",   "Exif.Image.XMLPacket",        "Exif.Image.InterColorProfile",
      "Exif.Image.IPTCNAA",          "Exif.Thumbnail.JPEGInterchangeFormat",
      "Exif.Thumbnail.JPEGInterchangeFormatLength", "Exif.Thumbnail.StripOffsets",
      "Exif.Thumbnail.StripByteCounts"};
  for (const char* k : keys) {
    if (key == k) return true;
  }
  return false;
}

constexpr long MAX_VALUE_BYTES = 256 * 1024;

// Tags the EXIF standard gives to compressed (JPEG) pictures only; TIFF readers refuse them.
bool IsJpegOnlyTag(const std::string& key) {
  return key == "Exif.Photo.ComponentsConfiguration" || key == "Exif.Photo.CompressedBitsPerPixel" ||
         key == "Exif.Photo.PixelXDimension" || key == "Exif.Photo.PixelYDimension";
}

bool HasGroup(const Exiv2::ExifData& exif, const char* prefix) {
  const size_t n = std::strlen(prefix);
  return std::any_of(exif.begin(), exif.end(),
                     [&](const Exiv2::Exifdatum& d) { return d.key().compare(0, n, prefix) == 0; });
}

// A resolution of the main picture for the thumbnail's directory, which must carry one too.
Exiv2::URational Resolution(const Exiv2::ExifData& exif, const char* key) {
  auto it = exif.findKey(Exiv2::ExifKey(key));
  if (it != exif.end() && it->count() > 0) {
    const Exiv2::Rational value = it->toRational(0);
    if (value.first > 0 && value.second > 0) return {uint32_t(value.first), uint32_t(value.second)};
  }
  return {72, 1};
}

uint16_t ResolutionUnit(const Exiv2::ExifData& exif) {
  auto it = exif.findKey(Exiv2::ExifKey("Exif.Image.ResolutionUnit"));
  if (it != exif.end() && it->count() > 0) {
    const long unit = it->toLong(0);
    if (unit == 2 || unit == 3) return uint16_t(unit);
  }
  return 2;
}

void PutBe32(std::string& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out += char((value >> shift) & 0xFF);
}

std::string PngChunk(const char* type, const std::string& data) {
  std::string body = type;
  body += data;
  std::string chunk;
  PutBe32(chunk, static_cast<uint32_t>(data.size()));
  chunk += body;
  const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()));
  PutBe32(chunk, static_cast<uint32_t>(crc));
  return chunk;
}

// exiv2 names a PNG colour profile after the one it read, and a new file's has no name, which the
// PNG standard forbids (1 to 79 characters).
std::string PngProfileChunk(const BlobPtr& profile) {
  uLongf packedSize = compressBound(static_cast<uLong>(profile->Size()));
  std::string packed(packedSize, '\0');
  if (compress2(reinterpret_cast<Bytef*>(&packed[0]), &packedSize, profile->Data(), static_cast<uLong>(profile->Size()),
                Z_BEST_COMPRESSION) != Z_OK) {
    ZENTOR_THROW_DESC(Core::FileException, "Cannot compress the colour profile");
  }
  packed.resize(packedSize);
  std::string data = "ICC Profile";
  data += '\0';  // end of the name
  data += '\0';  // compression method: deflate
  return PngChunk("iCCP", data + packed);
}

// exiv2 puts a PNG's EXIF into a text chunk of ImageMagick's own; the PNG standard's place for it
// is an eXIf chunk holding the TIFF structure.
std::string PngExifChunk(const Exiv2::ExifData& exif) {
  Exiv2::Blob blob;
  Exiv2::ExifParser::encode(blob, Exiv2::littleEndian, exif);
  return blob.empty() ? std::string() : PngChunk("eXIf", std::string(blob.begin(), blob.end()));
}

// The chunks go right after the header chunk, before the pixels as the standard places them.
std::string WithPngChunks(const Exiv2::byte* png, size_t size, const std::string& chunks) {
  static const char SIGNATURE[] = "\x89PNG\r\n\x1a\n";
  const size_t headerEnd = 8 + 4 + 4 + 13 + 4;
  if (size < headerEnd || std::memcmp(png, SIGNATURE, 8) != 0 || std::memcmp(png + 12, "IHDR", 4) != 0) {
    ZENTOR_THROW_DESC(Core::FileException, "Not a PNG file");
  }
  std::string out(reinterpret_cast<const char*>(png), headerEnd);
  out += chunks;
  out.append(reinterpret_cast<const char*>(png) + headerEnd, size - headerEnd);
  return out;
}

// Entries of a metadata container: name = key, tag name, text, type code.
template <class Container>
Property Entries(const char* name, const Container& data, bool skipLayout) {
  Property group(name);
  for (const auto& datum : data) {
    const std::string key = datum.key();
    if (skipLayout && key.compare(0, 15, "Exif.Thumbnail.") == 0 && IsLayoutTag(key)) continue;
    // Bulky binary values (embedded profiles, resources) would swell the tree and the session file.
    if (datum.size() > MAX_VALUE_BYTES) {
      VLOG(1) << "Not keeping " << key << ": " << datum.size() << " bytes";
      continue;
    }
    Property entry = TextEntry(key, datum.tagName(), datum.toString());
    entry.SetChildT(IImageMetadata::TYPE_ID, static_cast<long long>(datum.typeId()));
    group.AppendChild(std::move(entry));
  }
  return group;
}

// Rebuilds a container from its entries; entries that do not parse are skipped.
template <class Container, class Key>
Container FromEntries(const Property& tree, const char* name, bool skipLayout) {
  Container data;
  auto group = tree.FindChild(name);
  if (group == tree.end() || group->GetType() != PT_GROUP) return data;
  for (const Property& entry : *group) {
    try {
      if (skipLayout && IsLayoutTag(entry.GetName())) continue;
      if (!entry.ChildExists(IImageMetadata::TEXT_VALUE) || !entry.ChildExists(IImageMetadata::TYPE_ID)) continue;
      // A type code exiv2 does not have comes from a damaged tree: no value is made from it.
      const long long code = Core::GetValue<long long>(entry[IImageMetadata::TYPE_ID]);
      if (code < Exiv2::unsignedByte || code >= Exiv2::invalidTypeId) continue;
      auto type = static_cast<Exiv2::TypeId>(code);
      Key key(entry.GetName());
      // Comment tags are stored as "undefined" bytes but read as text with a character set.
      if constexpr (std::is_same_v<Key, Exiv2::ExifKey>) {
        if (key.defaultTypeId() == Exiv2::comment) type = Exiv2::comment;
      }
      Exiv2::Value::AutoPtr value = Exiv2::Value::create(type);
      if (value->read(Core::GetValue<std::string>(entry[IImageMetadata::TEXT_VALUE])) != 0) continue;
      data.add(key, value.get());
    } catch (const std::exception& e) {
      VLOG(1) << "Skipping metadata entry " << entry.GetName() << ": " << e.what();
    }
  }
  return data;
}

bool Flag(const Property& settings, const char* name) {
  if (settings.GetType() != PT_GROUP || !settings.ChildExists(name)) return true;
  try {
    return Core::GetValue<bool>(settings[name]);
  } catch (const Zentor::Exception&) {
    return true;
  }
}

std::string TextChild(const Property& tree, const char* name) {
  auto it = tree.FindChild(name);
  if (it == tree.end() || it->GetType() != PT_STRING) return std::string();
  return it->GetString();
}

class ImageMetadataImpl : public RefCounted<IImageMetadata> {
 public:
  explicit ImageMetadataImpl(Property tree) : tree_(std::move(tree)) {
    const std::string thumb = TextChild(tree_, THUMBNAIL);
    if (!thumb.empty()) thumbnail_ = Base64Decode(thumb);
  }

  Property GetTag(const std::string& family, const std::string& group, const std::string& tag) const override {
    const char* list = family == FAMILY_EXIF ? EXIF : family == FAMILY_IPTC ? IPTC : nullptr;
    if (!list) return Property();
    auto entries = tree_.FindChild(list);
    if (entries == tree_.end()) return Property();
    auto entry = entries->FindChild(GetKey(family, group, tag));
    if (entry == entries->end()) return Property();
    return *entry;
  }

  const Property& GetMetadata() const override { return tree_; }

  BlobPtr GetThumbnail() const override { return thumbnail_; }

  void Write(const Property& settings, const BlobPtr& thumbnail) const override {
    InitExiv2();
    std::string path;
    if (settings.GetType() == PT_GROUP && settings.ChildExists(Conf::IFormatFile::TAG_FILENAME)) {
      path = Core::GetValue<std::string>(settings[Conf::IFormatFile::TAG_FILENAME]);
    }
    if (path.empty()) ZENTOR_THROW_DESC(Core::FileException, "No file to write the metadata into");
    try {
      WriteInto(path, settings, thumbnail);
    } catch (const Zentor::Exception&) {
      throw;
    } catch (const std::exception& e) {
      // exiv2 raises its own errors and, for damaged files, standard ones (length_error, bad_alloc).
      ZENTOR_THROW_DESC(Core::FileException, "Cannot write the metadata of " + path + ": " + e.what());
    }
  }

 private:
  void WriteInto(const std::string& path, const Property& settings, const BlobPtr& thumbnail) const {
    Exiv2::Image::AutoPtr image;
    const int type = Exiv2::ImageFactory::getType(path);
    if (!IsPictureType(type)) {
      VLOG(1) << "No metadata written into " << path << ": format not supported";
      return;
    }
    auto writable = [type](Exiv2::MetadataId id) {
      return (Exiv2::ImageFactory::checkMode(type, id) & Exiv2::amWrite) != 0;
    };
    const bool exifOk = writable(Exiv2::mdExif);
    const bool iptcOk = writable(Exiv2::mdIptc);
    const bool xmpOk = writable(Exiv2::mdXmp);
    const bool commentOk = writable(Exiv2::mdComment);
    if (!exifOk && !iptcOk && !xmpOk && !commentOk) {
      VLOG(1) << "No metadata written into " << path << ": format cannot carry it";
      return;
    }
    // exiv2's own file output drops write and close errors: it rewrites the file in memory and the
    // result goes to disk through a checked, flushed write.
    const std::string original = Core::ReadWholeFile(path);
    image = Exiv2::ImageFactory::open(reinterpret_cast<const Exiv2::byte*>(original.data()),
                                      static_cast<long>(original.size()));
    image->readMetadata();

    Property replace;
    if (settings.GetType() == PT_GROUP) {
      auto it = settings.FindChild(REPLACE_SETTINGS);
      if (it != settings.end() && it->GetType() == PT_GROUP) replace = *it;
    }

    Exiv2::XmpData xmp;
    if (xmpOk && Flag(settings, SAVE_XMP)) {
      const std::string packet = TextChild(tree_, XMP_PACKET);
      if (!packet.empty() && Exiv2::XmpParser::decode(xmp, packet) != 0) xmp.clear();
    }

    // Chunks of a PNG that are written here rather than by exiv2.
    std::string pngChunks;
    if (exifOk) {
      Exiv2::ExifData exif;
      if (Flag(settings, SAVE_EXIF)) {
        exif = FromEntries<Exiv2::ExifData, Exiv2::ExifKey>(tree_, EXIF, true);
        // The written file's own pixel size replaces the stored one; readers require it in an
        // EXIF block, as a JPEG reader requires the chroma position in the main directory.
        const long width = image->pixelWidth();
        const long height = image->pixelHeight();
        if (width > 0 && height > 0 && HasGroup(exif, "Exif.Photo.")) {
          exif["Exif.Photo.PixelXDimension"] = uint32_t(width);
          exif["Exif.Photo.PixelYDimension"] = uint32_t(height);
        }
        if (type == Exiv2::ImageType::jpeg && HasGroup(exif, "Exif.Image.") &&
            exif.findKey(Exiv2::ExifKey("Exif.Image.YCbCrPositioning")) == exif.end()) {
          exif["Exif.Image.YCbCrPositioning"] = uint16_t(1);  // centred, as JPEG places it
        }
        Exiv2::ExifThumb thumb(exif);
        thumb.erase();
        if (type == Exiv2::ImageType::tiff) {
          // No thumbnail: a TIFF's second directory is a page to its readers, and exiv2's thumbnail
          // directory is no readable page. Nor the tags meant for compressed pictures only.
          for (auto it = exif.begin(); it != exif.end();) it = IsJpegOnlyTag(it->key()) ? exif.erase(it) : ++it;
        } else if (thumbnail && thumbnail->Size() > 0) {
          thumb.setJpegThumbnail(thumbnail->Data(), static_cast<long>(thumbnail->Size()),
                                 Resolution(exif, "Exif.Image.XResolution"), Resolution(exif, "Exif.Image.YResolution"),
                                 ResolutionUnit(exif));
        }
        Replace(replace, "Exif.", [&exif](const std::string& key, const std::string& value) {
          exif[key].setValue(value);
        });
      }
      if (type == Exiv2::ImageType::png) {
        if (!exif.empty()) pngChunks += PngExifChunk(exif);
        image->clearExifData();
      } else {
        image->setExifData(exif);
      }
    }
    if (iptcOk) {
      Exiv2::IptcData iptc;
      if (Flag(settings, SAVE_IPTC)) iptc = FromEntries<Exiv2::IptcData, Exiv2::IptcKey>(tree_, IPTC, false);
      // IPTC and XMP values are replaced only in blocks the file already had.
      Replace(replace, "Iptc.", [&iptc](const std::string& key, const std::string& value) {
        if (!iptc.empty()) iptc[key].setValue(value);
      });
      image->setIptcData(iptc);
    }
    if (xmpOk) {
      Replace(replace, "Xmp.", [&xmp](const std::string& key, const std::string& value) {
        if (!xmp.empty()) xmp[key].setValue(value);
      });
      // A turned picture must not be turned again by the XMP copy of the orientation.
      const std::string orientationKey = GetKey(FAMILY_EXIF, GROUP_IMAGE, TAG_ORIENTATION);
      if (replace.GetType() == PT_GROUP && replace.ChildExists(orientationKey)) {
        auto it = xmp.findKey(Exiv2::XmpKey("Xmp.tiff.Orientation"));
        if (it != xmp.end()) it->setValue(Core::GetValue<std::string>(replace[orientationKey]));
      }
      image->setXmpData(xmp);
    }
    if (commentOk) {
      const std::string comment = Flag(settings, SAVE_COMMENT) ? TextChild(tree_, COMMENT) : std::string();
      if (comment.empty()) {
        image->clearComment();
      } else {
        image->setComment(comment);
      }
    }
    // exiv2's table of modes leaves colour profiles out; these are the formats it writes them into.
    if (type == Exiv2::ImageType::png) {
      const std::string profile = TextChild(tree_, ICC_PROFILE);
      const BlobPtr bytes = profile.empty() ? nullptr : Base64Decode(profile);
      if (bytes) pngChunks = PngProfileChunk(bytes) + pngChunks;
      image->clearIccProfile();
    } else if (type == Exiv2::ImageType::jpeg || type == Exiv2::ImageType::tiff) {
      const std::string profile = TextChild(tree_, ICC_PROFILE);
      const BlobPtr bytes = profile.empty() ? nullptr : Base64Decode(profile);
      if (bytes) {
        Exiv2::DataBuf buffer(bytes->Data(), static_cast<long>(bytes->Size()));
        try {
          image->setIccProfile(buffer, true);
        } catch (const std::exception& e) {
          LOG(WARNING) << "Not writing the colour profile into " << path << ": " << e.what();
        }
      } else {
        image->clearIccProfile();
      }
    }
    image->writeMetadata();

    Exiv2::BasicIo& io = image->io();
    const long size = io.size();
    if (size <= 0 || io.open() != 0 || io.seek(0, Exiv2::BasicIo::beg) != 0) {
      ZENTOR_THROW_DESC(Core::FileException, "Cannot write the metadata of " + path);
    }
    const Exiv2::byte* data = io.mmap();
    const std::string png =
        pngChunks.empty() ? std::string() : WithPngChunks(data, static_cast<size_t>(size), pngChunks);
    Core::DataOutputPtr out = Core::DataOutputFile::Create(path, Core::DataOutputFile::TRUNCATE);
    if (!pngChunks.empty()) {
      out->Write(png.data(), png.size());
    } else {
      out->Write(data, static_cast<size_t>(size));
    }
    out->Commit();
    io.munmap();
    io.close();
  }

  template <class Fn>
  static void Replace(const Property& replace, const char* family, Fn set) {
    if (replace.GetType() != PT_GROUP) return;
    const size_t n = std::strlen(family);
    for (const Property& child : replace) {
      if (child.GetName().compare(0, n, family) != 0) continue;
      try {
        set(child.GetName(), Core::GetValue<std::string>(child));
      } catch (const std::exception& e) {
        LOG(WARNING) << "Cannot set " << child.GetName() << ": " << e.what();
      }
    }
  }

  Property tree_;
  BlobPtr thumbnail_;
};

void AddFileInfo(Property& tree, const std::string& path, const Conf::FormatCodecVideoPtr& codec) {
  namespace fs = boost::filesystem;
  const fs::path p(path);
  Property& main = tree.SetChild(IImageMetadata::BASE_INFO_MAIN);
  std::string extension = p.extension().string();
  if (!extension.empty() && extension[0] == '.') extension.erase(0, 1);
  main.AppendChild(TextEntry(Conf::IFormatFile::TAG_FILENAME, Conf::IFormatFile::TAG_FILENAME, p.filename().string()));
  main.AppendChild(TextEntry(Conf::IFormatFile::TAG_FILE_EXTENSION, Conf::IFormatFile::TAG_FILE_EXTENSION, extension));
  // The folder in full: a name relative to the working folder has no folder part of its own.
  boost::system::error_code error;
  const fs::path working = fs::current_path(error);
  const fs::path folder = (error ? p : fs::absolute(p, working)).lexically_normal().parent_path();
  main.AppendChild(TextEntry(Conf::IFormatFile::TAG_FILE_PATH, Conf::IFormatFile::TAG_FILE_PATH, folder.string()));
  if (codec) {
    const Property settings = codec->GetSettings();
    for (const char* key : {Conf::IFormatCodecVideo::TAG_WIDTH, Conf::IFormatCodecVideo::TAG_HEIGHT}) {
      if (settings.GetType() == PT_GROUP && settings.ChildExists(key)) {
        main.AppendChild(NumberEntry(key, Core::GetValue<long long>(settings[key])));
      }
    }
    main.AppendChild(TextEntry(Conf::IFormatCodec::TAG_CODEC_ID, Conf::IFormatCodec::TAG_CODEC_ID, codec->GetCodecId()));
  }

  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    main.AppendChild(NumberEntry(Conf::IFormatFile::TAG_FORMAT_FILE_SIZE, static_cast<long long>(st.st_size)));
    Property& times = tree.SetChild(IImageMetadata::BASE_INFO_FILE_TIME);
#ifdef STATX_BTIME
    struct statx sx {};
    if (::statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME, &sx) == 0 && (sx.stx_mask & STATX_BTIME)) {
      times.AppendChild(TextEntry(Conf::IFormatFile::TAG_FILE_CREATE_TIME, Conf::IFormatFile::TAG_FILE_CREATE_TIME,
                                  TimeText(static_cast<time_t>(sx.stx_btime.tv_sec))));
    }
#endif
    times.AppendChild(TextEntry(Conf::IFormatFile::TAG_FILE_MODIFY_TIME, Conf::IFormatFile::TAG_FILE_MODIFY_TIME,
                                TimeText(st.st_mtime)));
    times.AppendChild(TextEntry(Conf::IFormatFile::TAG_FILE_LAST_ACCESS_TIME,
                                Conf::IFormatFile::TAG_FILE_LAST_ACCESS_TIME, TimeText(st.st_atime)));
  }
}

void AddEmbeddedMetadata(Property& tree, const std::string& path) {
  InitExiv2();
  try {
    if (!IsPictureType(Exiv2::ImageFactory::getType(path))) return;
    Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(path);
    image->readMetadata();
    const Exiv2::ExifData& exif = image->exifData();
    if (!exif.empty()) {
      tree.AppendChild(Entries(IImageMetadata::EXIF, exif, true));
      Exiv2::ExifThumbC thumb(exif);
      if (std::strcmp(thumb.mimeType(), "image/jpeg") == 0) {
        const Exiv2::DataBuf buf = thumb.copy();
        if (buf.size_ > 0) tree.SetChildT(IImageMetadata::THUMBNAIL, Base64Encode(buf.pData_, static_cast<size_t>(buf.size_)));
      }
    }
    if (!image->iptcData().empty()) tree.AppendChild(Entries(IImageMetadata::IPTC, image->iptcData(), false));
    if (!image->xmpPacket().empty()) tree.SetChildT(IImageMetadata::XMP_PACKET, image->xmpPacket());
    if (!image->comment().empty()) tree.SetChildT(IImageMetadata::COMMENT, image->comment());
    if (image->iccProfileDefined()) {
      const Exiv2::DataBuf* profile = image->iccProfile();
      tree.SetChildT(IImageMetadata::ICC_PROFILE,
                     Base64Encode(profile->pData_, static_cast<size_t>(profile->size_)));
    }
  } catch (const std::exception& e) {
    // Unreadable metadata leaves the picture without it.
    LOG(WARNING) << "Cannot read the metadata of " << path << ": " << e.what();
  }
}

}  // namespace

ImageMetadataPtr ImageMetadata::Create(const std::string& path, const Conf::FormatCodecVideoPtr& codec) {
  Property tree(IImageMetadata::IMAGE_METADATA);
  boost::system::error_code error;
  if (boost::filesystem::is_regular_file(path, error)) {
    AddFileInfo(tree, path, codec);
    AddEmbeddedMetadata(tree, path);
  }
  return ImageMetadataPtr(new ImageMetadataImpl(std::move(tree)));
}

ImageMetadataPtr ImageMetadata::Create(const Property& tree) {
  if (tree.GetType() != PT_GROUP) return nullptr;
  if (tree.GetName() == IImageMetadata::IMAGE_METADATA) return ImageMetadataPtr(new ImageMetadataImpl(tree));
  // A tree that holds ours, such as a session file's root.
  auto own = tree.FindChild(IImageMetadata::IMAGE_METADATA);
  if (own == tree.end() || own->GetType() != PT_GROUP) return nullptr;
  return ImageMetadataPtr(new ImageMetadataImpl(*own));
}

}  // namespace Proc
}  // namespace Zentor

#pragma GCC diagnostic pop
