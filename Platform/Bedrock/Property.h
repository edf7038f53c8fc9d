// Named, typed property tree: the carrier of settings, presets, statistics and session files.
#pragma once

#include "Platform/Bedrock/Export.h"

#include <boost/iterator/indirect_iterator.hpp>

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace Zentor {

// Type codes. Callers rely on bool = 1, the numeric and string values 2..5 and group = 6.
enum PropertyTypes : int {
  PT_NONE = 0,
  PT_BOOL = 1,
  PT_INT = 2,
  PT_INT64 = 3,
  PT_DOUBLE = 4,
  PT_STRING = 5,
  PT_GROUP = 6,
};

namespace Core {

class ZENTOR_API Property {
  using ChildList = std::vector<std::unique_ptr<Property>>;

 public:
  using iterator = boost::indirect_iterator<ChildList::iterator>;
  using const_iterator = boost::indirect_iterator<ChildList::const_iterator>;

  // A typeless node (type 0).
  Property();
  // An empty group of that name.
  explicit Property(std::string name);
  Property(std::string name, bool value);
  Property(std::string name, int value);
  Property(std::string name, long long value);
  Property(std::string name, double value);
  Property(std::string name, std::string value);
  Property(std::string name, const char* value);
  // A node of that name with no value and no children (type 0).
  static Property MakeNone(std::string name);

  Property(const Property& other);
  Property(Property&& other) noexcept;
  Property& operator=(const Property& other);
  Property& operator=(Property&& other) noexcept;
  virtual ~Property();

  // Value assignment keeps name and children and changes the type to the value's.
  Property& operator=(bool value);
  Property& operator=(int value);
  Property& operator=(long long value);
  Property& operator=(double value);
  Property& operator=(const std::string& value);
  Property& operator=(const char* value);

  const std::string& GetName() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }
  PropertyTypes GetType() const { return type_; }

  // Children. References to children stay valid while siblings are added or removed.
  Property& operator[](const std::string& name);
  const Property& operator[](const std::string& name) const;
  Property& operator[](const char* name) { return (*this)[std::string(name)]; }
  const Property& operator[](const char* name) const { return (*this)[std::string(name)]; }
  Property& operator[](size_t index);
  const Property& operator[](size_t index) const;
  Property& operator[](int index) { return (*this)[static_cast<size_t>(index)]; }
  const Property& operator[](int index) const { return (*this)[static_cast<size_t>(index)]; }

  bool ChildExists(const std::string& name) const;
  size_t Count() const { return children_.size(); }
  iterator begin() { return iterator(children_.begin()); }
  iterator end() { return iterator(children_.end()); }
  const_iterator begin() const { return const_iterator(children_.begin()); }
  const_iterator end() const { return const_iterator(children_.end()); }
  iterator FindChild(const std::string& name);
  const_iterator FindChild(const std::string& name) const;

  // The child of that name, appended as an empty group when absent; an existing child is kept as it is.
  Property& SetChild(const std::string& name);
  // Afterwards the child of that name holds a copy of node (appended when absent).
  Property& SetChild(const std::string& name, const Property& node);
  // Same as SetChildT with the text as a string (never a bool).
  Property& SetChild(const std::string& name, const char* text);
  // Appends a copy of node with its own name; node may be this node or one of its descendants.
  Property& Add(const Property& node);
  void RemoveChild(const std::string& name);
  void Clear();
  // Takes node's value and children, keeps own name; node may be this node or a descendant.
  void CopyDataFrom(const Property& node);

  // Typed writers (inline in Core/Interfaces/Property.h). The node must be a group.
  template <class T>
  Property& SetChildT(const std::string& name, const T& value);
  template <class T>
  Property& CreateChildT(const std::string& name, const T& value);

  // Stored values. Asking for a type that is not stored raises PropertyException.
  const std::string& GetString() const;
  long long GetInt64() const;
  double GetDouble() const;
  bool GetBool() const;
  int GetInt() const;

  // Deep equality of name, type, value and children.
  bool operator==(const Property& other) const;
  bool operator!=(const Property& other) const { return !(*this == other); }

  // Appends a child without copying; internal building block of the accessors and the serializer.
  Property& AppendChild(Property&& node);

 private:
  using Value = std::variant<std::monostate, bool, int, long long, double, std::string>;
  void CheckType(PropertyTypes expected, const char* method) const;

  std::string name_;
  PropertyTypes type_ = PT_NONE;
  Value value_;
  ChildList children_;
};

// Free conversions of a node's value. Numeric types convert between each other; a string is parsed.
template <class T>
T GetValue(const Property& node);
template <>
ZENTOR_API bool GetValue<bool>(const Property& node);
template <>
ZENTOR_API int GetValue<int>(const Property& node);
template <>
ZENTOR_API unsigned int GetValue<unsigned int>(const Property& node);
template <>
ZENTOR_API long long GetValue<long long>(const Property& node);
template <>
ZENTOR_API double GetValue<double>(const Property& node);
template <>
ZENTOR_API std::string GetValue<std::string>(const Property& node);

// The value as text ("" for a group or typeless node; bools as "true"/"false").
ZENTOR_API std::string PropertyValueToString(const Property& node);

// Empty: type 0, or a group with an empty name and no children.
ZENTOR_API bool IsEmptyProperty(const Property& node);

}  // namespace Core
}  // namespace Zentor
