// LevelHud.cpp — drawing the mission's HUD, the pause question, the bars, the veil and the
// loading bar.
#include "levels/LevelHud.h"

#include "actors/ActorUnit.h"
#include "actors/ActorWorld.h"
#include "core/Globals.h"
#include "core/Texture.h"
#include "levels/LevelUnit.h"
#include "render/GLSpriteUnit.h"
#include "render/GLTextUnit.h"
#include "render/GLVisualObjectUnit.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

// The display lists, by offset from Lists.
enum HudList : GLuint { RadarMaskList, RadarFrameList, EnergyList, MissileList, LetterboxList, HudListCount };

// Half-sizes of the signs in device coordinates of the 4:3 screen.
constexpr float RadarMapSize = 0.1f;
constexpr float RadarFrameSize = 0.115f;
constexpr float EnergySignSize = 0.05f;
constexpr float MissileSignSize = 0.04f;
// Where the energy and missile signs sit from the radar's centre.
constexpr float EnergySignDX = 0.2f;
constexpr float MissileSignDX = 1.72f;
constexpr float SignDY = 0.1f;

constexpr float RadarMapGrey = 0.5f;
constexpr float ObjectiveArrowWidth = 0.5f;  // of the radar's radius, across the arrow's end
constexpr float BlipPixelsPer640 = 1.0f;     // point size grows with the screen's width
constexpr float LetterboxEdge = 0.7f;        // the bars cover what lies beyond +-0.7

// The counters and the question on the 4:3 screen, in overlay units.
constexpr float CounterSize = 0.3f;
constexpr float CounterY = 4.0f;
constexpr float LivesX = -3.5f;
constexpr float MissilesX = 4.9f;
constexpr float CounterAlpha = 0.5f;
constexpr float CounterAdvance = 0.8f;  // the label's usual spacing
constexpr float ButtonY = -1.0f;
constexpr float YesButtonX = -0.7f;
constexpr float NoButtonX = 0.7f;
constexpr float ButtonWidth = 1.0f;
constexpr float ButtonHeight = 0.5f;
constexpr float YesCaptionDX = -0.35f;
constexpr float NoCaptionDX = -0.25f;
constexpr float CaptionDY = 0.1f;
constexpr float CaptionSize = 0.2f;
constexpr float QuestionX = -2.7f;
constexpr float QuestionY = 1.0f;
constexpr float QuestionSize = 0.4f;
constexpr float QuestionAdvance = 0.5f;
constexpr float QuestionAlpha = 0.6f;
// The notice (a screenshot saved) sits low on the left, clear of the radar and the counters.
constexpr float NoticeX = -5.2f;
constexpr float NoticeY = -3.7f;
constexpr float NoticeSize = 0.22f;
constexpr float NoticeAdvance = 0.55f;
constexpr float NoticeAlpha = 0.8f;
// Buttons below their captions.
constexpr uint8_t ButtonLayer = 0;
constexpr uint8_t TextLayer = 1;

// Loading bar: the groove and the red-to-orange fill, 5 units in front of the eye.
constexpr float LoadingBarDistance = 5.0f;
constexpr float LoadingBarHalfHeight = 0.1f;
constexpr float LoadingBarGrey = 0.25f;

bool Finite(const TVector& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

void BindTextureIndex(int32_t index) {
  if (index >= 0 && static_cast<size_t>(index) < Textures.size()) GL.BindTexture(GL_TEXTURE_2D, Textures[index]);
}

// The quad every sign is drawn with: (-1, -1) to (1, 1), the image once, counter-clockwise so
// that back-face culling keeps it.
void UnitQuad() {
  GL.Begin(GL_QUADS);
  GL.TexCoord2f(0, 0);
  GL.Vertex2f(-1, -1);
  GL.TexCoord2f(1, 0);
  GL.Vertex2f(1, -1);
  GL.TexCoord2f(1, 1);
  GL.Vertex2f(1, 1);
  GL.TexCoord2f(0, 1);
  GL.Vertex2f(-1, 1);
  GL.End();
}

void FlatQuad(float x0, float y0, float x1, float y1) {
  GL.Begin(GL_QUADS);
  GL.Vertex2f(x0, y0);
  GL.Vertex2f(x1, y0);
  GL.Vertex2f(x1, y1);
  GL.Vertex2f(x0, y1);
  GL.End();
}

void PushIdentityMatrices() {
  GL.MatrixMode(GL_PROJECTION);
  GL.PushMatrix();
  GL.LoadIdentity();
  GL.MatrixMode(GL_MODELVIEW);
  GL.PushMatrix();
  GL.LoadIdentity();
}

void PopMatrices() {
  GL.MatrixMode(GL_PROJECTION);
  GL.PopMatrix();
  GL.MatrixMode(GL_MODELVIEW);
  GL.PopMatrix();
}

float ScreenAspect() {
  if (ScreenWidth <= 0 || ScreenHeight <= 0) return HudReferenceAspect;
  return static_cast<float>(ScreenWidth) / static_cast<float>(ScreenHeight);
}

TGLLabel* MakeLabel(float x, float y, float size, float advance, float alpha, const std::string& caption) {
  auto* label = new TGLLabel(FontTexture, x, y, TextLayer);
  label->Size = size;
  label->Advance = advance;
  label->TextColor[3] = alpha;
  label->Caption = caption;
  return label;
}

TGLSprite* MakeButton(float x, float y) {
  auto* button = new TGLSprite(ButtonLayer, x, y, 0, ButtonWidth, ButtonHeight, 1.0f, 1, 1, 1, 1);
  button->AddFrame("btn.cna");
  button->Visible = false;
  button->Enabled = false;
  return button;
}

}  // namespace

