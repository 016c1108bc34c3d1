// A stand-in for libudev.so.1 that lacks most entry points, for the one case
// umockdev cannot make: a library that loads but is incomplete. The binding
// must then count as not loaded.

struct udev {};

extern "C" {
udev* udev_new() { return new udev; }
udev* udev_unref(udev* u) {
  delete u;
  return nullptr;
}
}
