// ModelsTrooper.cpp — "bad3", the enemy trooper: a helmeted soldier with a glowing gas-mask
// visor and a rifle at the ready, facing +z. Animation 0 walks (a looping cycle), animation 1
// falls forward and ends lying on the ground. Every key frame is the same body built in a
// different pose, so all frames share their vertices and mapping.
#include "content/ArtPalette.h"
#include "content/Models.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr const char* Texture = "bad3";
const TAtlas Atlas(256, 256);

// The game stands a trooper's origin 5 above the ground; the soles are at y = -5.
constexpr float HipY = 1.0f;  // pelvis height in the standing pose
constexpr float ThighLength = 3.0f, ShinLength = 2.9f, HipX = 0.85f;
constexpr float ShoulderX = 1.55f, ShoulderY = 3.6f, UpperArm = 2.0f, Forearm = 1.9f;
constexpr float Degree = 3.14159265f / 180;

constexpr int UniformRegion[4] = {4, 4, 120, 120};
constexpr int TorsoRegion[4] = {132, 4, 120, 120};
constexpr int HelmetRegion[4] = {4, 132, 120, 56};
constexpr int MaskRegion[4] = {132, 132, 120, 56};
constexpr int BootRegion[4] = {4, 196, 120, 56};
constexpr int RifleRegion[4] = {132, 196, 120, 56};

TUvRect Rect(const int (&r)[4]) { return Atlas.Rect(r[0], r[1], r[2], r[3]); }

struct TPose {
  TVector Pelvis{0, HipY, 0};
  float BodyPitch = 0;   // the whole body about the hips, top toward +z
  float TorsoPitch = 0;  // the torso on the pelvis, top toward +z
  float Thigh[2] = {0, 0};  // left, right: positive swings the foot toward +z
  float Knee[2] = {5 * Degree, 5 * Degree};  // bend, the foot going back
  float HeadPitch = 0;
  float ArmsPitch = 0;  // rifle and hands about the shoulder line: negative raises them overhead
  float ArmsLift = 0;   // and moved toward the back (-z of the torso)
};

// A limb hanging down from the current origin, swung by `swing` (foot toward +z).
void Swing(TModel& m, float swing) { m.RotateX(-swing); }

// Elbow for a shoulder-to-hand reach, bent down and out.
TVector Elbow(const TVector& shoulder, const TVector& hand, float side) {
  const TVector d = hand - shoulder;
  const float dist = std::min(std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z), UpperArm + Forearm - 0.01f);
  const TVector along = d * (1 / dist);
  const float x = (UpperArm * UpperArm - Forearm * Forearm + dist * dist) / (2 * dist);
  const float h = std::sqrt(std::max(0.0f, UpperArm * UpperArm - x * x));
  TVector pole{side * 0.6f, -1.0f, -0.3f};
  const float k = pole.x * along.x + pole.y * along.y + pole.z * along.z;
  pole = pole - along * k;
  const float pl = std::sqrt(pole.x * pole.x + pole.y * pole.y + pole.z * pole.z);
  return shoulder + along * x + pole * (h / pl);
}

void BuildLeg(TModel& m, float side, float thigh, float knee) {
  m.Push();
  m.Translate({side * HipX, 0, 0});
  Swing(m, thigh);
  m.Cylinder({0, 0.2f, 0}, {0, -ThighLength, 0}, 0.62f, 0.5f, 8, Rect(UniformRegion));
  m.Translate({0, -ThighLength, 0});
  Swing(m, -knee);
  m.Cylinder({0, 0.1f, 0}, {0, -ShinLength + 0.5f, 0}, 0.5f, 0.42f, 8, Rect(UniformRegion));
  m.Box({-0.5f, -ShinLength - 0.1f, -0.6f}, {0.5f, -ShinLength + 0.9f, 1.1f}, 0.18f, Rect(BootRegion));
  m.Pop();
}

