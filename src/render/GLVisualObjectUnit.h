// GLVisualObjectUnit.h — the screen overlay: flat labels and sprites kept in one list ordered
// by layer, drawn in list order and hit-tested top layer first.
#pragma once

#include <cstdint>

class TGLVisualObject {
public:
  explicit TGLVisualObject(uint8_t layer);  // links the object into the overlay list
  virtual ~TGLVisualObject();               // unlinks it
  TGLVisualObject(const TGLVisualObject&) = delete;
  TGLVisualObject& operator=(const TGLVisualObject&) = delete;

  virtual void Draw() = 0;
  // Whether a click at the given view-space ray hits the object and its handler ran.
  virtual bool MouseDown(int button, float dirX, float dirY) { return false; }
  virtual bool MouseUp(int button, float dirX, float dirY) { return false; }

  uint8_t Layer;
  TGLVisualObject* Next = nullptr;
  TGLVisualObject* Prev = nullptr;
  bool Enabled = false;  // may receive clicks
  bool Visible = true;   // is drawn
};

extern TGLVisualObject* OverlayHead;
extern TGLVisualObject* OverlayTail;
// Cleared by every screen change; a click's dispatch stops as soon as it is clear, so one click
// changes the screen at most once and never touches objects the change freed.
extern bool OverlayValid;

// The view of the menu screens: the overlay stands 10 units in front of the eye.
constexpr float MenuViewDistance = 10.0f;
void LoadMenuView();

void DrawOverlay();
// Pixel position in the window; the projection is the CPU-side copy the window set up.
void OverlayMouseDown(int button, int pixelX, int pixelY);
void OverlayMouseUp(int button, int pixelX, int pixelY);
// Frees every object of the list (the owning screen's destructor).
void FreeOverlay();
