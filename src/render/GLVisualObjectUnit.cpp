// GLVisualObjectUnit.cpp — the overlay list, drawing and click dispatch.
#include "render/GLVisualObjectUnit.h"

#include "core/Globals.h"

TGLVisualObject* OverlayHead = nullptr;
TGLVisualObject* OverlayTail = nullptr;
bool OverlayValid = false;

TGLVisualObject::TGLVisualObject(uint8_t layer) : Layer(layer) {
  // Sorted by layer; equal layers keep their creation order.
  if (!OverlayHead || Layer < OverlayHead->Layer) {
    Next = OverlayHead;
    if (OverlayHead) OverlayHead->Prev = this;
    OverlayHead = this;
    if (!OverlayTail) OverlayTail = this;
    return;
  }
  TGLVisualObject* after = OverlayHead;
  while (after->Next && after->Next->Layer <= Layer) after = after->Next;
  Prev = after;
  Next = after->Next;
  if (Next)
    Next->Prev = this;
  else
    OverlayTail = this;
  after->Next = this;
}

TGLVisualObject::~TGLVisualObject() {
  if (Prev)
    Prev->Next = Next;
  else if (OverlayHead == this)
    OverlayHead = Next;
  if (Next)
    Next->Prev = Prev;
  else if (OverlayTail == this)
    OverlayTail = Prev;
}

void LoadMenuView() {
  TMatrix view;
  MatrixIdentity(view);
  MatrixTranslate(view, 0, 0, -MenuViewDistance);
  LoadModelView(view);
}

void DrawOverlay() {
  for (TGLVisualObject* o = OverlayHead; o; o = o->Next)
    if (o->Visible) o->Draw();
  OverlayValid = true;
}

namespace {

// The view-space direction through a pixel, pointing into the screen along +z as the hit test
// expects (sprites compare against their mirrored position).
void PixelRay(int pixelX, int pixelY, float& dirX, float& dirY) {
  const float width = ScreenWidth > 0 ? static_cast<float>(ScreenWidth) : 1.0f;
  const float height = ScreenHeight > 0 ? static_cast<float>(ScreenHeight) : 1.0f;
  dirX = (2.0f * pixelX / width - 1.0f) / ProjectionMatrix[0];
  dirY = -(2.0f * pixelY / height - 1.0f) / ProjectionMatrix[5];
}

}  // namespace

void OverlayMouseDown(int button, int pixelX, int pixelY) {
  if (!OverlayHead) return;
  float dirX = 0, dirY = 0;
  PixelRay(pixelX, pixelY, dirX, dirY);
  // A handler may free objects of the list and clears OverlayValid when it does: stop then.
  for (TGLVisualObject* o = OverlayTail; o && OverlayValid;) {
    TGLVisualObject* previous = o->Prev;
    o->MouseDown(button, dirX, dirY);
    o = previous;
  }
  OverlayValid = true;
}

void OverlayMouseUp(int button, int pixelX, int pixelY) {
  if (!OverlayHead) return;
  float dirX = 0, dirY = 0;
  PixelRay(pixelX, pixelY, dirX, dirY);
  for (TGLVisualObject* o = OverlayTail; o; o = o->Prev) o->MouseUp(button, dirX, dirY);
}

void FreeOverlay() {
  while (OverlayTail) delete OverlayTail;
  OverlayHead = nullptr;
}
