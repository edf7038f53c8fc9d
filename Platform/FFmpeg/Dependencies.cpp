#include "Platform/FFmpeg/Dependencies.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace Zentor {
namespace FFmpeg {
namespace {

constexpr unsigned char NATIVE_CLASS = __ELF_NATIVE_CLASS == 64 ? ELFCLASS64 : ELFCLASS32;

std::string Folder(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// The names a shared library needs (its DT_NEEDED entries); none for a file that is no ELF
// object of this machine's kind or whose tables do not lie within it.
std::vector<std::string> NeededNames(const std::string& path) {
  std::vector<std::string> names;
  const int file = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (file < 0) return names;
  struct stat status {};
  void* mapped = MAP_FAILED;
  if (fstat(file, &status) == 0 && size_t(status.st_size) >= sizeof(ElfW(Ehdr)))
    mapped = mmap(nullptr, size_t(status.st_size), PROT_READ, MAP_PRIVATE, file, 0);
  close(file);
  if (mapped == MAP_FAILED) return names;
  const size_t size = size_t(status.st_size);
  const auto* bytes = static_cast<const unsigned char*>(mapped);
  const auto within = [size](uint64_t offset, uint64_t length) { return offset <= size && length <= size - offset; };
  const auto* header = reinterpret_cast<const ElfW(Ehdr)*>(bytes);
  const bool elf = std::memcmp(header->e_ident, ELFMAG, SELFMAG) == 0 && header->e_ident[EI_CLASS] == NATIVE_CLASS &&
                   header->e_phentsize == sizeof(ElfW(Phdr)) &&
                   within(header->e_phoff, uint64_t(header->e_phnum) * sizeof(ElfW(Phdr)));
  if (elf) {
    const auto* segments = reinterpret_cast<const ElfW(Phdr)*>(bytes + header->e_phoff);
    const ElfW(Phdr)* dynamic = nullptr;
    for (int i = 0; i < header->e_phnum; ++i)
      if (segments[i].p_type == PT_DYNAMIC && within(segments[i].p_offset, segments[i].p_filesz)) dynamic = &segments[i];
    // The string table is named by its address once loaded; the loaded segments map it back.
    const auto fileOffset = [&](uint64_t address, uint64_t& offset) {
      for (int i = 0; i < header->e_phnum; ++i) {
        const ElfW(Phdr)& s = segments[i];
        if (s.p_type == PT_LOAD && address >= s.p_vaddr && address - s.p_vaddr < s.p_filesz) {
          offset = s.p_offset + (address - s.p_vaddr);
          return true;
        }
      }
      return false;
    };
    if (dynamic) {
      const auto* entries = reinterpret_cast<const ElfW(Dyn)*>(bytes + dynamic->p_offset);
      const size_t count = dynamic->p_filesz / sizeof(ElfW(Dyn));
      uint64_t tableAddress = 0, tableSize = 0, table = 0;
      std::vector<uint64_t> needed;
      for (size_t i = 0; i < count && entries[i].d_tag != DT_NULL; ++i) {
        if (entries[i].d_tag == DT_STRTAB) tableAddress = entries[i].d_un.d_ptr;
        if (entries[i].d_tag == DT_STRSZ) tableSize = entries[i].d_un.d_val;
        if (entries[i].d_tag == DT_NEEDED) needed.push_back(entries[i].d_un.d_val);
      }
      if (fileOffset(tableAddress, table) && within(table, tableSize)) {
        const char* strings = reinterpret_cast<const char*>(bytes + table);
        for (uint64_t at : needed) {
          if (at >= tableSize) continue;
          const size_t length = strnlen(strings + at, tableSize - at);
          if (length < tableSize - at) names.emplace_back(strings + at, length);
        }
      }
    }
  }
  munmap(mapped, size);
  return names;
}

}  // namespace

void* OpenAfterDependencies(const std::string& name, const std::vector<std::string>& folders,
                            std::set<std::string>& seen) {
  std::string path = name.find('/') == std::string::npos ? std::string() : name;
  for (size_t i = 0; path.empty() && i < folders.size(); ++i) {
    const std::string candidate = folders[i] + "/" + name;
    if (access(candidate.c_str(), R_OK) == 0) path = candidate;
  }
  if (!path.empty()) {
    std::vector<std::string> beside = {Folder(path)};
    beside.insert(beside.end(), folders.begin(), folders.end());
    for (const std::string& dependency : NeededNames(path))
      if (seen.insert(dependency).second) OpenAfterDependencies(dependency, beside, seen);
  }
  // Local: FFmpeg's names never interpose for anything else the process loads.
  return dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
}

std::set<std::string> LoadedNames() {
  std::set<std::string> names;
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void* data) {
        const char* name = info->dlpi_name ? std::strrchr(info->dlpi_name, '/') : nullptr;
        if (name) static_cast<std::set<std::string>*>(data)->insert(name + 1);
        return 0;
      },
      &names);
  return names;
}

std::string SystemFolder() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&std::fopen), &info) && info.dli_fname) return Folder(info.dli_fname);
  return std::string();
}

}  // namespace FFmpeg
}  // namespace Zentor
