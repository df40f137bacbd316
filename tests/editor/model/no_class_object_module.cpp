// A loadable module that is no COM server: it lacks DllGetClassObject.
extern "C" __attribute__((visibility("default"))) int NotAComServer() { return 0; }
