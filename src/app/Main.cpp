// Main.cpp — the game's entry point.
#include "app/Program.h"
#include "platform/HugePages.h"
#include "platform/SoftwareFiltering.h"

int main(int argc, char** argv) {
  PreferHugePages(argv);
  PreferFastSoftwareFiltering();
  return RunProgram(argc, argv);
}
