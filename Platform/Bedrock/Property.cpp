#include "Platform/Bedrock/Property.h"

#include "Core/Interfaces/Exception.h"
#include "Core/Interfaces/Property.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace Zentor {
namespace Core {

namespace {

using Tags = PropertyException;

[[noreturn]] void ThrowMissingChild(const Property& node, const std::string& child) {
  ZENTOR_THROW(PropertyException() << Tags::TagPropertyName(node.GetName()) << Tags::TagMethodName("operator[]")
                                   << TagDescription("The property \"" + node.GetName() +
                                                     "\" has no child named \"" + child + "\"."));
}

[[noreturn]] void ThrowIndex(const Property& node, size_t index) {
  ZENTOR_THROW(PropertyException() << Tags::TagPropertyName(node.GetName()) << Tags::TagMethodName("operator[]")
                                   << TagDescription("The property \"" + node.GetName() + "\" has no child at position " +
                                                     std::to_string(index) + " (it has " +
                                                     std::to_string(node.Count()) + ")."));
}

[[noreturn]] void ThrowWrongType(const Property& node, const char* method, const std::string& wanted) {
  ZENTOR_THROW(PropertyException() << Tags::TagPropertyName(node.GetName()) << Tags::TagPropertyType(node.GetType())
                                   << Tags::TagMethodName(method)
                                   << TagDescription("The property \"" + node.GetName() + "\" of type " +
                                                     std::to_string(static_cast<int>(node.GetType())) +
                                                     " cannot be read as " + wanted + "."));
}

[[noreturn]] void ThrowConversion(const Property& node, const std::string& wanted) {
  ZENTOR_THROW(PropertyException() << Tags::TagPropertyName(node.GetName()) << Tags::TagPropertyType(node.GetType())
                                   << Tags::TagMethodName("GetValue")
                                   << TagDescription("The value \"" + PropertyValueToString(node) +
                                                     "\" of the property \"" + node.GetName() +
                                                     "\" cannot be converted to " + wanted + "."));
}

// Full-text number parse (surrounding blanks and a leading '+' allowed); false on junk or overflow.
template <class T>
bool ParseNumber(const std::string& text, T& out) {
  const char* first = text.data();
  const char* last = first + text.size();
  while (first < last && std::isspace(static_cast<unsigned char>(*first))) ++first;
  while (last > first && std::isspace(static_cast<unsigned char>(last[-1]))) --last;
  if (first < last && *first == '+') ++first;
  if (first == last) return false;
  const auto res = std::from_chars(first, last, out);
  return res.ec == std::errc() && res.ptr == last;
}

bool ParseInteger(const std::string& text, long long& out) { return ParseNumber(text, out); }
bool ParseDouble(const std::string& text, double& out) { return ParseNumber(text, out); }

bool EqualDoubles(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

// Nearest integer of a finite double inside [lo, hi]; false otherwise.
bool DoubleToInteger(double d, long long lo, long long hi, long long& out) {
  if (!std::isfinite(d)) return false;
  const double r = std::round(d);
  // 2^63 is exact as a double; anything at or beyond it does not fit.
  if (r < -9223372036854775808.0 || r >= 9223372036854775808.0) return false;
  const long long v = static_cast<long long>(r);
  if (v < lo || v > hi) return false;
  out = v;
  return true;
}

// Any stored numeric value (and parsable text) as a long long within [lo, hi].
long long IntegerValue(const Property& node, long long lo, long long hi, const std::string& wanted) {
  long long v = 0;
  switch (node.GetType()) {
    case PT_BOOL: v = node.GetBool() ? 1 : 0; break;
    case PT_INT: v = node.GetInt(); break;
    case PT_INT64: v = node.GetInt64(); break;
    case PT_DOUBLE:
      if (!DoubleToInteger(node.GetDouble(), lo, hi, v)) ThrowConversion(node, wanted);
      break;
    case PT_STRING: {
      if (!ParseInteger(node.GetString(), v)) {
        double d = 0;
        if (!ParseDouble(node.GetString(), d) || !DoubleToInteger(d, lo, hi, v)) ThrowConversion(node, wanted);
      }
      break;
    }
    default: ThrowWrongType(node, "GetValue", wanted);
  }
  if (v < lo || v > hi) ThrowConversion(node, wanted);
  return v;
}

}  // namespace

namespace Detail {

[[noreturn]] void ThrowNotAGroup(const Property& node, const char* method, int line) {
  // The throw location is the accessor's, so the exception reads as raised there.
  const bool create = std::strcmp(method, "CreateChildT") == 0;
  const char* function = create ? "Zentor::Core::Property& Zentor::Core::Property::CreateChildT(const std::string&, const T&)"
                                : "Zentor::Core::Property& Zentor::Core::Property::SetChildT(const std::string&, const T&)";
  ::boost::throw_exception(
      ::Zentor::AddStack(MethodIsNotApplicable() << Tags::TagPropertyName(node.GetName())
                                                 << Tags::TagPropertyType(node.GetType())
                                                 << Tags::TagMethodName(method)),
      ::boost::source_location("Core/Interfaces/Property", static_cast<boost::uint_least32_t>(line), function));
}

}  // namespace Detail

namespace {
[[noreturn]] void ThrowNotAGroupHere(const Property& node, const char* method) {
  ZENTOR_THROW(MethodIsNotApplicable() << Tags::TagPropertyName(node.GetName()) << Tags::TagPropertyType(node.GetType())
                                       << Tags::TagMethodName(method));
}
}  // namespace

// ---- construction -------------------------------------------------------------------------

Property::Property() = default;

Property::Property(std::string name) : name_(std::move(name)), type_(PT_GROUP) {}
Property::Property(std::string name, bool value) : name_(std::move(name)), type_(PT_BOOL), value_(value) {}
Property::Property(std::string name, int value) : name_(std::move(name)), type_(PT_INT), value_(value) {}
Property::Property(std::string name, long long value) : name_(std::move(name)), type_(PT_INT64), value_(value) {}
Property::Property(std::string name, double value) : name_(std::move(name)), type_(PT_DOUBLE), value_(value) {}
Property::Property(std::string name, std::string value)
    : name_(std::move(name)), type_(PT_STRING), value_(std::move(value)) {}
Property::Property(std::string name, const char* value)
    : name_(std::move(name)), type_(PT_STRING), value_(std::string(value ? value : "")) {}

Property Property::MakeNone(std::string name) {
  Property p;
  p.name_ = std::move(name);
  return p;
}

Property::Property(const Property& other) : name_(other.name_), type_(other.type_), value_(other.value_) {
  children_.reserve(other.children_.size());
  for (const auto& child : other.children_) children_.push_back(std::make_unique<Property>(*child));
}

Property::Property(Property&& other) noexcept
    : name_(std::move(other.name_)),
      type_(other.type_),
      value_(std::move(other.value_)),
      children_(std::move(other.children_)) {
  other.type_ = PT_NONE;
  other.value_ = std::monostate();
}

Property& Property::operator=(const Property& other) {
  if (this == &other) return *this;
  // Copy first: other may be one of our own descendants.
  Property copy(other);
  return *this = std::move(copy);
}

Property& Property::operator=(Property&& other) noexcept {
  if (this == &other) return *this;
  // Take everything out of other before our old children (which may own other) go away.
  std::string name = std::move(other.name_);
  const PropertyTypes type = other.type_;
  Value value = std::move(other.value_);
  ChildList children = std::move(other.children_);
  other.type_ = PT_NONE;
  other.value_ = std::monostate();
  name_ = std::move(name);
  type_ = type;
  value_ = std::move(value);
  children_.swap(children);
  return *this;  // the old children are destroyed with the local list
}

Property::~Property() = default;

Property& Property::operator=(bool value) {
  type_ = PT_BOOL;
  value_ = value;
  return *this;
}
Property& Property::operator=(int value) {
  type_ = PT_INT;
  value_ = value;
  return *this;
}
Property& Property::operator=(long long value) {
  type_ = PT_INT64;
  value_ = value;
  return *this;
}
Property& Property::operator=(double value) {
  type_ = PT_DOUBLE;
  value_ = value;
  return *this;
}
Property& Property::operator=(const std::string& value) {
  type_ = PT_STRING;
  value_ = value;
  return *this;
}
Property& Property::operator=(const char* value) { return *this = std::string(value ? value : ""); }

// ---- children -----------------------------------------------------------------------------

Property::iterator Property::FindChild(const std::string& name) {
  return iterator(std::find_if(children_.begin(), children_.end(),
                               [&](const std::unique_ptr<Property>& c) { return c->name_ == name; }));
}

Property::const_iterator Property::FindChild(const std::string& name) const {
  return const_iterator(std::find_if(children_.begin(), children_.end(),
                                     [&](const std::unique_ptr<Property>& c) { return c->name_ == name; }));
}

bool Property::ChildExists(const std::string& name) const { return FindChild(name) != end(); }

Property& Property::operator[](const std::string& name) {
  auto it = FindChild(name);
  if (it == end()) ThrowMissingChild(*this, name);
  return *it;
}

const Property& Property::operator[](const std::string& name) const {
  auto it = FindChild(name);
  if (it == end()) ThrowMissingChild(*this, name);
  return *it;
}

Property& Property::operator[](size_t index) {
  if (index >= children_.size()) ThrowIndex(*this, index);
  return *children_[index];
}

const Property& Property::operator[](size_t index) const {
  if (index >= children_.size()) ThrowIndex(*this, index);
  return *children_[index];
}

Property& Property::AppendChild(Property&& node) {
  if (type_ != PT_GROUP) ThrowNotAGroupHere(*this, "AppendChild");
  children_.push_back(std::make_unique<Property>(std::move(node)));
  return *children_.back();
}

Property& Property::SetChild(const std::string& name) {
  auto it = FindChild(name);
  if (it != end()) return *it;
  if (type_ != PT_GROUP) ThrowNotAGroupHere(*this, "SetChild");
  return AppendChild(Property(name));
}

Property& Property::SetChild(const std::string& name, const Property& node) {
  if (type_ != PT_GROUP) ThrowNotAGroupHere(*this, "SetChild");
  Property copy(node);  // node may live inside this tree
  copy.name_ = name;
  auto it = FindChild(name);
  if (it != end()) {
    *it = std::move(copy);
    return *it;
  }
  return AppendChild(std::move(copy));
}

Property& Property::Add(const Property& node) {
  if (type_ != PT_GROUP) ThrowNotAGroupHere(*this, "Add");
  Property copy(node);  // node may be this node or a descendant
  return AppendChild(std::move(copy));
}

void Property::RemoveChild(const std::string& name) {
  auto it = std::find_if(children_.begin(), children_.end(),
                         [&](const std::unique_ptr<Property>& c) { return c->name_ == name; });
  if (it == children_.end()) return;
  // Detach before destroying so the list is consistent if the child's destructor runs long.
  std::unique_ptr<Property> gone = std::move(*it);
  children_.erase(it);
}

void Property::Clear() {
  ChildList gone;
  gone.swap(children_);
}

void Property::CopyDataFrom(const Property& node) {
  if (this == &node) return;
  Property copy(node);  // node may be a descendant
  type_ = copy.type_;
  value_ = std::move(copy.value_);
  children_.swap(copy.children_);
}

// ---- values -------------------------------------------------------------------------------

void Property::CheckType(PropertyTypes expected, const char* method) const {
  if (type_ != expected) {
    static const char* const names[] = {"none", "bool", "int", "long long", "double", "string", "group"};
    ThrowWrongType(*this, method, names[expected]);
  }
}

const std::string& Property::GetString() const {
  CheckType(PT_STRING, "GetString");
  return std::get<std::string>(value_);
}

long long Property::GetInt64() const {
  if (type_ == PT_INT) return std::get<int>(value_);
  CheckType(PT_INT64, "GetInt64");
  return std::get<long long>(value_);
}

double Property::GetDouble() const {
  CheckType(PT_DOUBLE, "GetDouble");
  return std::get<double>(value_);
}

bool Property::GetBool() const {
  CheckType(PT_BOOL, "GetBool");
  return std::get<bool>(value_);
}

int Property::GetInt() const {
  CheckType(PT_INT, "GetInt");
  return std::get<int>(value_);
}

bool Property::operator==(const Property& other) const {
  if (name_ != other.name_ || type_ != other.type_ || children_.size() != other.children_.size()) return false;
  if (type_ == PT_DOUBLE) {
    if (!EqualDoubles(std::get<double>(value_), std::get<double>(other.value_))) return false;
  } else if (value_ != other.value_) {
    return false;
  }
  for (size_t i = 0; i < children_.size(); ++i)
    if (!(*children_[i] == *other.children_[i])) return false;
  return true;
}

// ---- free conversions ---------------------------------------------------------------------

template <>
bool GetValue<bool>(const Property& node) {
  switch (node.GetType()) {
    case PT_BOOL: return node.GetBool();
    case PT_INT: return node.GetInt() != 0;
    case PT_INT64: return node.GetInt64() != 0;
    case PT_DOUBLE: return node.GetDouble() != 0.0;
    case PT_STRING: {
      std::string s = node.GetString();
      std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
      if (s == "true" || s == "1") return true;
      if (s == "false" || s == "0") return false;
      ThrowConversion(node, "bool");
    }
    default: ThrowWrongType(node, "GetValue", "bool");
  }
}

template <>
int GetValue<int>(const Property& node) {
  return static_cast<int>(IntegerValue(node, INT_MIN, INT_MAX, "int"));
}

template <>
unsigned int GetValue<unsigned int>(const Property& node) {
  return static_cast<unsigned int>(IntegerValue(node, 0, UINT_MAX, "unsigned int"));
}

template <>
long long GetValue<long long>(const Property& node) {
  return IntegerValue(node, LLONG_MIN, LLONG_MAX, "long long");
}

template <>
double GetValue<double>(const Property& node) {
  switch (node.GetType()) {
    case PT_BOOL: return node.GetBool() ? 1.0 : 0.0;
    case PT_INT: return node.GetInt();
    case PT_INT64: return static_cast<double>(node.GetInt64());
    case PT_DOUBLE: return node.GetDouble();
    case PT_STRING: {
      double d = 0;
      if (!ParseDouble(node.GetString(), d)) ThrowConversion(node, "double");
      return d;
    }
    default: ThrowWrongType(node, "GetValue", "double");
  }
}

template <>
std::string GetValue<std::string>(const Property& node) {
  if (node.GetType() == PT_NONE || node.GetType() == PT_GROUP) ThrowWrongType(node, "GetValue", "string");
  return PropertyValueToString(node);
}

std::string PropertyValueToString(const Property& node) {
  switch (node.GetType()) {
    case PT_BOOL: return node.GetBool() ? "true" : "false";
    case PT_INT: return std::to_string(node.GetInt());
    case PT_INT64: return std::to_string(node.GetInt64());
    case PT_DOUBLE: {
      const double d = node.GetDouble();
      if (std::isnan(d)) return "nan";
      if (std::isinf(d)) return d < 0 ? "-inf" : "inf";
      char buf[64];
      const auto res = std::to_chars(buf, buf + sizeof(buf), d);  // shortest text that reads back exactly
      return std::string(buf, res.ptr);
    }
    case PT_STRING: return node.GetString();
    default: return std::string();
  }
}

bool IsEmptyProperty(const Property& node) {
  return node.GetType() == PT_NONE || (node.GetType() == PT_GROUP && node.GetName().empty() && node.Count() == 0);
}

}  // namespace Core
}  // namespace Zentor
