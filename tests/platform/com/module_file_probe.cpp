// A module that the module path test loads from folders of its own choosing.
extern "C" __attribute__((visibility("default"))) int ModuleFileProbe() { return 1; }
