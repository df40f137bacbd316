// The folder where the editor writes package documents to be viewed: the
// user's application-data folder and the executable's name. Paths are
// cp1251.
#pragma once

#include <string>

// "<application data>/<executable name>/", made with every missing level
// (mode 0700, only the user reads it). Raises EditorError when there is no
// absolute application-data folder or the folder cannot be made.
std::string GetWorkFolder();
