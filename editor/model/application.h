// What the editor's routines need of the application object: its title,
// the caption of every message box, and the running executable.
#pragma once

#include <string>

const std::string& ApplicationTitle();
void SetApplicationTitle(const std::string& title);
// The running executable's path (cp1251); raises EditorError, naming it,
// when it has no exact cp1251 form.
std::string ApplicationExeName();
