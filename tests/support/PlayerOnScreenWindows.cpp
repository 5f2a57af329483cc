#ifdef _WIN32
#include "support/TestProduction.h"

// The screen is Xvfb's screen file and the keys come from xdotool: both are the X server's own,
// out of reach of a Windows program. Tests skip on MissingTools() before making one.
std::string PlayerOnScreen::MissingTools() {
  return "reads Xvfb's screen file and types with xdotool, which Windows programs cannot reach";
}

PlayerOnScreen::PlayerOnScreen(const TempDir& dir, const std::vector<std::string>&,
                               const std::string&)
    : m_dir(dir.path) {}

PlayerOnScreen::~PlayerOnScreen() = default;

Screenshot PlayerOnScreen::Shoot() const { return Screenshot(); }

bool PlayerOnScreen::Type(const std::string&) const { return false; }

bool PlayerOnScreen::Xdotool(const std::string&) const { return false; }

void PlayerOnScreen::LoseDisplay() {}

PlayerRun PlayerOnScreen::Finish(double) { return m_run; }

bool PlayerOnScreen::WaitForLog(const std::string&, double) const { return false; }

std::string PlayerOnScreen::Errors() const { return std::string(); }
#endif
