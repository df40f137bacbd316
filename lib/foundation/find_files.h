// The entries of a folder as the platform's FindFirst/FindNext give them:
// files always, folders only when FILE_ATTRIBUTE_DIRECTORY is asked for,
// hidden and system entries only when asked for.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/kernel/find_file.h"

std::vector<FindData> FindFiles(const std::string& pattern, uint32_t attributes);
