// HugePages.cpp — the restart with glibc's huge-page tunable.
#include "platform/HugePages.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

namespace {

constexpr char TunablesVariable[] = "GLIBC_TUNABLES";
constexpr char HugePageTunable[] = "glibc.malloc.hugetlb";
// Blocks up to 32 MiB come from the heap rather than from mappings of their own, and up to
// 64 MiB of freed heap stays mapped: a load allocates and frees many image-sized blocks, and
// each fresh mapping would fault its pages in again. Halves a mission load's page faults.
constexpr char HeapTunables[] = ":glibc.malloc.mmap_threshold=33554432:glibc.malloc.trim_threshold=67108864";

}  // namespace

void PreferHugePages(char** argv) {
  const char* tunables = std::getenv(TunablesVariable);
  if (tunables && std::strstr(tunables, HugePageTunable)) return;  // decided already, or restarted
  // Debuggers' and profilers' preloads would not follow the restart.
  if (const char* preload = std::getenv("LD_PRELOAD"); preload && *preload) return;
  std::string value = tunables && *tunables ? std::string(tunables) + ":" : std::string();
  value += std::string(HugePageTunable) + "=1" + HeapTunables;
  if (setenv(TunablesVariable, value.c_str(), 1) != 0) return;
  execv("/proc/self/exe", argv);
  // The restart failed: the program goes on as it is, with ordinary pages.
}