void BuildTorso(TModel& m, const TPose& pose) {
  m.Push();
  m.RotateX(pose.TorsoPitch);
  // Chest and belly as a loft of rounded sections, capped at the shoulders.
  constexpr float Sections[][4] = {{0.2f, 1.05f, 0.72f, 0.0f},
                                   {1.4f, 1.2f, 0.8f, 0.05f},
                                   {2.7f, 1.5f, 0.92f, 0.1f},
                                   {3.6f, 1.55f, 0.85f, 0.05f},
                                   {4.1f, 0.9f, 0.55f, 0.0f}};
  std::vector<std::vector<TVector>> rings;
  for (const auto& s : Sections) {
    std::vector<TVector> ring = EllipseRing(10, {0, 0, 0}, s[1], s[2], s[2], 2.6f);
    // The ring lies in XY; turn it to lie across the body's height.
    for (TVector& p : ring) p = {p.x, s[0], p.y + s[3]};
    rings.push_back(ring);
  }
  TLoftOptions o;
  o.CapStart = true;
  o.CapEnd = true;
  o.Uv = Rect(TorsoRegion);
  m.Loft(rings, o);
  // Backpack.
  m.Box({-0.95f, 1.7f, -1.75f}, {0.95f, 3.5f, -0.6f}, 0.2f, Rect(BootRegion));

  // Head: a gas mask under a helmet, on a short neck.
  m.Push();
  m.Translate({0, 4.6f, 0.05f});
  m.RotateX(pose.HeadPitch);
  m.Lathe({{0, -0.5f}, {0.45f, -0.45f}, {0.72f, 0.1f}, {0.75f, 0.7f}, {0.5f, 1.15f}, {0, 1.3f}}, 10, Rect(MaskRegion));
  m.Lathe({{0, 0.45f}, {1.12f, 0.45f, true}, {1.0f, 0.75f, true}, {0.92f, 1.2f}, {0.6f, 1.6f}, {0, 1.75f}}, 10,
          Rect(HelmetRegion));
  m.Cylinder({0, 0.2f, 0.55f}, {0, -0.05f, 1.05f}, 0.3f, 0.26f, 8, Rect(HelmetRegion));  // filter canister
  m.Pop();

  // The rifle at the ready along the right side, and both arms holding it; a falling trooper
  // flings rifle and arms up over his head, so nothing ends up below the ground.
  const TVector pivot{0, ShoulderY, 0};
  const TXform arms = TXform::Translation(pivot + TVector{0, 0, pose.ArmsLift}) * TXform::RotationX(pose.ArmsPitch) *
                      TXform::Translation(pivot * -1.0f);
  const float rx = -0.45f;
  m.Push();
  m.Transform(arms);
  m.Box({rx - 0.22f, 2.1f, -0.9f}, {rx + 0.22f, 2.75f, 0.7f}, 0.1f, Rect(RifleRegion));
  m.Box({rx - 0.18f, 2.35f, 0.7f}, {rx + 0.18f, 2.85f, 2.6f}, 0.08f, Rect(RifleRegion));
  m.Cylinder({rx, 2.65f, 2.6f}, {rx, 2.75f, 4.6f}, 0.12f, 0.12f, 6, Rect(RifleRegion));
  m.Pop();
  for (float side : {-1.0f, 1.0f}) {
    const TVector shoulder{side * ShoulderX, ShoulderY, 0};
    const TVector hand = arms.Point(side < 0 ? TVector{rx, 2.3f, 0.5f} : TVector{rx, 2.55f, 2.2f});
    const TVector elbow = Elbow(shoulder, hand, side);
    m.Push();  // shoulder pad
    m.Translate(shoulder);
    m.Lathe({{0, -0.55f}, {0.5f, -0.4f}, {0.62f, 0.0f}, {0.45f, 0.45f}, {0, 0.55f}}, 8, Rect(UniformRegion));
    m.Pop();
    m.Cylinder(shoulder, elbow, 0.46f, 0.38f, 7, Rect(UniformRegion));
    m.Cylinder(elbow, hand, 0.38f, 0.3f, 7, Rect(UniformRegion));
  }
  m.Pop();
}

void BuildTrooper(TModel& m, const TPose& pose) {
  m.Group(TextureGroup(Texture));
  m.Push();
  m.Translate(pose.Pelvis);
  m.RotateX(pose.BodyPitch);
  m.Box({-1.1f, -0.5f, -0.72f}, {1.1f, 0.7f, 0.72f}, 0.25f, Rect(UniformRegion));
  BuildLeg(m, 1, pose.Thigh[0], pose.Knee[0]);
  BuildLeg(m, -1, pose.Thigh[1], pose.Knee[1]);
  m.Translate({0, 0.5f, 0});
  BuildTorso(m, pose);
  m.Pop();
}

// Six key frames of a slow patrol walk: legs swing ahead and behind, the swinging leg's knee
// bends, and the body rises as the legs pass.
TPose WalkPose(int frame) {
  const float phase = frame * 60 * Degree;
  TPose p;
  const float swing = 14 * Degree * std::sin(phase);
  p.Thigh[0] = swing;
  p.Thigh[1] = -swing;
  p.Knee[0] = (4 + 30 * std::max(0.0f, std::cos(phase))) * Degree;
  p.Knee[1] = (4 + 30 * std::max(0.0f, -std::cos(phase))) * Degree;
  p.Pelvis.y = HipY - 0.25f + 0.22f * std::fabs(std::cos(phase));
  p.TorsoPitch = 6 * Degree;
  return p;
}

