#include "platform/com/module_file.h"

#include <link.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

#include "platform/kernel/codepage.h"

namespace {

struct Search {
  uintptr_t address;
  std::string path;  // UTF-8
  bool found = false;
};

// The loaded object whose segments hold the address; the main program has
// no name of its own in the loader's list.
int FindObject(dl_phdr_info* info, size_t, void* data) {
  auto* search = static_cast<Search*>(data);
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    const ElfW(Phdr)& segment = info->dlpi_phdr[i];
    if (segment.p_type != PT_LOAD) continue;
    const uintptr_t start = info->dlpi_addr + segment.p_vaddr;
    if (search->address >= start && search->address < start + segment.p_memsz) {
      search->found = true;
      search->path = info->dlpi_name != nullptr ? info->dlpi_name : "";
      return 1;
    }
  }
  return 0;
}

}  // namespace

std::string ModuleFileName(const void* address) {
  Search search{reinterpret_cast<uintptr_t>(address), {}};
  dl_iterate_phdr(FindObject, &search);
  if (!search.found) return {};
  char resolved[PATH_MAX];
  if (search.path.empty()) {
    const ssize_t length = readlink("/proc/self/exe", resolved, sizeof resolved - 1);
    if (length <= 0) return {};
    return Utf8ToAnsi(std::string_view(resolved, static_cast<size_t>(length)));
  }
  if (realpath(search.path.c_str(), resolved) == nullptr) return Utf8ToAnsi(search.path);
  return Utf8ToAnsi(resolved);
}

std::string GetShortPathNameA(const std::string& path) { return path; }
