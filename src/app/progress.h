#pragma once
// Progress save and resume: the start-up question whether to continue the
// last saved draw, and the close sequence that stores the remaining pool and
// the per-level counters.

#include <string>

namespace luckdial {

class Host;
class MainWindow;
class LayoutController;
struct DrawState;

/// Asks whether to resume when a progress file exists. On Yes restores the
/// counters and the results text. Returns the pool source's path.
std::string choosePoolSource(Host& host, MainWindow& window, DrawState& state);

/// Writes the remaining pool and the counters. False, with a message to the
/// operator, when the progress file could not be written; nothing is then
/// changed on disk.
bool saveProgress(Host& host, MainWindow& window, const DrawState& state);

/// The close sequence of the main window and of the exit command. Returns
/// false when the window stays open (cancelled, or saving failed); in every
/// other case it ends the program.
bool runCloseSequence(Host& host, MainWindow& window, const DrawState& state,
                      LayoutController& layout);

} // namespace luckdial