TLevelHud::TLevelHud(const TQuestionTexts& texts) {
  // Every file first: a missing one stops the HUD before anything is made.
  RadarMaskTexture = LoadTexture("radmask.cna");
  RadarFrameTexture = LoadTexture("radbound.cna");
  EnergyTexture = LoadTexture("enrg.cna");
  MissileTexture = LoadTexture("rktsig.cna");
  LoadTexture("btn.cna");
  BuildLists();
  CreateOverlay(texts);
}

TLevelHud::~TLevelHud() {
  if (Lists != 0) GL.DeleteLists(Lists, HudListCount);
  // The running level is the overlay's only owner, so its HUD frees the whole list; a list
  // already freed by someone else leaves nothing to free twice.
  FreeOverlay();
}

void TLevelHud::CreateOverlay(const TQuestionTexts& texts) {
  LivesLabel = MakeLabel(LivesX, CounterY, CounterSize, CounterAdvance, CounterAlpha, "");
  MissilesLabel = MakeLabel(MissilesX, CounterY, CounterSize, CounterAdvance, CounterAlpha, "");
  QuitYesButton = MakeButton(YesButtonX, ButtonY);
  QuitNoButton = MakeButton(NoButtonX, ButtonY);
  QuitYesLabel = MakeLabel(YesButtonX + YesCaptionDX, ButtonY + CaptionDY, CaptionSize, QuestionAdvance,
                           QuestionAlpha, texts.Yes);
  QuitNoLabel = MakeLabel(NoButtonX + NoCaptionDX, ButtonY + CaptionDY, CaptionSize, QuestionAdvance, QuestionAlpha,
                          texts.No);
  QuitQuestionLabel = MakeLabel(QuestionX, QuestionY, QuestionSize, QuestionAdvance, QuestionAlpha,
                                texts.Question);
  NoticeLabel = MakeLabel(NoticeX, NoticeY, NoticeSize, NoticeAdvance, NoticeAlpha, "");
  NoticeLabel->Visible = false;
  ShowQuestion(false);
  PlaceCounters(ScreenAspect());
}

void TLevelHud::ShowNotice(const std::string& text, int32_t ms) {
  if (!NoticeLabel) return;
  NoticeLabel->Caption = text;
  NoticeMs = ms > 0 ? ms : 0;
  NoticeLabel->Visible = NoticeMs > 0;
}

// Counts the notice's time down by this frame's and keeps it where the screen's shape puts it.
void TLevelHud::UpdateNotice(float aspect) {
  if (!NoticeLabel || !NoticeLabel->Visible) return;
  NoticeMs -= static_cast<int32_t>(Counter.Elapsed);
  if (NoticeMs <= 0) {
    NoticeMs = 0;
    NoticeLabel->Visible = false;
    return;
  }
  const TLabelPlacement place =
      PlaceHudLabel(NoticeX, NoticeY, NoticeSize, aspect, ProjectionMatrix[0], ProjectionMatrix[5]);
  NoticeLabel->X = place.X;
  NoticeLabel->Y = place.Y;
  NoticeLabel->Size = place.Size;
}

