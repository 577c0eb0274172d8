#pragma once
// Progress save and resume: the start-up question whether to continue the
// last saved draw, and the close sequence that stores the remaining pool and
// the per-level counters.

#include <cstdint>
#include <string>
#include <string_view>

namespace luckdial {

class Host;
class MainWindow;
class LayoutController;
class OutcomeSaver;
struct DrawState;

/// Finishes or discards a progress save that was cut short, so that the
/// stored counters and the progress file belong together again. Returns the
/// progress file to resume from, or empty when there is none.
std::string settleProgressSave(Host& host);

/// Asks whether to resume when there is a progress file (as settled above).
/// On Yes restores the counters and the results text. Returns the pool
/// source's path.
std::string choosePoolSource(Host& host, MainWindow& window, DrawState& state,
                             const std::string& progressFile);

/// Writes the remaining pool and the counters as one step: whenever the
/// program stops, the next start finds either the old pool with the old
/// counters or the new pool with the new counters. False when it failed;
/// both are then as they were (the caller tells the operator).
bool saveProgress(Host& host, MainWindow& window, const DrawState& state);

/// A stored progress counter as resumed: negative text gives 0, and the
/// 32-bit range holds whatever the file says.
std::int32_t resumedCounter(std::string_view text);

/// The close sequence of the main window and of the exit command. Returns
/// false when the window stays open (cancelled, or saving failed and the
/// operator chose to go back); in every other case it ends the program.
bool runCloseSequence(Host& host, MainWindow& window, const DrawState& state,
                      LayoutController& layout, OutcomeSaver& saver);

} // namespace luckdial
