// Dates of the chain and revocation checks: OLE automation dates (days
// since 1899-12-30, the time of day as the fraction) in local time. Every
// file time read from a certificate or a CRL goes through
// FileTimeToDateTime (lib/foundation/file_time.h), and so does the clock.
#pragma once

#include <string>

// Now, by the local clock.
double LocalNow();
// The short date and the long time of the system settings, "dd.mm.yyyy
// h:mm:ss"; the time is left out at midnight.
std::string DateTimeText(double date);
// The short date alone, "dd.mm.yyyy".
std::string DateText(double date);
