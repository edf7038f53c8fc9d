// What the fuzz targets share: the input being run, saved where an exception escapes (a library's
// own abort handler can keep libFuzzer from writing the crash file).
#pragma once

#include <cxxabi.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <typeinfo>

namespace FuzzSupport {

inline const uint8_t* g_data = nullptr;
inline size_t g_size = 0;

inline void SetInput(const uint8_t* data, size_t size) {
  g_data = data;
  g_size = size;
}

// The terminate handler: names the exception that escaped and saves the input.
[[noreturn]] inline void SaveInputAndAbort() {
  if (const std::type_info* type = abi::__cxa_current_exception_type()) {
    std::fprintf(stderr, "uncaught exception of type %s\n", type->name());
  }
  const std::string path = "crash-terminate-" + std::to_string(::getpid());
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(g_data, 1, g_size, f);
    std::fclose(f);
    std::fprintf(stderr, "uncaught exception: input saved to %s\n", path.c_str());
  }
  std::_Exit(1);
}

}  // namespace FuzzSupport