void TLevelHud::BuildLists() {
  Lists = GL.GenLists(HudListCount);
  if (Lists == 0) return;

  // The mask writes 1 into the stencil wherever its image is not fully transparent; the map
  // drawn next shows only there.
  GL.NewList(Lists + RadarMaskList, GL_COMPILE);
  GL.Disable(GL_LIGHTING);
  GL.Disable(GL_DEPTH_TEST);
  GL.Enable(GL_ALPHA_TEST);
  GL.AlphaFunc(GL_GREATER, 0.0f);
  GL.Enable(GL_STENCIL_TEST);
  GL.StencilFunc(GL_ALWAYS, 1, 1);
  GL.StencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
  GL.ColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
  BindTextureIndex(RadarMaskTexture);
  UnitQuad();
  GL.ColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  GL.Disable(GL_ALPHA_TEST);
  GL.Disable(GL_STENCIL_TEST);
  GL.Enable(GL_LIGHTING);
  GL.Enable(GL_DEPTH_TEST);
  GL.EndList();

  // The frame is scaled up and down with the screen: linear filtering keeps its rim smooth.
  GL.NewList(Lists + RadarFrameList, GL_COMPILE);
  BindTextureIndex(RadarFrameTexture);
  GL.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  GL.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  GL.Disable(GL_LIGHTING);
  GL.Enable(GL_DEPTH_TEST);
  GL.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  GL.Enable(GL_BLEND);
  GL.Color3f(1, 1, 1);
  UnitQuad();
  GL.Enable(GL_LIGHTING);
  GL.Disable(GL_BLEND);
  GL.EndList();

  // The signs take the colour set before the call.
  const int32_t signTextures[2] = {EnergyTexture, MissileTexture};
  for (GLuint i = 0; i < 2; ++i) {
    GL.NewList(Lists + EnergyList + i, GL_COMPILE);
    GL.Disable(GL_LIGHTING);
    GL.Disable(GL_DEPTH_TEST);
    GL.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    GL.Enable(GL_BLEND);
    BindTextureIndex(signTextures[i]);
    UnitQuad();
    GL.Enable(GL_LIGHTING);
    GL.Enable(GL_DEPTH_TEST);
    GL.Disable(GL_BLEND);
    GL.EndList();
  }

  GL.NewList(Lists + LetterboxList, GL_COMPILE);
  PushIdentityMatrices();
  GL.Disable(GL_TEXTURE_2D);
  GL.Disable(GL_LIGHTING);
  GL.Disable(GL_DEPTH_TEST);
  GL.Color3f(0, 0, 0);
  FlatQuad(-1, -1, 1, -LetterboxEdge);
  FlatQuad(-1, LetterboxEdge, 1, 1);
  GL.Enable(GL_TEXTURE_2D);
  GL.Enable(GL_LIGHTING);
  GL.Enable(GL_DEPTH_TEST);
  PopMatrices();
  GL.EndList();
}

void TLevelHud::SetLives(int32_t lives) {
  if (LivesLabel) LivesLabel->Caption = std::to_string(lives);
}

void TLevelHud::SetMissiles(int32_t missiles) {
  if (MissilesLabel) MissilesLabel->Caption = std::to_string(missiles);
}

void TLevelHud::ShowQuestion(bool show) {
  for (TGLSprite* button : {QuitYesButton, QuitNoButton}) {
    button->Visible = show;
    button->Enabled = show;
  }
  for (TGLLabel* label : {QuitYesLabel, QuitNoLabel, QuitQuestionLabel}) label->Visible = show;
  LivesLabel->Visible = !show;
  MissilesLabel->Visible = !show;
}

void TLevelHud::PlaceCounters(float aspect) {
  const float projX = ProjectionMatrix[0], projY = ProjectionMatrix[5];
  const TLabelPlacement lives = PlaceHudLabel(LivesX, CounterY, CounterSize, aspect, projX, projY);
  const TLabelPlacement missiles = PlaceHudLabel(MissilesX, CounterY, CounterSize, aspect, projX, projY);
  LivesLabel->X = lives.X;
  LivesLabel->Y = lives.Y;
  LivesLabel->Size = lives.Size;
  MissilesLabel->X = missiles.X;
  MissilesLabel->Y = missiles.Y;
  MissilesLabel->Size = missiles.Size;
}

void TLevelHud::Draw(const THudView& view) {
  const float aspect = ScreenAspect();
  GL.MatrixMode(GL_PROJECTION);
  GL.PushMatrix();
  GL.LoadIdentity();
  GL.MatrixMode(GL_MODELVIEW);
  GL.LoadIdentity();
  GL.Enable(GL_TEXTURE_2D);  // the mask list draws its image

  DrawRadar(view, aspect);
  DrawSigns(view, aspect);

  GL.Enable(GL_LIGHTING);
  GL.Enable(GL_DEPTH_TEST);
  GL.MatrixMode(GL_PROJECTION);
  GL.PopMatrix();
  PlaceCounters(aspect);
  UpdateNotice(aspect);
  LoadMenuView();
  DrawOverlay();
}

