// The creatable classes of the library module, in the order their factories
// are made and registered.
#pragma once

#include <span>

#include "lib/com/auto_object_factory.h"

std::span<const AutoClassEntry> ServerClasses();
