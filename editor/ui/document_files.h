// Files written from a package's documents and signatures: into the work
// folder for viewing, into a folder the user chose for extraction. Their
// names come from the package, which may have come from anybody, so only a
// bare file name is taken. Paths are cp1251.
#pragma once

#include <string>
#include <vector>

// Raises EditorError naming it unless `name` is a bare file name: not
// empty, not "." or "..", without "\", "/", a zero byte or another control
// character (below 0x20, or 0x7F). The message shows control characters
// escaped ("\n", "\x1B").
void RequireBareFileName(const std::string& name);
// The paths of one extraction's files, `names` in `folder`, once every one
// was found fit before any is written: a bare file name, no two alike, and
// where an entry of the name is there already, a file that the write may
// replace (no link, no folder, nothing read-only). Raises EditorError naming
// the first that is not.
std::vector<std::string> ExtractionPaths(const std::string& folder,
                                         const std::vector<std::string>& names);
// Writes `content` as `folder` (with or without its trailing "\") and
// `name`, and returns the path. An earlier file of that name is replaced
// and has no execute bit afterwards; a symbolic link of that name is
// refused, never written through. Raises EditorError with the message of
// SaveStringToFile.
std::string WriteDocumentFile(const std::string& folder, const std::string& name,
                              const std::string& content);
