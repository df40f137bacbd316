// CTempFolder: a private folder under TMP, named by a new GUID and open to
// its owner only (0700), that goes with its content when the object goes,
// whatever ended the work that used it.
#pragma once

#include <string>

class CTempFolder {
 public:
  // Creates the folder; raises, leaving nothing behind, when it cannot.
  CTempFolder();
  ~CTempFolder();

  CTempFolder(const CTempFolder&) = delete;
  CTempFolder& operator=(const CTempFolder&) = delete;

  // With a trailing separator.
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};
