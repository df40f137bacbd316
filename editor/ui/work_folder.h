// The editor's folders in the user's application-data folder, named after
// the executable: the work folder where package documents are written to be
// viewed, and the making and checking of folders. Paths are cp1251.
#pragma once

#include <string>

// "<application data>/<name>/", whether it exists or not. Raises
// EditorError when there is no absolute application-data folder.
std::string AppDataFolder(const std::string& name);
// Makes every missing level of `folder` with mode 0700 (only the user reads
// it); false and the last error when one cannot be made.
bool MakeFolders(const std::string& folder);
// True when the path names an existing folder.
bool FolderExists(const std::string& path);

// "<application data>/<executable name>/", made with every missing level.
// Raises EditorError when there is no absolute application-data folder or
// the folder cannot be made.
std::string GetWorkFolder();
