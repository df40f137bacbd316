// The name of the transport description inside every package archive,
// apart from the package itself, so that what names the package's files
// (tarvex_file_names.h, package_names.h) needs nothing of the package.
#pragma once

inline constexpr char kPackageDescriptionFile[] = "packageDescription.xml";
