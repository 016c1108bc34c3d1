// The program zolvek-bridge.

#include "bridge/BridgeProgram.h"

int main(int argc, char** argv) { return bridge::RunBridge(argc, argv); }
