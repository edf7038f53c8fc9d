// A module without the Registrator entry point.
extern "C" __attribute__((visibility("default"))) int NotARegistrator() { return 0; }
