// COsAbbreviaTool: the only code that calls the zip library. Package
// archives are flat: every entry is a bare file name, stored in code page
// 1251 as it is, and the order of entries carries no meaning.
#pragma once

#include <string>

#include "lib/foundation/base_class.h"

class COsAbbreviaTool : public CBaseClass {
 public:
  COsAbbreviaTool() = delete;

  // Extracts every entry of the archive into `target_folder`, or into a new
  // subfolder of it named by a braced GUID when `new_subfolder` is set, and
  // returns that folder with a trailing separator. Any failure is traced,
  // the folder is removed with what was written, and the result is empty.
  // An entry that is not a bare file name fails the extraction: it would
  // reach outside the folder.
  static std::string ExtractArchive(const std::string& target_folder,
                                    const std::string& archive_file, bool new_subfolder);
  // The one file of a zip archive held in `bytes`; "Неверное число файлов в
  // архиве: [%d]" when the archive holds another number of entries.
  static std::string UnzipString(const std::string& bytes);
  // Adds the files of `folder` matching `mask` under their bare names
  // (deflated) to the archive, made new when it does not exist; false when
  // the folder does not exist.
  static bool ZipFolder(const std::string& folder, const std::string& mask,
                        const std::string& archive_file);
};
