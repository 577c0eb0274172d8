#pragma once
// What the operator is told when winners, progress or lists are at risk: a
// failed write during the event, a save at exit that did not go through, a
// list that ends early, a damaged recovery record. Every such text is here,
// so that they read alike: what happened, what is at risk, what to do.
// All texts are GBK.

#include <cstddef>
#include <string>

namespace luckdial::notices {

/// Caption of the boxes about unsaved winners.
std::string unsavedCaption();
/// A write after a draw or a forfeit failed. recordSaved: the recovery
/// record holds the latest state, only the results file is behind. Yes
/// retries at once, No goes on (the next draw tries again).
std::string unsavedWinners(bool recordSaved, const std::string& programDir);
/// Everything that was missing is on disk again.
std::string savedAgain();

/// The save at exit did not go through. Yes goes back to the program, No
/// ends it without saving. recordKept: the recovery record holds the latest
/// state and stays for the next start.
std::string exitSaveFailed(bool progressSaved, bool resultsSaved, bool recordKept);
/// Ending without saving progress, the results file could not be brought
/// up to date either; the recovery record is kept.
std::string exitResultsUnsaved(bool recordKept);

/// The list's text ended early at a NUL or Ctrl-Z byte on the given line.
std::string listStoppedEarly(const std::string& fileName, std::size_t line, std::size_t entries);

/// A damaged recovery record was set aside; keptName empty when it could not
/// be renamed and stays where it is.
std::string damagedRecord(const std::string& recordName, const std::string& keptName);

} // namespace luckdial::notices
