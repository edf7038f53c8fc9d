#include "Platform/Bedrock/PropertySerializer.h"

#include "Core/Interfaces/Exception.h"
#include "Platform/FileIo/DataFile.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>

namespace Zentor {
namespace Core {

namespace {

const char kFormatName[] = "ZentorPropertyTree";
constexpr long long kFormatVersion = 1;
const char kHex[] = "0123456789abcdef";

// ---- writing ------------------------------------------------------------------------------

// Length of the valid UTF-8 sequence starting at s[i], or 0 when the bytes there are not one.
size_t Utf8SequenceLength(const std::string& s, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = byte(i);
  size_t len = 0;
  uint32_t cp = 0;
  if (c >= 0xC2 && c <= 0xDF) {
    len = 2;
    cp = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    len = 3;
    cp = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    len = 4;
    cp = c & 0x07;
  } else {
    return 0;
  }
  if (i + len > s.size()) return 0;
  for (size_t k = 1; k < len; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (byte(i + k) & 0x3F);
  }
  if ((len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
    return 0;
  return len;
}

void WriteString(std::string& out, const std::string& s) {
  out += '"';
  for (size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c >= 0x20 && c < 0x7F) {
      if (c == '"' || c == '\\') out += '\\';
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    if (c >= 0x80) {
      const size_t len = Utf8SequenceLength(s, i);
      if (len > 0) {
        out.append(s, i, len);
        i += len;
        continue;
      }
    }
    switch (c) {
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      default:
        out += "\\u00";
        out += kHex[c >> 4];
        out += kHex[c & 0xF];
    }
    ++i;
  }
  out += '"';
}

void WriteDouble(std::string& out, double d) {
  if (std::isnan(d)) {
    uint64_t bits = 0;
    std::memcpy(&bits, &d, sizeof(bits));
    std::string text = "nan:";
    for (int shift = 60; shift >= 0; shift -= 4) text += kHex[(bits >> shift) & 0xF];
    WriteString(out, text);
  } else if (std::isinf(d)) {
    WriteString(out, d < 0 ? "-inf" : "inf");
  } else {
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof(buf), d);  // shortest exact round trip
    out.append(buf, res.ptr);
  }
}

void WriteNode(std::string& out, const Property& node, int depth, bool pretty) {
  if (depth > PropertySerializer::MAX_DEPTH)
    ZENTOR_THROW(PropertyException() << PropertyException::TagPropertyName(node.GetName())
                                     << PropertyException::TagMethodName("Serialize")
                                     << TagDescription("The property tree is nested deeper than " +
                                                       std::to_string(PropertySerializer::MAX_DEPTH) + " levels."));
  if (pretty) out.append(static_cast<size_t>(depth) * 2, ' ');
  out += "{\"n\":";
  WriteString(out, node.GetName());
  out += ",\"t\":";
  out += std::to_string(static_cast<int>(node.GetType()));
  switch (node.GetType()) {
    case PT_BOOL: out += node.GetBool() ? ",\"v\":true" : ",\"v\":false"; break;
    case PT_INT: out += ",\"v\":" + std::to_string(node.GetInt()); break;
    case PT_INT64: out += ",\"v\":" + std::to_string(node.GetInt64()); break;
    case PT_DOUBLE:
      out += ",\"v\":";
      WriteDouble(out, node.GetDouble());
      break;
    case PT_STRING:
      out += ",\"v\":";
      WriteString(out, node.GetString());
      break;
    default: break;
  }
  if (node.GetType() == PT_GROUP || node.Count() > 0) {
    out += ",\"c\":[";
    bool first = true;
    for (const Property& child : node) {
      if (!first) out += ',';
      first = false;
      if (pretty) out += '\n';
      WriteNode(out, child, depth + 1, pretty);
    }
    if (pretty && node.Count() > 0) {
      out += '\n';
      out.append(static_cast<size_t>(depth) * 2, ' ');
    }
    out += ']';
  }
  out += '}';
}

// ---- reading ------------------------------------------------------------------------------

// A value token kept raw until the node's type code is known.
struct RawValue {
  enum Kind { STRING, NUMBER, TRUE_LITERAL, FALSE_LITERAL } kind = NUMBER;
  std::string text;
  size_t offset = 0;
};

class Reader {
 public:
  explicit Reader(const std::string& text) : text_(text) {}

  Property ReadDocument() {
    bool haveFormat = false, haveVersion = false;
    std::optional<Property> root;
    ReadObject([&](const std::string& key) {
      if (key == "format") {
        const size_t at = pos_;
        if (ReadString() != kFormatName) Fail("this is not a property tree", at);
        haveFormat = true;
      } else if (key == "version") {
        const size_t at = pos_;
        const RawValue v = ReadValueToken();
        long long version = 0;
        if (v.kind != RawValue::NUMBER || !ParseInteger(v.text, version)) Fail("bad version", at);
        if (version != kFormatVersion) Fail("unsupported version " + v.text, at);
        haveVersion = true;
      } else if (key == "root") {
        root.emplace(ReadNode(1));
      } else {
        return false;
      }
      return true;
    });
    if (!haveFormat || !haveVersion || !root) Fail("the header is incomplete", pos_);
    SkipSpace();
    if (pos_ != text_.size()) Fail("unexpected text after the tree", pos_);
    return std::move(*root);
  }

 private:
  [[noreturn]] void Fail(const std::string& what, size_t at) const {
    const std::string where = at >= text_.size() ? "at the end of the data (truncated?)" : "at byte " + std::to_string(at);
    ZENTOR_THROW_DESC(FileException, "The property data is damaged: " + what + " " + where + ".");
  }

  void SkipSpace() {
    while (pos_ < text_.size() &&
           (text_[pos_] == ' ' || text_[pos_] == '\n' || text_[pos_] == '\r' || text_[pos_] == '\t'))
      ++pos_;
  }

  void Expect(char c) {
    SkipSpace();
    if (pos_ >= text_.size() || text_[pos_] != c) Fail(std::string("expected '") + c + "'", pos_);
    ++pos_;
  }

  // Peeks the next non-space character; 0 at the end.
  char Peek() {
    SkipSpace();
    return pos_ < text_.size() ? text_[pos_] : '\0';
  }

  // Reads {"key":value,...}; onKey reads the value of a known key and returns false for an unknown one.
  template <class OnKey>
  void ReadObject(OnKey onKey) {
    Expect('{');
    std::vector<std::string> seen;
    if (Peek() == '}') {
      ++pos_;
      return;
    }
    for (;;) {
      SkipSpace();
      const size_t at = pos_;
      std::string key = ReadString();
      for (const auto& k : seen)
        if (k == key) Fail("repeated key \"" + key + "\"", at);
      Expect(':');
      if (!onKey(key)) Fail("unknown key \"" + key + "\"", at);
      seen.push_back(std::move(key));
      SkipSpace();
      if (pos_ < text_.size() && text_[pos_] == ',') {
        ++pos_;
        continue;
      }
      Expect('}');
      return;
    }
  }

  static int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }

  std::string ReadString() {
    Expect('"');
    std::string out;
    for (;;) {
      if (pos_ >= text_.size()) Fail("unterminated string", pos_);
      const unsigned char c = static_cast<unsigned char>(text_[pos_]);
      if (c == '"') {
        ++pos_;
        return out;
      }
      if (c < 0x20) Fail("control character in a string", pos_);
      if (c != '\\') {
        out += static_cast<char>(c);
        ++pos_;
        continue;
      }
      const size_t at = pos_;
      if (++pos_ >= text_.size()) Fail("unterminated string", pos_);
      const char e = text_[pos_++];
      switch (e) {
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case '/': out += '/'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'u': {
          if (pos_ + 4 > text_.size()) Fail("unterminated string", text_.size());
          int value = 0;
          for (int k = 0; k < 4; ++k) {
            const int d = HexDigit(text_[pos_ + k]);
            if (d < 0) Fail("bad \\u escape", at);
            value = value * 16 + d;
          }
          if (value > 0xFF) Fail("escape above \\u00ff", at);
          out += static_cast<char>(value);
          pos_ += 4;
          break;
        }
        default: Fail("bad escape", at);
      }
    }
  }

  RawValue ReadValueToken() {
    SkipSpace();
    RawValue v;
    v.offset = pos_;
    if (pos_ >= text_.size()) Fail("missing value", pos_);
    const char c = text_[pos_];
    if (c == '"') {
      v.kind = RawValue::STRING;
      v.text = ReadString();
      return v;
    }
    if (text_.compare(pos_, 4, "true") == 0) {
      v.kind = RawValue::TRUE_LITERAL;
      pos_ += 4;
      return v;
    }
    if (text_.compare(pos_, 5, "false") == 0) {
      v.kind = RawValue::FALSE_LITERAL;
      pos_ += 5;
      return v;
    }
    const size_t start = pos_;
    while (pos_ < text_.size() && (std::strchr("+-.eE", text_[pos_]) != nullptr || (text_[pos_] >= '0' && text_[pos_] <= '9')))
      ++pos_;
    if (pos_ == start) Fail("bad value", start);
    v.kind = RawValue::NUMBER;
    v.text = text_.substr(start, pos_ - start);
    return v;
  }

  static bool ParseInteger(const std::string& s, long long& out) {
    if (s.empty()) return false;
    const auto res = std::from_chars(s.data(), s.data() + s.size(), out);
    return res.ec == std::errc() && res.ptr == s.data() + s.size();
  }

  double ParseDoubleValue(const RawValue& v) {
    if (v.kind == RawValue::STRING) {
      if (v.text == "inf") return HUGE_VAL;
      if (v.text == "-inf") return -HUGE_VAL;
      if (v.text.size() == 20 && v.text.compare(0, 4, "nan:") == 0) {
        uint64_t bits = 0;
        for (size_t k = 4; k < 20; ++k) {
          const int d = HexDigit(v.text[k]);
          if (d < 0) Fail("bad double", v.offset);
          bits = (bits << 4) | static_cast<uint64_t>(d);
        }
        double d = 0;
        std::memcpy(&d, &bits, sizeof(d));
        if (!std::isnan(d)) Fail("bad double", v.offset);
        return d;
      }
      Fail("bad double", v.offset);
    }
    if (v.kind != RawValue::NUMBER) Fail("bad double", v.offset);
    double d = 0;
    const char* first = v.text.data();
    const char* last = first + v.text.size();
    const auto res = std::from_chars(first, last, d);
    if (res.ec != std::errc() || res.ptr != last || !std::isfinite(d)) Fail("bad double", v.offset);
    return d;
  }

  Property ReadNode(int depth) {
    if (depth > PropertySerializer::MAX_DEPTH)
      Fail("nesting deeper than " + std::to_string(PropertySerializer::MAX_DEPTH) + " levels", pos_);
    SkipSpace();
    const size_t start = pos_;
    std::optional<std::string> name;
    std::optional<long long> type;
    std::optional<RawValue> value;
    std::optional<std::vector<Property>> children;
    ReadObject([&](const std::string& key) {
      if (key == "n") {
        name = ReadString();
      } else if (key == "t") {
        const RawValue v = ReadValueToken();
        long long t = -1;
        if (v.kind != RawValue::NUMBER || !ParseInteger(v.text, t) || t < PT_NONE || t > PT_GROUP)
          Fail("bad type code", v.offset);
        type = t;
      } else if (key == "v") {
        value = ReadValueToken();
      } else if (key == "c") {
        children.emplace();
        Expect('[');
        if (Peek() == ']') {
          ++pos_;
        } else {
          for (;;) {
            children->push_back(ReadNode(depth + 1));
            SkipSpace();
            if (pos_ < text_.size() && text_[pos_] == ',') {
              ++pos_;
              continue;
            }
            Expect(']');
            break;
          }
        }
      } else {
        return false;
      }
      return true;
    });
    if (!name) Fail("node without a name", start);
    if (!type) Fail("node without a type code", start);
    const auto t = static_cast<PropertyTypes>(*type);
    const bool hasValue = t != PT_NONE && t != PT_GROUP;
    if (hasValue != value.has_value()) Fail(hasValue ? "node without a value" : "value on a node of type 0 or 6", start);
    if (t == PT_NONE && children) Fail("children on a node of type 0", start);

    // Children are attached to a group first; a value type then replaces the group's type.
    Property node(*name);
    if (children)
      for (auto& child : *children) node.AppendChild(std::move(child));
    if (t == PT_NONE) return Property::MakeNone(std::move(*name));
    if (!hasValue) return node;
    const RawValue& v = *value;
    switch (t) {
      case PT_BOOL:
        if (v.kind == RawValue::TRUE_LITERAL)
          node = true;
        else if (v.kind == RawValue::FALSE_LITERAL)
          node = false;
        else
          Fail("bad bool", v.offset);
        break;
      case PT_INT: {
        long long n = 0;
        if (v.kind != RawValue::NUMBER || !ParseInteger(v.text, n) || n < INT_MIN || n > INT_MAX)
          Fail("bad int", v.offset);
        node = static_cast<int>(n);
        break;
      }
      case PT_INT64: {
        long long n = 0;
        if (v.kind != RawValue::NUMBER || !ParseInteger(v.text, n)) Fail("bad long long", v.offset);
        node = n;
        break;
      }
      case PT_DOUBLE: node = ParseDoubleValue(v); break;
      case PT_STRING:
        if (v.kind != RawValue::STRING) Fail("bad string", v.offset);
        node = v.text;
        break;
      default: break;
    }
    return node;
  }

  const std::string& text_;
  size_t pos_ = 0;
};

}  // namespace

std::string PropertySerializer::SerializeToString(const Property& node, bool pretty) {
  std::string out = "{\"format\":\"";
  out += kFormatName;
  out += "\",\"version\":" + std::to_string(kFormatVersion) + ",\"root\":";
  if (pretty) out += '\n';
  WriteNode(out, node, 1, pretty);
  if (pretty) out += '\n';
  out += "}\n";
  return out;
}

Property PropertySerializer::DeserializeFromString(const std::string& text) { return Reader(text).ReadDocument(); }

void PropertySerializer::Serialize(const Property& node, IDataOutput& output, bool pretty) {
  const std::string text = SerializeToString(node, pretty);
  output.Write(text.data(), text.size());
}

void PropertySerializer::Deserialize(Property& node, IDataInput& input, bool withName) {
  const uint64_t size = input.GetSize();
  if (size > MAX_SIZE)
    ZENTOR_THROW_DESC(FileException, "The property data is too large (" + std::to_string(size) + " bytes).");
  std::string text(static_cast<size_t>(size), '\0');
  if (size > 0) input.Read(text.data(), text.size());
  Property tree = DeserializeFromString(text);
  if (withName) {
    node = std::move(tree);
  } else {
    std::string name = node.GetName();
    node = std::move(tree);
    node.SetName(std::move(name));
  }
}

}  // namespace Core
}  // namespace Zentor
