// TarvexEdit: the editor of registration packages.
#include "editor/ui/program_start.h"
#include "platform/shell/version_resource.h"

TARVEX_VERSION_RESOURCE(TARVEX_VERSION_MAJOR, TARVEX_VERSION_MINOR, TARVEX_VERSION_PATCH, 0);

int main(int argc, char** argv) { return RunEditor(argc, argv); }
