// ForgeMain.cpp — qforge OUTDIR [GENERATOR]: writes the game's data tree.
#include "content/Forge.h"
#include "core/Error.h"

#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "Usage: qforge OUTDIR [GENERATOR]\n");
    return 2;
  }
  try {
    const int written = RunForge(DefaultManifestPath(), argv[1], argc == 3 ? argv[2] : "");
    std::printf("qforge: %d files written to %s\n", written, argv[1]);
  } catch (const TFileError& e) {
    std::fprintf(stderr, "qforge: %s\n", e.what());
    return 1;
  }
  return 0;
}
