// ThreadSanitizer suppressions for programs that use Qt, compiled into
// every Qt executable of a ZOLVEK_TSAN build (the sanitizer asks the
// program for them at start-up, so child processes get them too).
//
// Qt is not built with the sanitizer: its own threads (the image
// conversion pool, the D-Bus thread of the X11 plugin) synchronise through
// futexes the sanitizer cannot see, so it reports races inside Qt that are
// none. The interceptors that Qt and the libraries under it call are
// ignored; the program's own code stays checked. libxcb takes its
// connection locks in either order on one thread and tears the connection
// down with one of them held.

extern "C" const char* __tsan_default_suppressions() {
  return "called_from_lib:libQt6Core.so.6\n"
         "called_from_lib:libQt6Gui.so.6\n"
         "called_from_lib:libQt6Widgets.so.6\n"
         "called_from_lib:libQt6DBus.so.6\n"
         "called_from_lib:libQt6XcbQpa.so.6\n"
         "called_from_lib:libdbus-1.so.3\n"
         "called_from_lib:libglib-2.0.so.0\n"
         "deadlock:libxcb.so.1\n"
         "mutex:libxcb.so.1\n";
}
