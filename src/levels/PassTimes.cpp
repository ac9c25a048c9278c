// PassTimes.cpp — per-pass frame timing for measurement runs.
#include "levels/PassTimes.h"

#include "platform/Clock.h"
#include "platform/GLTable.h"

#include <cstdio>

namespace {

constexpr std::array<const char*, static_cast<size_t>(TPass::Count)> PassNames = {
    "shadows", "clear", "terrain", "sky", "actors", "effects", "flare", "hud"};

// The first frame is left out of the slowest: the driver compiles most of its shaders then, and
// that frame belongs to the load (--load-time).
constexpr int64_t FirstCandidate = 2;

}  // namespace

TPassTimes::TPassTimes() : TPassTimes(SystemClock()) {}

TPassTimes::TPassTimes(TClockSource& clock) : Clock(clock) {}

double TPassTimes::Total(const TPassMs& ms) {
  double total = 0;
  for (const double pass : ms) total += pass;
  return total;
}

bool TPassTimes::CurrentIsSlowest() const { return SlowestFrame == 0 || Total(Current) > Total(Slowest); }

double TPassTimes::TicksToMs(int64_t ticks) const {
  int64_t frequency = 0;
  if (!Clock.QueryFrequency(frequency) || frequency <= 0) return 0;
  return static_cast<double>(ticks) * 1000.0 / static_cast<double>(frequency);
}

void TPassTimes::BeginFrame() {
  if (Frames >= FirstCandidate && CurrentIsSlowest()) {
    Slowest = Current;
    SlowestFrame = Frames;
  }
  Current = {};
  GL.Finish();
  Last = Clock.QueryCounter();
  ++Frames;
}

void TPassTimes::Mark(TPass pass) {
  if (Last < 0) return;
  GL.Finish();
  const int64_t now = Clock.QueryCounter();
  const double ms = TicksToMs(now - Last);
  Ms[static_cast<size_t>(pass)] += ms;
  Current[static_cast<size_t>(pass)] += ms;
  Last = now;
}

std::string TPassTimes::Table() const {
  const double total = Total(Ms);
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
  table += line;
  if (Frames < FirstCandidate) return table;
  // The frame still being timed counts too: the table is usually asked for after the last.
  const bool currentSlowest = CurrentIsSlowest();
  const TPassMs& slowest = currentSlowest ? Current : Slowest;
  std::snprintf(line, sizeof line, "pass slowest  %7.2f ms in frame %lld:", Total(slowest),
                static_cast<long long>(currentSlowest ? Frames : SlowestFrame));
  table += line;
  for (size_t k = 0; k < slowest.size(); ++k) {
    std::snprintf(line, sizeof line, " %s %.2f", PassNames[k], slowest[k]);
    table += line;
  }
  return table + "\n";
}
