// HugePagesTest.cpp — the start-up restart with glibc's malloc tunables, run for real: a child
// process calls it with this test program as the program to restart, and the restarted copy
// reports the environment it was started with.
#include "platform/HugePages.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr char ReportVariable[] = "QUINTARA_TEST_TUNABLES_REPORT";
constexpr char NotRestarted[] = "not restarted";

// Only does something in a restarted copy: writes the tunables it was given to the report file.
TEST(HugePages, RestartedCopyReportsItsTunables) {
  const char* report = std::getenv(ReportVariable);
  if (!report) GTEST_SKIP() << "runs only in a copy restarted by the tests below";
  std::ofstream(report) << (std::getenv("GLIBC_TUNABLES") ? std::getenv("GLIBC_TUNABLES") : "");
}

class HugePagesRestart : public ::testing::Test {
protected:
  void SetUp() override {
    char name[] = "/tmp/quintara-tunables-XXXXXX";
    const int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    close(fd);
    Report = name;
  }
  void TearDown() override { std::remove(Report.c_str()); }

  // In a child: sets the environment, asks for the restart into the reporting test, and writes
  // NotRestarted when the call returns. Returns what the report file then holds.
  std::string RunWith(const char* tunables, const char* preload) {
    const pid_t child = fork();
    if (child == 0) {
      setenv(ReportVariable, Report.c_str(), 1);
      if (tunables) setenv("GLIBC_TUNABLES", tunables, 1); else unsetenv("GLIBC_TUNABLES");
      if (preload) setenv("LD_PRELOAD", preload, 1); else unsetenv("LD_PRELOAD");
      char program[] = "test_platform";
      char filter[] = "--gtest_filter=HugePages.RestartedCopyReportsItsTunables";
      char* argv[] = {program, filter, nullptr};
      PreferHugePages(argv);
      std::ofstream(Report) << NotRestarted;
      _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::ifstream in(Report);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::string Report;
};

TEST_F(HugePagesRestart, AddsTheHugePageAndHeapTunablesAfterAnyAlreadySet) {
  const std::string fresh = RunWith(nullptr, nullptr);
  EXPECT_EQ(fresh.rfind("glibc.malloc.hugetlb=1:", 0), 0u) << fresh;
  EXPECT_NE(fresh.find("glibc.malloc.mmap_threshold="), std::string::npos) << fresh;
  EXPECT_NE(fresh.find("glibc.malloc.trim_threshold="), std::string::npos) << fresh;

  const std::string kept = RunWith("glibc.malloc.check=0", nullptr);
  EXPECT_EQ(kept.rfind("glibc.malloc.check=0:glibc.malloc.hugetlb=1:", 0), 0u) << kept;
}

TEST_F(HugePagesRestart, APlayersOwnChoiceOrAPreloadedToolMeansNoRestart) {
  EXPECT_EQ(RunWith("glibc.malloc.hugetlb=0", nullptr), NotRestarted);
  EXPECT_EQ(RunWith("glibc.malloc.hugetlb=1", nullptr), NotRestarted);  // what a restarted copy sees
  EXPECT_EQ(RunWith(nullptr, "libnothing.so"), NotRestarted);
}

}  // namespace
