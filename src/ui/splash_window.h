// SplashWindow: the picture shown centred on the screen while the program starts.
#pragma once

#include <QSplashScreen>

// A borderless tool window exactly as large as the splash picture (":/icons/splash.png").
class SplashWindow : public QSplashScreen {
 public:
  SplashWindow();
  // Whether the picture could be loaded (no window is shown without it).
  bool HasPicture() const { return !pixmap().isNull(); }
};
