// Image metadata: EXIF, IPTC, XMP, comment and thumbnail of an image file, plus its file information.
#pragma once

#include "Core/Interfaces/Property.h"
#include "Platform/Formats/IFormatCodec.h"
#include "Platform/Pipeline/Blob.h"

#include <string>

namespace Zentor {
namespace Proc {

// The tree (GetMetadata) is a group named IMAGE_METADATA with
//   BASE_INFO_MAIN       entries for the file name, extension, folder, width, height, codec id, file size;
//   BASE_INFO_FILE_TIME  entries for the file's creation, modification and last access times;
//   EXIF                 one entry per EXIF value, named by its key ("Exif.Image.Orientation");
//   IPTC                 one entry per IPTC value, named by its key;
//   XMP_PACKET, COMMENT  the XMP packet and the comment, as text;
//   THUMBNAIL            the EXIF thumbnail (JPEG), base64 text;
//   ICC_PROFILE          the embedded colour profile, base64 text.
// Entries carry TAG_NAME (the tag's name), TEXT_VALUE (the value as text), and VALUE (64-bit integer,
// numeric file information) or TYPE_ID (the EXIF/IPTC type code). Everything is read when the object is
// made: the tree alone lets a restored object write the same metadata.
class ZENTOR_API IImageMetadata : public virtual IRefCountable {
 public:
  // Tree names.
  static const char* const IMAGE_METADATA;
  static const char* const BASE_INFO_MAIN;
  static const char* const BASE_INFO_FILE_TIME;
  static const char* const EXIF;
  static const char* const IPTC;
  static const char* const XMP_PACKET;
  static const char* const COMMENT;
  static const char* const THUMBNAIL;
  static const char* const ICC_PROFILE;
  static const char* const TAG_NAME;
  static const char* const TEXT_VALUE;
  static const char* const VALUE;
  static const char* const TYPE_ID;

  // Lookup keys: GetKey(family, group, tag) is "family.group.tag".
  static const char* const FAMILY_EXIF;
  static const char* const FAMILY_IPTC;
  static const char* const FAMILY_XMP;
  static const char* const GROUP_IMAGE;
  static const char* const GROUP_PHOTO;
  static const char* const TAG_ORIENTATION;
  static const char* const TAG_XRESOLUTION;
  static const char* const TAG_YRESOLUTION;
  static const char* const TAG_RESOLUTION_UOM;
  static const char* const TAG_COMPRESSION;
  static const char* const VAL_ORIENTATION_NORMAL;  // "1"
  static const char* const VAL_RESOLUTION_UOM_PPI;  // "2" (inches)

  // Save settings: the group name and its flags (bools; absent counts as true).
  static const char* const SAVE_SETTINGS;
  static const char* const SAVE_EXIF;
  static const char* const SAVE_IPTC;
  static const char* const SAVE_COMMENT;
  static const char* const SAVE_XMP;
  static const char* const SAVE_THUMBNAIL;
  static const char* const UPDATE_THUMBNAIL;
  // Group of values to overwrite when writing: children named by key, string values.
  static const char* const REPLACE_SETTINGS;

  ~IImageMetadata() override;

  static std::string GetKey(const std::string& family, const std::string& group, const std::string& tag);

  // The entry of the key: a group named by the key holding TEXT_VALUE; a typeless Property when absent.
  virtual Core::Property GetTag(const std::string& family, const std::string& group, const std::string& tag) const = 0;
  virtual const Core::Property& GetMetadata() const = 0;
  // The thumbnail's JPEG bytes, or null.
  virtual BlobPtr GetThumbnail() const = 0;
  // Writes the metadata into the file named by settings' IFormatFile::TAG_FILENAME, as the flags and
  // REPLACE_SETTINGS say; thumbnail (JPEG bytes) becomes the EXIF thumbnail, null writes none.
  // Formats whose metadata cannot be written are left untouched. Raises Core::FileException on failure.
  virtual void Write(const Core::Property& settings, const BlobPtr& thumbnail) const = 0;
};

using ImageMetadataPtr = boost::intrusive_ptr<IImageMetadata>;

class ZENTOR_API ImageMetadata {
 public:
  // Reads the file's metadata; a missing or unreadable file gives an object with an empty IMAGE_METADATA tree.
  // codec (may be null) gives the picture's codec id, width and height.
  static ImageMetadataPtr Create(const std::string& path, const Conf::FormatCodecVideoPtr& codec);
  // An object over a stored tree: the metadata tree itself or a tree holding it as a child (a session
  // file's root); null when there is none.
  static ImageMetadataPtr Create(const Core::Property& tree);
};

}  // namespace Proc
}  // namespace Zentor
