#pragma once
// The one main of the tests that need a GUI application: the offscreen
// platform unless one was chosen (test discovery runs binaries without the
// test environment), a private runtime directory so that virtual ports
// registered here are seen by nothing else, the application's name, then
// every test. A binary with its own main calls it after its own set-up.

namespace test_support {

int RunGuiTests(int argc, char** argv);

}  // namespace test_support
