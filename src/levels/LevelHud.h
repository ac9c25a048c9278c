// LevelHud.h — the mission's head-up display (rotating radar, energy and missile signs with
// their counters), the pause question, the cinematic bars, the black veil and the loading bar.
//
// Layout: the signs are placed in normalised device coordinates after a layout made for a 4:3
// screen. On a wider screen every sign keeps its size relative to the screen height and its
// distance from the nearer side edge, so the radar stays round and nothing leaves the screen;
// on a narrower one the 4:3 layout is squeezed with the width. The two counters are overlay
// labels (drawn 10 units in front of the eye) and follow their signs the same way.
#pragma once

#include "core/VectMath.h"
#include "platform/GLTable.h"

#include <cstdint>
#include <string>

class TActor;
class TGLLabel;
class TGLSprite;
class TLevel;
class TSurf;
class TWorld;

// The screen shape the layout was made for.
constexpr float HudReferenceAspect = 4.0f / 3.0f;
constexpr float DefaultRadarRange = 800.0f;  // world units from the radar's centre to its rim

// What one frame of the HUD reads from the level.
struct THudView {
  const TWorld& World;  // every actor but Player is a radar blip candidate
  const TActor& Player;
  // The way the player flies (-AxisZ of its matrix): the radar turns so that it points up.
  TVector Flight{0, 1, 0};
  // The ground the radar map covers, from MapExtent of the level's terrain.
  float MapExtentX = 1.0f, MapExtentY = 1.0f;
  int32_t RadarTexture = -1;
  TVector ObjectivePoint{};
  float ObjectiveRadius = 0.0f;
  bool ShowObjective = false;
};

struct THudColor {
  float R, G, B, A;
  friend bool operator==(const THudColor&, const THudColor&) = default;
};

// The energy sign's colour (the counters take its RGB): blue above two thirds, yellow above
// one third, red below, all at alpha 0.5. A life with no maximum reads as empty.
THudColor EnergyColor(float life, float maxLife);

enum class TBlip : uint8_t { None, Friend, Foe };
// Only live actors of a side closer than the radar's range show; one exactly at the range
// does not.
TBlip ClassifyBlip(uint8_t state, int32_t side, int32_t playerSide, float distance, float radarRange);

// Degrees (0 up to 360) the radar turns about the screen's z axis so that the flight direction
// points up: 0 flying along +y, 90 along +x, 270 along -x. 0 when the flight is vertical or not
// a number.
float HeadingDegrees(const TVector& flight);

// The square of the radar map around (x, y): texture coordinates of its left, right, bottom
// and top edges.
struct TRadarWindow {
  float S0, S1, T0, T1;
};
TRadarWindow RadarWindow(float x, float y, float extentX, float extentY, float range);

// The ground the terrain's radar map covers: its cells inside the border, in world units.
struct TMapExtent {
  float X, Y;
};
TMapExtent MapExtent(const TSurf& surface);

// The objective arrow fades in as the objective leaves its radius, up to half opacity one
// radar range beyond it.
float ObjectiveAlpha(float distance, float objectiveRadius, float radarRange);

// A sign centred at (refX, refY) with half-width `size`, both in device coordinates of the 4:3
// screen, on a screen of width/height `aspect`: its centre and half-sizes there.
struct THudPlacement {
  float X, Y, ScaleX, ScaleY;
};
THudPlacement PlaceHudSign(float refX, float refY, float size, float aspect);

// An overlay label at (refX, refY) with glyph size refSize on the 4:3 screen, moved for a
// screen of `aspect` whose projection has the diagonal projX, projY (ProjectionMatrix[0], [5]).
struct TLabelPlacement {
  float X, Y, Size;
};
TLabelPlacement PlaceHudLabel(float refX, float refY, float refSize, float aspect, float projX, float projY);

// The pause question's texts in the player's language (cp1250), handed down by the screen that
// runs the mission: the text tables belong to the menus above the levels.
struct TQuestionTexts {
  std::string Yes = "Yes";
  std::string No = "No";
  std::string Question = "Do you wish to leave this level ?";
};

class TLevelHud {
public:
  // Loads the HUD images and the question button's frame (TFileError names a missing one,
  // before anything else is made), builds the display lists and creates the overlay objects:
  // the counters shown, the question hidden and its buttons disabled. Needs the font built
  // (FontTexture).
  explicit TLevelHud(const TQuestionTexts& texts = {});
  // Deletes the lists and frees every overlay object: while a mission runs, the level (through
  // its HUD) is the overlay's only owner.
  ~TLevelHud();
  TLevelHud(const TLevelHud&) = delete;
  TLevelHud& operator=(const TLevelHud&) = delete;

  void SetLives(int32_t lives);
  void SetMissiles(int32_t missiles);
  // The pause question: shows and enables the buttons and shows their labels and the question,
  // hiding the counters, or the other way round.
  void ShowQuestion(bool show);

  // The radar, the signs and the overlay, inside the 3D frame (the projection is kept).
  void Draw(const THudView& view);
  // The same for a running mission: its player flies along -z of its model, and the radar map,
  // objective and terrain are the level's.
  void Draw(const TLevel& level, const TActor& player);
  // The cinematic bars across the top and bottom of the screen, instead of the HUD.
  void DrawLetterbox() const;
  // Black over the whole screen with this opacity (clamped to 0..1).
  void DrawFade(float alpha) const;
  // One frame of the loading bar, `fraction` (0..1) filled; the caller swaps the buffers.
  void DrawLoadingBar(float fraction) const;
  // Moves the counters to the screen of this shape; Draw does it every frame.
  void PlaceCounters(float aspect);
  // A short line at the bottom left (cp1250), shown for `ms` of frames drawn by Draw.
  void ShowNotice(const std::string& text, int32_t ms);
  int32_t NoticeTimer() const { return NoticeMs; }

  TVector RadarPosition{-0.85f, 0.8f, 0.0f};  // device coordinates of the 4:3 screen
  float RadarRange = DefaultRadarRange;

  // Overlay objects, in the overlay list; the level sets the buttons' OnMouseDown.
  TGLLabel* LivesLabel = nullptr;
  TGLLabel* MissilesLabel = nullptr;
  TGLSprite* QuitYesButton = nullptr;
  TGLSprite* QuitNoButton = nullptr;
  TGLLabel* QuitYesLabel = nullptr;
  TGLLabel* QuitNoLabel = nullptr;
  TGLLabel* QuitQuestionLabel = nullptr;
  TGLLabel* NoticeLabel = nullptr;

  int32_t RadarMaskTexture = -1;
  int32_t RadarFrameTexture = -1;
  int32_t EnergyTexture = -1;
  int32_t MissileTexture = -1;

private:
  void BuildLists();
  void CreateOverlay(const TQuestionTexts& texts);
  void DrawRadar(const THudView& view, float aspect);
  void DrawObjective(const THudView& view) const;
  void DrawBlips(const THudView& view) const;
  void DrawSigns(const THudView& view, float aspect);

  void UpdateNotice(float aspect);

  GLuint Lists = 0;  // five consecutive lists, see HudList in the source
  int32_t NoticeMs = 0;  // how long the notice still shows
};
