#include "tests/support/GuiTestMain.h"

int main(int argc, char** argv) { return test_support::RunGuiTests(argc, argv); }
