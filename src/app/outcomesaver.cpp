#include "app/outcomesaver.h"

#include "app/notices.h"
#include "app/recovery.h"
#include "draw/drawcontroller.h"
#include "host/host.h"
#include "settings/core/names.h"
#include "ui/mainwindow.h"

namespace luckdial {

OutcomeSaver::OutcomeSaver(Host& host, MainWindow& window, const DrawState& state,
                           DrawController& draw)
    : host_(host), window_(window), state_(state), draw_(draw) {}

void OutcomeSaver::connectHandlers() {
    connect(&draw_, &DrawController::outcomeRecorded, this, [this] { recordOutcome(); });
    connect(&draw_, &DrawController::resultsWritten, this, [this](bool ok) { resultsWritten(ok); });
}

bool OutcomeSaver::writeRecord() {
    return writeRecoveryRecord(host_, window_.pool(), state_, window_.results(),
                               window_.winnerGroups());
}

void OutcomeSaver::afterStart() {
    const std::string& results = window_.results();
    if (results.empty() || results == host_.readFile(host_.path(names::resultsFile()))) return;
    resultsFailed_ = !draw_.writeResultsFile();
    if (resultsFailed_) tell();
}

void OutcomeSaver::recordOutcome() {
    toldThisRun_ = false;
    recordCurrent_ = writeRecord();
    if (!recordCurrent_) tell();
}

void OutcomeSaver::resultsWritten(bool ok) {
    resultsFailed_ = !ok;
    if (resultsFailed_) {
        if (!toldThisRun_) tell();
        return;
    }
    if (recordCurrent_ && operatorWaiting_) {
        operatorWaiting_ = false;
        host_.messageBox(notices::savedAgain(), MbOk | MbIconInformation,
                         notices::unsavedCaption());
    }
}

void OutcomeSaver::tell() {
    for (;;) {
        const int answer =
            host_.messageBox(notices::unsavedWinners(recordCurrent_, host_.programDir()),
                             MbYesNo | MbIconWarning, notices::unsavedCaption());
        if (answer != IdYes) {
            toldThisRun_ = true;
            operatorWaiting_ = true;
            return;
        }
        if (!recordCurrent_) recordCurrent_ = writeRecord();
        if (resultsFailed_) resultsFailed_ = !draw_.writeResultsFile();
        if (recordCurrent_ && !resultsFailed_) {
            operatorWaiting_ = false;
            host_.messageBox(notices::savedAgain(), MbOk | MbIconInformation,
                             notices::unsavedCaption());
            return;
        }
    }
}

bool OutcomeSaver::saveResults() {
    // A record that fell behind is the one copy left if the operator ends
    // without saving: it gets another try too.
    if (!recordCurrent_) recordCurrent_ = writeRecord();
    if (resultsFailed_) resultsFailed_ = !draw_.writeResultsFile();
    return !resultsFailed_;
}

} // namespace luckdial
