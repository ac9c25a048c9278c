// Main.cpp — the game's entry point.
#include "app/Program.h"
#include "platform/HugePages.h"

int main(int argc, char** argv) {
  PreferHugePages(argv);
  return RunProgram(argc, argv);
}
