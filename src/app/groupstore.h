#pragma once
// Where the pool's groups live between runs: the group file beside the pool
// file (written by the list import), the one beside the progress file
// (written with a progress save) and the recovery record. A group file that
// no longer belongs to its pool text is told to the operator once and set
// aside; the entries then have no group.

#include <string>

namespace luckdial {

class Host;
class MainWindow;

enum class GroupSource { PoolFile, ProgressFile, RecoveryRecord };

/// After the pool has loaded: gives it the groups of its source, and on a
/// resume (progress or record) the winners' groups as well. recordGroups is
/// the record's group text when the source is the record.
void loadGroups(Host& host, MainWindow& window, GroupSource source,
                const std::string& recordGroups = {});

/// After a progress save: the groups beside the new progress file (or none
/// when the pool has none). False, after a message, when it failed; the
/// stale file is then removed, so the next start tells the groups are lost.
bool saveProgressGroups(Host& host, MainWindow& window);

/// After an import wrote the pool file: its group file (text from
/// entryGroupFileText), or none when the list has no groups, in which case
/// the old pool's group file is set aside.
void writePoolGroups(Host& host, const std::string& groupText);

/// The progress file's group file goes with the progress (a reset).
void removeProgressGroups(Host& host);

} // namespace luckdial