void TLevelHud::Draw(const TLevel& level, const TActor& player) {
  TVector back;
  MatrixRotateVector({0, 0, 1}, player.Matrix, back);
  THudView view{.World = level, .Player = player, .Flight = -back};
  if (level.Surface) {
    const TMapExtent extent = MapExtent(*level.Surface);
    view.MapExtentX = extent.X;
    view.MapExtentY = extent.Y;
  }
  view.RadarTexture = level.RadarTexture;
  view.ObjectivePoint = level.ObjectivePoint;
  view.ObjectiveRadius = level.ObjectiveRadius;
  view.ShowObjective = level.ShowObjective != 0;
  Draw(view);
}

// The map turns under the round mask so that the flight points up; the objective arrow and
// the blips turn with it.
void TLevelHud::DrawRadar(const THudView& view, float aspect) {
  const TVector& p = view.Player.Position;
  if (!Finite(p)) return;
  const THudPlacement map = PlaceHudSign(RadarPosition.x, RadarPosition.y, RadarMapSize, aspect);
  GL.LoadIdentity();
  GL.Translatef(map.X, map.Y, 0);
  GL.Scalef(map.ScaleX, map.ScaleY, 0);
  GL.Rotatef(HeadingDegrees(view.Flight), 0, 0, 1);

  if (Lists != 0) GL.CallList(Lists + RadarMaskList);
  GL.Disable(GL_LIGHTING);
  GL.Disable(GL_DEPTH_TEST);
  GL.Disable(GL_BLEND);
  GL.Enable(GL_STENCIL_TEST);
  GL.StencilFunc(GL_EQUAL, 1, 1);
  GL.StencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
  BindTextureIndex(view.RadarTexture);
  GL.Color3f(RadarMapGrey, RadarMapGrey, RadarMapGrey);
  const TRadarWindow w = RadarWindow(p.x, p.y, view.MapExtentX, view.MapExtentY, RadarRange);
  GL.Begin(GL_QUADS);
  GL.TexCoord2f(w.S0, w.T0);
  GL.Vertex2f(-1, -1);
  GL.TexCoord2f(w.S1, w.T0);
  GL.Vertex2f(1, -1);
  GL.TexCoord2f(w.S1, w.T1);
  GL.Vertex2f(1, 1);
  GL.TexCoord2f(w.S0, w.T1);
  GL.Vertex2f(-1, 1);
  GL.End();
  GL.Disable(GL_STENCIL_TEST);
  GL.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  GL.Enable(GL_BLEND);

  GL.Disable(GL_TEXTURE_2D);
  if (view.ShowObjective) DrawObjective(view);
  DrawBlips(view);
  GL.Enable(GL_TEXTURE_2D);
}

// A triangle from the radar's centre to its rim, pointing at the objective.
void TLevelHud::DrawObjective(const THudView& view) const {
  const TVector& p = view.Player.Position;
  const TVector v{view.ObjectivePoint.x - p.x, view.ObjectivePoint.y - p.y, 0.0f};
  if (!Finite(v)) return;
  const float distance = VectorLength(v);
  if (distance <= 0.0f) return;
  TVector n;
  VectorNormalize(v, n);
  const TVector side{n.y * ObjectiveArrowWidth, -n.x * ObjectiveArrowWidth, 0.0f};
  GL.Color4f(1.0f, 0.2f, 0.2f, ObjectiveAlpha(distance, view.ObjectiveRadius, RadarRange));
  GL.Begin(GL_QUADS);
  GL.Vertex2f(0, 0);
  GL.Vertex2f(n.x + side.x, n.y + side.y);
  GL.Vertex2f(n.x - side.x, n.y - side.y);
  GL.Vertex2f(0, 0);
  GL.End();
}

void TLevelHud::DrawBlips(const THudView& view) const {
  if (!(RadarRange > 0.0f)) return;
  const TVector& p = view.Player.Position;
  GL.Disable(GL_BLEND);
  GL.PointSize(std::max(1.0f, BlipPixelsPer640 * static_cast<float>(ScreenWidth) / 640.0f));
  GL.Begin(GL_POINTS);
  GL.Color3f(1, 1, 1);
  GL.Vertex2f(0, 0);
  const TWorld& world = view.World;
  for (int32_t i = 0; i < world.ActorCount(); ++i) {
    const TActor* actor = world.Actors[i].get();
    if (!actor || actor == &view.Player || !Finite(actor->Position)) continue;
    const TVector d = actor->Position - p;
    const TBlip blip = ClassifyBlip(actor->State, actor->Side, view.Player.Side, VectorLength(d), RadarRange);
    if (blip == TBlip::None) continue;
    if (blip == TBlip::Friend)
      GL.Color3f(0, 1, 0);
    else
      GL.Color3f(1, 0, 0);
    GL.Vertex2f(d.x / RadarRange, d.y / RadarRange);
  }
  GL.End();
}

