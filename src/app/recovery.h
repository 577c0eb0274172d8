#pragma once
// Crash recovery: after every draw and every forfeit the remaining pool, the
// counters and the results text go to one record in the program directory,
// replaced crash-safely; every normal end removes it. A record found at
// start-up therefore means the last run was cut short, and the operator may
// continue from its last draw.

#include "pool/groupfile.h"

#include <memory>
#include <string>
#include <vector>

namespace luckdial {

class Host;
class Pool;
class TextFile;
class MainWindow;
struct DrawState;

/// The record's file name in the program directory (GBK).
std::string recoveryRecordName();
/// The name of the pool text of a progress save that has not been moved in
/// yet (GBK).
std::string pendingProgressName();

/// The files in the program directory that the program replaces, whose
/// interrupted temporaries start-up removes (GBK).
std::vector<std::string> replacedFileNames();

/// Writes the record of the event as it stands. False when it could not be
/// written; the previous record is then untouched.
/// With groups in the pool or winners' groups, the record carries them too.
bool writeRecoveryRecord(Host& host, const Pool& pool, const DrawState& state,
                         const std::string& results,
                         const std::vector<WinnerGroup>& winnerGroups = {});

/// Removes the record: the run ends normally.
void removeRecoveryRecord(Host& host);

/// At start-up, before the resume question: when a record exists, asks
/// whether to continue from it. On Yes restores the counters and the results
/// text and returns the pool's source; the record stays until the next draw
/// replaces it. On No, or when the record is damaged, the record is kept
/// under a dated name and nothing is returned.
/// groups, when given, receives the record's group file text on Yes.
std::unique_ptr<TextFile> offerRecovery(Host& host, MainWindow& window, DrawState& state,
                                        std::string* groups = nullptr);

} // namespace luckdial
