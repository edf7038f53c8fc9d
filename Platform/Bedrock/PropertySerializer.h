// Text form of a property tree, in JSON syntax.
//
//   {"format":"ZentorPropertyTree","version":1,"root":NODE}
//   NODE = {"n":name,"t":type code,"v":value,"c":[NODE,...]}
//
// "v" is present for types 1-5 only: bool as true/false, int and long long as integers, double as
// the shortest decimal text that reads back to the same bits (non-finite values as the strings
// "inf", "-inf" and "nan:" followed by the 16 hex digits of the bits), string as a JSON string.
// "c" is present for groups (possibly empty) and for any other node that holds children.
// Strings (names and values) hold any bytes: valid UTF-8 is written as it is, every other byte
// (controls, DEL, bytes of invalid UTF-8) as the escape \u00XX, which this reader takes as that
// single byte. Escapes above \u00ff are refused.
//
// Reading is all or nothing: damaged, truncated or foreign text raises Core::FileException with a
// description, and nesting deeper than MAX_DEPTH is refused (writing such a tree raises too).
#pragma once

#include "Platform/Bedrock/Export.h"
#include "Platform/Bedrock/Property.h"

#include <string>

namespace Zentor {
namespace Core {

class IDataInput;
class IDataOutput;

class ZENTOR_API PropertySerializer {
 public:
  static constexpr int MAX_DEPTH = 1000;
  // Largest text the stream reader accepts.
  static constexpr unsigned long long MAX_SIZE = 512ull << 20;

  // pretty: one node per line, indented by depth; otherwise a single line.
  static void Serialize(const Property& node, IDataOutput& output, bool pretty);
  // withName: node takes the stored root's name too; otherwise it keeps its own name and takes
  // the stored value and children. node is left untouched when reading fails.
  static void Deserialize(Property& node, IDataInput& input, bool withName);

  static std::string SerializeToString(const Property& node, bool pretty = true);
  static Property DeserializeFromString(const std::string& text);
};

}  // namespace Core
}  // namespace Zentor
