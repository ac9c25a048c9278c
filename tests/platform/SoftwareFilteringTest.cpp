// SoftwareFilteringTest.cpp — the software rasteriser's filtering choice, made in a child
// process each time so this program's own GL tests keep the environment they started with.
#include "platform/SoftwareFiltering.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace {

// Runs the choice in a child whose GALLIVM_PERF starts as `before` (unset when null); true when
// the child then sees `expected`.
bool ChildSees(const char* before, const char* expected) {
  const pid_t child = fork();
  if (child == 0) {
    if (before) setenv("GALLIVM_PERF", before, 1); else unsetenv("GALLIVM_PERF");
    PreferFastSoftwareFiltering();
    const char* after = std::getenv("GALLIVM_PERF");
    _exit(after && std::strcmp(after, expected) == 0 ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(SoftwareFiltering, AsksForTheCheaperFilteringUnlessThePlayerChose) {
  EXPECT_TRUE(ChildSees(nullptr, "brilinear,rho_approx"));
  // An empty value is a choice too: Mesa's exact filtering.
  EXPECT_TRUE(ChildSees("", ""));
  EXPECT_TRUE(ChildSees("no_quad_lod", "no_quad_lod"));
}

}  // namespace
