// The editor's folders in the user's application-data folder, named after
// the executable, and the making and checking of folders. Each running copy
// of the editor writes the documents it views into a work folder of its
// own there, which it holds locked while it runs: closing one copy, or
// clearing what copies left behind, never takes another copy's files. The
// settings folder beside them is no work folder. Paths are cp1251.
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

// A folder held open with an exclusive whole-file lock on it. The kernel
// drops the lock with the process however the process ends, so a lock that
// can be taken means that no running copy holds the folder.
class TFolderLock {
 public:
  TFolderLock() = default;
  ~TFolderLock() { Unlock(); }
  TFolderLock(const TFolderLock&) = delete;
  TFolderLock& operator=(const TFolderLock&) = delete;

  // Locks `folder` (never through a symbolic link), waiting for the holder
  // to let go when `wait` is set, else failing at once while it is held.
  // False and the last error when the folder cannot be opened or locked.
  bool Lock(const std::string& folder, bool wait);
  void Unlock();

 private:
  int fd_ = -1;
};

// The work folder of one running copy:
// "<application data>/<executable name>/work-XXXXXX/", made at the first
// need, locked until it goes.
class TWorkFolder {
 public:
  TWorkFolder() = default;
  // What was written goes with the folder.
  ~TWorkFolder();
  TWorkFolder(const TWorkFolder&) = delete;
  TWorkFolder& operator=(const TWorkFolder&) = delete;

  // The folder with its trailing "/", made now when it is not yet. Raises
  // EditorError when there is no absolute application-data folder or the
  // folder cannot be made or locked.
  const std::string& Path();
  // Deletes the files written into the folder, the folder itself when it is
  // then empty, and lets go of it; the next Path makes another.
  void Remove();

 private:
  std::string path_;
  TFolderLock lock_;
};

// Deletes the files and the folder of every work folder of the executable
// that no running copy holds: the leftovers of copies that ended without
// closing. A folder that cannot be locked, for whatever reason, stays.
void RemoveLeftoverWorkFolders();