// Hit, knees give way, fall forward onto the front, lie still.
TPose FallPose(int frame) {
  struct TKey {
    float Y, Z, Body, Torso, Thigh, Knee, Head, Arms, Lift;
  };
  constexpr TKey Keys[] = {{HipY, 0.0f, 0, 6, 0, 5, 0, 0, 0},
                           {HipY - 0.3f, -0.3f, 0, -18, 4, 22, -15, -25, 0},
                           {HipY - 1.6f, 0.2f, 8, 10, 45, 80, 10, -15, 0},
                           {HipY - 2.8f, -0.4f, 45, 10, 55, 95, 15, -45, -0.3f},
                           {HipY - 4.0f, -0.9f, 78, 6, 12, 45, 10, -80, -0.6f},
                           {HipY - 4.9f, -0.6f, 90, 0, 2, 12, -25, -95, -0.9f}};
  const TKey& k = Keys[frame];
  TPose p;
  p.Pelvis = {0, k.Y, k.Z};
  p.BodyPitch = k.Body * Degree;
  p.TorsoPitch = k.Torso * Degree;
  p.Thigh[0] = p.Thigh[1] = k.Thigh * Degree;
  p.Knee[0] = k.Knee * Degree;
  p.Knee[1] = (k.Knee + 10) * Degree;
  p.HeadPitch = k.Head * Degree;
  p.ArmsPitch = k.Arms * Degree;
  p.ArmsLift = k.Lift;
  return p;
}

constexpr int WalkFrames = 6, FallFrames = 6;

// ---- Paint ------------------------------------------------------------------------------------

const TColor Uniform = Rgb(70, 74, 78);
const TColor UniformDark = Rgb(44, 48, 54);

TSurface PaintUniform(float s, float t) {
  const float fold = Grime(s * 3, t * 3, 3, 801);
  return {Weathered(Mix(UniformDark, Uniform, fold), 0.3f * Smoothstep(0.3f, 0.0f, t)), 0.8f * fold, 0};
}

TSurface PaintTorso(float s, float t) {
  // Webbing: a belt at the waist and crossing straps, with an ember armband stripe.
  TSurface out = PaintUniform(s, t);
  if (t < 0.12f) out.Color = Palette::Ink;
  const float strap = std::min(std::fabs(s - t * 0.5f - 0.2f), std::fabs(s + t * 0.5f - 0.8f));
  if (strap < 0.035f) out.Color = Rgb(60, 52, 40), out.Height = 1;
  if (t > 0.78f && t < 0.84f) out.Color = Palette::Blood;
  return out;
}

TSurface PaintHelmet(float s, float t) {
  TColor c = Mix(Palette::SteelDark, Palette::Steel, 0.3f * Grime(s * 4, t * 2, 2, 811));
  if (t > 0.5f && t < 0.58f) c = Palette::Blood;
  return {c, 0, 0};
}

TSurface PaintMask(float s, float t) {
  // Two round lenses glowing ember at the front (s near 0 and 1 is +z), rubber elsewhere.
  const float front = std::min(s, 1 - s);
  TColor c = Rgb(34, 34, 38);
  const float lens = std::hypot(std::fabs(front) * 6 - 0.45f, (t - 0.62f) * 5);
  if (lens < 0.32f) return {Mix(Palette::Amber, Palette::Ember, lens * 3), -1, 1};
  return {c, 0, 0};
}

TSurface PaintBoot(float s, float t) { return {Weathered(Rgb(34, 30, 28), 0.3f * Grime(s, t, 3, 821)), 0, 0}; }

TSurface PaintRifle(float s, float t) { return {Mix(Palette::Ink, Rgb(64, 50, 40), Smoothstep(0.4f, 0.6f, t)), 0, 0}; }

}  // namespace

TMsh MeshBad3() {
  std::vector<std::vector<TModel>> frames(2);
  for (int f = 0; f < WalkFrames; ++f) BuildTrooper(frames[0].emplace_back(), WalkPose(f));
  for (int f = 0; f < FallFrames; ++f) BuildTrooper(frames[1].emplace_back(), FallPose(f));
  return BuildAnimatedMesh(frames, "bad3");
}

TPaintedTexture PaintBad3() {
  auto region = [](const int (&r)[4], TSurfacePainter p) { return TAtlasRegion{r[0], r[1], r[2], r[3], p}; };
  return PaintAtlas(Atlas,
                    {region(UniformRegion, PaintUniform), region(TorsoRegion, PaintTorso),
                     region(HelmetRegion, PaintHelmet), region(MaskRegion, PaintMask), region(BootRegion, PaintBoot),
                     region(RifleRegion, PaintRifle)},
                    {Uniform, 0, 0}, 0.5f, 801);
}
