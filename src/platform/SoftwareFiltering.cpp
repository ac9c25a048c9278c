// SoftwareFiltering.cpp — the llvmpipe tuning set before any context.
#include "platform/SoftwareFiltering.h"

#include <cstdlib>

namespace {

constexpr char PerformanceVariable[] = "GALLIVM_PERF";
constexpr char FastFiltering[] = "brilinear,rho_approx";

}  // namespace

// Called from main before any thread starts: setenv is not safe against concurrent getenv.
void PreferFastSoftwareFiltering() { setenv(PerformanceVariable, FastFiltering, 0); }
