// The save sequence of the registration packets: the parties, the package
// name, and a fresh signed inventory in place of the previous one.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "editor/model/packet.h"

// The inventory file exists only during the call and is deleted also when
// it fails; the previous inventory stays until the new one is signed in the
// package, and a later failure leaves the package as far as it got.
void SaveRegistrationPacket(TPacket& packet, const std::string& path);
// "<prefix>_YYYYMMDD_<guid>.xml" with the local date of now, in
// `InventoryFileName`.
void MakeRegistrationInventoryName(TPacket& packet, const std::string& prefix);
// "ZUK_<sender>_<receiver>_<guid>_<kind>_01_<doc type>.zip" in
// `PackageFileName`.
void MakeRegistrationPackageName(TPacket& packet, const std::string& kind);
// Closes the package when open and starts a new one for `transaction`.
void NewRegistrationPackage(TPacket& packet, TRANSACTION_TYPES transaction);
// The first empty field of `checks` puts its text in `message`: false.
bool CheckRequiredFields(const std::vector<std::pair<const std::string*, const char*>>& checks,
                         std::string& message);
