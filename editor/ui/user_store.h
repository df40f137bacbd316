// Where the editor's settings live, and the folder it offers for packages.
// The ini file lies beside the program while its user may write the
// program's folder (a build). Where the user may not (an install owned by
// root), the first write makes the user's own copy from it, and from then
// on that copy is read and written, by every copy of the editor the user
// starts, while the file beside the program stays as it was. Packages are
// offered the program's folder while the user may write it, else the
// desktop's documents folder or the home folder. Paths are cp1251.
#pragma once

#include <string>

// True when the process may make and replace files in `folder`, judged by
// its effective ids, as the kernel will judge the write.
bool MayWriteFolder(const std::string& folder);

// The user's copy of the ini file `ini`: "<application data>/<ini name
// without extension>/settings/<ini name>". The folder lies beside the work
// folders of the program of that name, which none of them reaches, and no
// removal of work folders takes it for one. Empty without an
// application-data folder.
std::string UserIniCopy(const std::string& ini);
// The file that holds the settings of `ini`: the user's copy once it
// exists, whatever `ini` holds; else `ini`.
std::string IniToRead(const std::string& ini);
// The file a write of `ini` goes to, in `target`: the user's copy once it
// exists; `ini` while its folder may be written, or is no existing folder;
// otherwise the user's copy, made now from `ini` (empty when that cannot be
// read) with its folders, so that it starts with the values read so far.
// False and the last error when the copy cannot be made; `ini` itself is
// never changed then.
bool IniToWrite(const std::string& ini, std::string& target);

// The folder offered for formed packages: `program_folder` while it may be
// written, else the desktop's documents folder when it exists, else the
// home folder; `program_folder` when neither exists.
std::string DefaultOutFolder(const std::string& program_folder);