// The radar's frame, then the energy and missile signs beside it; the counters take the
// energy colour, and so does the missile sign, drawn straight after the energy sign.
void TLevelHud::DrawSigns(const THudView& view, float aspect) {
  if (Lists == 0) return;
  const THudPlacement frame = PlaceHudSign(RadarPosition.x, RadarPosition.y, RadarFrameSize, aspect);
  GL.LoadIdentity();
  GL.Translatef(frame.X, frame.Y, 0);
  GL.Scalef(frame.ScaleX, frame.ScaleY, 0);
  GL.Enable(GL_TEXTURE_2D);
  GL.CallList(Lists + RadarFrameList);

  const THudColor c = EnergyColor(view.Player.Life, view.Player.MaxLife);
  for (TGLLabel* label : {LivesLabel, MissilesLabel}) {
    label->TextColor[0] = c.R;
    label->TextColor[1] = c.G;
    label->TextColor[2] = c.B;
  }
  const THudPlacement energy =
      PlaceHudSign(RadarPosition.x + EnergySignDX, RadarPosition.y + SignDY, EnergySignSize, aspect);
  GL.LoadIdentity();
  GL.Translatef(energy.X, energy.Y, 0);
  GL.Scalef(energy.ScaleX, energy.ScaleY, 0);
  GL.Color4f(c.R, c.G, c.B, c.A);
  GL.CallList(Lists + EnergyList);

  const THudPlacement missile =
      PlaceHudSign(RadarPosition.x + MissileSignDX, RadarPosition.y + SignDY, MissileSignSize, aspect);
  GL.LoadIdentity();
  GL.Translatef(missile.X, missile.Y, 0);
  GL.Scalef(missile.ScaleX, missile.ScaleY, 0);
  GL.CallList(Lists + MissileList);
}

void TLevelHud::DrawLetterbox() const {
  if (Lists != 0) GL.CallList(Lists + LetterboxList);
}

void TLevelHud::DrawFade(float alpha) const {
  if (!std::isfinite(alpha)) return;
  PushIdentityMatrices();
  GL.Disable(GL_TEXTURE_2D);
  GL.Disable(GL_LIGHTING);
  GL.Disable(GL_DEPTH_TEST);
  GL.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  GL.Enable(GL_BLEND);
  GL.Color4f(0, 0, 0, std::clamp(alpha, 0.0f, 1.0f));
  FlatQuad(-1, -1, 1, 1);
  GL.Disable(GL_BLEND);
  GL.Enable(GL_TEXTURE_2D);
  GL.Enable(GL_LIGHTING);
  GL.Enable(GL_DEPTH_TEST);
  PopMatrices();
}

void TLevelHud::DrawLoadingBar(float fraction) const {
  const float filled = std::isfinite(fraction) ? std::clamp(fraction, 0.0f, 1.0f) : 0.0f;
  // The attribute stack keeps the clear colour of the screen, without reading it back.
  GL.PushAttrib(GL_COLOR_BUFFER_BIT);
  GL.ClearColor(0, 0, 0, 1);
  GL.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  GL.MatrixMode(GL_MODELVIEW);
  GL.LoadIdentity();
  GL.Translatef(-1, 0, -LoadingBarDistance);
  GL.Scalef(2, LoadingBarHalfHeight, 0);
  GL.Disable(GL_LIGHTING);
  GL.Disable(GL_TEXTURE_2D);
  GL.Disable(GL_DEPTH_TEST);  // the fill lies in the groove's plane
  GL.Color3f(LoadingBarGrey, LoadingBarGrey, LoadingBarGrey);
  FlatQuad(0, -1, 1, 1);
  GL.Begin(GL_QUADS);
  GL.Color3f(1, 0, 0);
  GL.Vertex2f(0, -1);
  GL.Color3f(1, 0.5f, 0);
  GL.Vertex2f(filled, -1);
  GL.Vertex2f(filled, 1);
  GL.Color3f(1, 0, 0);
  GL.Vertex2f(0, 1);
  GL.End();
  GL.Enable(GL_DEPTH_TEST);
  GL.Enable(GL_LIGHTING);
  GL.Enable(GL_TEXTURE_2D);
  GL.PopAttrib();
}
