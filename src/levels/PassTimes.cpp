// PassTimes.cpp — per-pass frame timing for measurement runs.
#include "levels/PassTimes.h"

#include "platform/Clock.h"
#include "platform/GLTable.h"

#include <cstdio>

namespace {

constexpr std::array<const char*, static_cast<size_t>(TPass::Count)> PassNames = {
    "shadows", "clear", "terrain", "sky", "actors", "effects", "flare", "hud"};

double TicksToMs(int64_t ticks) {
  int64_t frequency = 0;
  if (!SystemClock().QueryFrequency(frequency) || frequency <= 0) return 0;
  return static_cast<double>(ticks) * 1000.0 / static_cast<double>(frequency);
}

}  // namespace

void TPassTimes::BeginFrame() {
  GL.Finish();
  Last = SystemClock().QueryCounter();
  ++Frames;
}

void TPassTimes::Mark(TPass pass) {
  if (Last < 0) return;
  GL.Finish();
  const int64_t now = SystemClock().QueryCounter();
  Ms[static_cast<size_t>(pass)] += TicksToMs(now - Last);
  Last = now;
}

std::string TPassTimes::Table() const {
  double total = 0;
  for (const double ms : Ms) total += ms;
  std::string table;
  char line[96];
  for (size_t k = 0; k < Ms.size(); ++k) {
    const double perFrame = Frames > 0 ? Ms[k] / static_cast<double>(Frames) : 0;
    const double share = total > 0 ? 100.0 * Ms[k] / total : 0;
    std::snprintf(line, sizeof line, "pass %-8s %7.2f ms a frame %5.1f%%\n", PassNames[k], perFrame, share);
    table += line;
  }
  std::snprintf(line, sizeof line, "pass all      %7.2f ms a frame over %lld frames\n",
                Frames > 0 ? total / static_cast<double>(Frames) : 0, static_cast<long long>(Frames));
  return table + line;
}
