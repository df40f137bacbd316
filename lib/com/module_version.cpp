// The module's version resource, read by GetFileVersionInfoA: the editor's
// about box shows the version of the module it would load.
#include "platform/shell/version_resource.h"

TARVEX_VERSION_RESOURCE(TARVEX_VERSION_MAJOR, TARVEX_VERSION_MINOR, TARVEX_VERSION_PATCH, 0);
