// The checks an archive passes before anything of its entries' data is
// read: one end record, a directory that reads, names that are bare file
// names of code page 1251, each once, and entries whose bytes lie apart
// and whose local headers agree with the directory. Each refuses with a
// message naming the archive's label or the entry at fault.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lib/package/os_abbrevia_tool.h"
#include "lib/package/zip_directory.h"

// A compression method as a message names it: "deflate, код 8".
std::string MethodName(int32_t method);

// The archive's directory of `count` entries, in libzip's order with their
// raw names; refused when the archive holds another end record, by which
// libzip or another reader would see other entries than those checked.
ZipDirectory ReadDirectory(const std::string& label, uint64_t archive_size,
                           const ZipReadAt& read_at, int count);
// Refuses the archive unless its entries lie apart from one another and
// from the directory and their local headers agree with it: until then
// nothing of an entry's data is read.
void CheckLayout(const std::string& label, const ZipDirectory& directory, uint64_t archive_size,
                 const ZipReadAt& read_at);
// The entries of the directory, named as the package names its files.
// Other zip writers store a name beyond ASCII in UTF-8 and say so (general
// purpose bit 11); such a name is read in code page 1251, and refused,
// shown as far as it converts, when it has no form there.
std::vector<ZipEntry> NamedEntries(const ZipDirectory& directory);
// Refuses, as NamedEntries does, a name flagged as UTF-8 without a form in
// code page 1251, when the archive's directory reads: libzip refuses an
// archive whose flagged name is not UTF-8 at all as inconsistent, without
// naming the entry.
void CheckFlaggedNames(uint64_t archive_size, const ZipReadAt& read_at);
// Refuses a name that is not a bare file name of printable bytes, and a
// name given twice.
void CheckNames(const std::vector<ZipEntry>& entries);
