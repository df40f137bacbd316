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
  std::string_view found;
  if (search.path.empty()) {
    const ssize_t length = readlink("/proc/self/exe", resolved, sizeof resolved - 1);
    if (length <= 0) return {};
    found = std::string_view(resolved, static_cast<size_t>(length));
  } else {
    found = realpath(search.path.c_str(), resolved) == nullptr ? std::string_view(search.path)
                                                               : std::string_view(resolved);
  }
  // No path at all rather than a look-alike, whose folder may hold another
  // module's resources.
  std::string path;
  std::string refusal;
  return SysPathToAnsi(found, path, refusal) ? path : std::string();
}

std::string GetShortPathNameA(const std::string& path) { return path; }
