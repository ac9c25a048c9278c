// FrustumBench.cpp — the per-frame culling work: frustum extraction and box/sphere tests over a
// terrain-sized grid of parts.
#include "core/Frustum.h"
#include "core/VectMath.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr int GridSide = 32;      // a quadtree's leaves over a 4400-unit map
constexpr float CellSize = 137.5f;

TFrustum ViewFromAbove() {
  TMatrix projection, view;
  MatrixPerspective(45.0f, 4.0f / 3.0f, 0.1f, 700.0f, projection);
  MatrixIdentity(view);
  MatrixRotate(view, -70.0f, 1, 0, 0);
  MatrixTranslate(view, -2200.0f, -2200.0f, -400.0f);
  TFrustum frustum;
  frustum.CalculateFrustum(projection, view);
  return frustum;
}

void BM_CalculateFrustum(benchmark::State& state) {
  TMatrix projection, view;
  MatrixPerspective(45.0f, 4.0f / 3.0f, 0.1f, 700.0f, projection);
  MatrixIdentity(view);
  TFrustum frustum;
  for (auto _ : state) {
    frustum.CalculateFrustum(projection, view);
    benchmark::DoNotOptimize(frustum);
  }
}
BENCHMARK(BM_CalculateFrustum);

void BM_BoxCullTerrainGrid(benchmark::State& state) {
  TFrustum frustum = ViewFromAbove();
  struct TBox {
    TVector Corners[8];
  };
  std::vector<TBox> boxes;
  for (int y = 0; y < GridSide; ++y)
    for (int x = 0; x < GridSide; ++x) {
      const float x0 = x * CellSize, y0 = y * CellSize, x1 = x0 + CellSize, y1 = y0 + CellSize;
      boxes.push_back({{{x0, y0, 0}, {x1, y0, 0}, {x1, y1, 0}, {x0, y1, 0},
                        {x0, y0, 400}, {x1, y0, 400}, {x1, y1, 400}, {x0, y1, 400}}});
    }
  for (auto _ : state) {
    int visible = 0;
    for (const auto& b : boxes)
      visible += frustum.BoxInFrustum(b.Corners) ? 1 : 0;
    benchmark::DoNotOptimize(visible);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(boxes.size()));
}
BENCHMARK(BM_BoxCullTerrainGrid);

}  // namespace
