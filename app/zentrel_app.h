// The application object: prepares the common controls and runs the main dialog.
#pragma once

#include "framework/win/winapp.h"

class CZentrelApp : public CWinApp {
 public:
  CZentrelApp() = default;
  ~CZentrelApp() override = default;

  // Runs the main dialog and returns FALSE, so the program ends when the dialog closes.
  BOOL InitInstance() override;

  DECLARE_MESSAGE_MAP()
};

extern CZentrelApp theApp;
