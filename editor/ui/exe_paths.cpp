#include "editor/ui/exe_paths.h"

#include "editor/model/application.h"

namespace {

size_t NameStart(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? 0 : slash + 1;
}

// The position of the name's extension dot, or npos.
size_t ExtensionDot(const std::string& path) {
  const size_t dot = path.find_last_of('.');
  return dot == std::string::npos || dot < NameStart(path) ? std::string::npos : dot;
}

}  // namespace

std::string ExtractFileDir(const std::string& path) {
  const size_t start = NameStart(path);
  return start == 0 ? std::string() : path.substr(0, start - 1);
}

std::string ExtractFileName(const std::string& path) { return path.substr(NameStart(path)); }

std::string ChangeFileExt(const std::string& path, const std::string& extension) {
  return path.substr(0, ExtensionDot(path)) + extension;
}

std::string ExeFolder() { return ExtractFileDir(ApplicationExeName()); }

std::string ExeBaseName() { return ExtractFileName(ChangeFileExt(ApplicationExeName(), "")); }
