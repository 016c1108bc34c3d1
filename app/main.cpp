// The program zolvek.

#include "app/ProgramBlock.h"

int main(int argc, char** argv) {
  app::TProgramObserver nobody;
  return app::RunProgram(argc, argv, nobody);
}
