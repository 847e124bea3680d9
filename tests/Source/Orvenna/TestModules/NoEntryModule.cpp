// A loadable plug-in without the module entry point: the host must refuse it.
extern "C" __attribute__((visibility("default"))) int NotAModuleEntry() { return 0; }
