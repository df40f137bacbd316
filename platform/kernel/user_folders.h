// The user's base folders by the XDG rules, for the stand-ins that keep
// files per user. Paths are UTF-8, without a trailing separator.
#pragma once

#include <string>

// An absolute $XDG_DATA_HOME, else $HOME/.local/share for an absolute
// $HOME. Relative values are ignored, as the XDG rules ask. Empty when
// neither gives a folder: callers fail then, rather than work below the
// file system root.
std::string UserDataHome();
// The same for $XDG_CONFIG_HOME and $HOME/.config.
std::string UserConfigHome();
// An absolute $HOME; empty otherwise.
std::string UserHome();
