// Typed writers of the property tree.
#pragma once

#include "Core/Interfaces/Exception.h"
#include "Platform/Bedrock/Property.h"

#include <string>
#include <type_traits>

namespace Zentor {
namespace Core {

namespace Detail {
// bool, int, long long, double and strings are stored as themselves; other integers widen to long long.
template <class T>
auto StoredValue(const T& value) {
  if constexpr (std::is_same_v<T, bool> || std::is_same_v<T, int> || std::is_same_v<T, long long> ||
                std::is_same_v<T, double> || std::is_same_v<T, std::string>) {
    return value;
  } else if constexpr (std::is_convertible_v<T, std::string>) {
    return std::string(value);
  } else if constexpr (std::is_floating_point_v<T>) {
    return static_cast<double>(value);
  } else {
    static_assert(std::is_integral_v<T>, "unsupported property value type");
    return static_cast<long long>(value);
  }
}

[[noreturn]] ZENTOR_API void ThrowNotAGroup(const Property& node, const char* method, int line);
}  // namespace Detail

template <class T>
Property& Property::CreateChildT(const std::string& name, const T& value) {
  if (type_ != PT_GROUP) Detail::ThrowNotAGroup(*this, "CreateChildT", __LINE__);
  return AppendChild(Property(name, Detail::StoredValue(value)));
}

template <class T>
Property& Property::SetChildT(const std::string& name, const T& value) {
  if (type_ != PT_GROUP) Detail::ThrowNotAGroup(*this, "SetChildT", __LINE__);
  auto it = FindChild(name);
  if (it != end()) {
    *it = Detail::StoredValue(value);
    return *it;
  }
  return CreateChildT(name, value);
}

inline Property& Property::SetChild(const std::string& name, const char* text) {
  return SetChildT(name, std::string(text));
}

// Reads an optional child as text: false when absent (out unchanged).
inline bool GetValue(std::string& out, const Property& node, const std::string& name) {
  if (!node.ChildExists(name)) return false;
  out = GetValue<std::string>(node[name]);
  return true;
}

}  // namespace Core
}  // namespace Zentor
