#pragma once

class TApplication;

namespace quillon::app {

// What the program sets on its application object before the window is created: the
// classic style, its name and title (which message boxes carry) and its icon.
void SetUpQuillonApplication(TApplication& app);

} // namespace quillon::app
