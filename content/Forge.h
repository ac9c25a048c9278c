// Forge.h — the content forge: writes the game's whole data tree from code and fixed seeds.
#pragma once

#include <string>
#include <vector>

struct TManifestEntry {
  std::string Path;       // relative to the game directory, "/"-separated
  std::string Generator;  // which generator makes it
};

// Reads the table of files; throws TFileError for a malformed line.
std::vector<TManifestEntry> ReadManifest(const std::string& path);

// Writes every entry (or only those of one generator) under outDir. Throws TFileError when a
// generator is unknown or fails. Returns the number of files written.
int RunForge(const std::string& manifestPath, const std::string& outDir,
             const std::string& onlyGenerator = {});

// The manifest compiled into the forge, found beside the sources.
std::string DefaultManifestPath();
