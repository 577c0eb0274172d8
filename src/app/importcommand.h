#pragma once
// The 导入抽奖名单... command: a participant list from a spreadsheet or a
// delimited text becomes the pool file, and the program starts again on it
// as a new event. Nothing is lost on the way: the old pool, progress and
// results are kept under other names, and a file that cannot be read or a
// pool that cannot be written leaves every file as it was.

#include "sheet/sheet.h"

#include <string>
#include <vector>

namespace luckdial {

class Host;
class MainWindow;

class ImportCommand {
public:
    ImportCommand(Host& host, MainWindow& window);

    /// Connects the menu item 导入抽奖名单....
    void connectHandlers();
    /// The command; when an import is confirmed it ends the program.
    void run();

    /// What the operator is told when a list cannot be read (GBK).
    static std::string readErrorMessage(sheet::ReadError error);

private:
    /// Shows the message of a failed read; false when there was one.
    bool readOk(sheet::ReadError error);
    /// An event under way: saved progress or results.
    bool eventUnderWay();
    /// Writes the pool and keeps the files it replaces; false (after a
    /// message) when anything failed, with every file as it was.
    bool replacePool(const std::vector<std::string>& entries);

    Host& host_;
    MainWindow& window_;
};

} // namespace luckdial
