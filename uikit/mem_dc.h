// An off-screen copy of a device context's clip box. Everything drawn into it reaches the
// target in one BitBlt when it is destroyed, so the screen never shows a half-drawn picture.
// The bitmap starts uninitialised: whoever draws must cover the clip box.
#pragma once

#include "framework/win/gdi.h"

class CmyMemDC : public CDC {
 public:
  explicit CmyMemDC(CDC* pDC);
  ~CmyMemDC() override;

  // The target's clip box, in the target's (and now this context's) coordinates.
  const RECT& ClipRect() const { return m_rcClip; }

  // Counts the copies to a target made by every CmyMemDC: lets a test see one copy per paint.
  static int s_nBlitCount;

 private:
  CBitmap m_bmpOffscreen;
  CBitmap* m_pOldBitmap;
  CDC* m_pTargetDC;
  RECT m_rcClip;
};
