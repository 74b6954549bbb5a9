#include "QuarantineCommands.h"

#include "ScanRun.h"

namespace scanner {

namespace {

int FirstCheckedRow(const ICheckList &list) {
    for (int row = 0; row < list.RowCount(); ++row)
        if (list.Checked(row))
            return row;
    return -1;
}

// Walks the checked rows from the top again after every one, as rows go away
// on the way. A row that fails is unchecked and stays where it is, so the walk
// ends and every later row still stands for the record at its position.
// Returns false when the command had to stop on an error.
bool ReleaseCheckedRows(QuarantineStore &store, ICheckList &list, QuarantineHost &host,
                        bool deleteFiles) {
    const std::string failure = deleteFiles ? "Could not delete [" : "Could not restore [";
    for (int row = FirstCheckedRow(list); row >= 0; row = FirstCheckedRow(list)) {
        std::string caption = list.Caption(row);
        ReleaseOutcome outcome =
            store.ReleaseQuarantined(static_cast<std::size_t>(row), deleteFiles, &caption);
        if (outcome.status == ReleaseStatus::Done) {
            list.RemoveRow(row);
            continue;
        }
        list.SetChecked(row, false);
        if (outcome.status == ReleaseStatus::DoneRecordKept) {
            host.addToLog((deleteFiles ? "Deleted [" : "Restored [") + caption +
                          "], but its record stays: " + outcome.message);
            host.prompts.ErrorReport(outcome.message);
            return false;
        }
        host.addToLog(failure + caption + "]: " + outcome.message);
    }
    return true;
}

} // namespace

void FixAndContinue(QuarantineStore &store, ICheckList &results, QuarantineHost &host) {
    for (int row = FirstCheckedRow(results); row >= 0; row = FirstCheckedRow(results)) {
        std::string path = results.Caption(row);
        QuarantineOutcome outcome = store.QuarantineFile(path, "");
        if (outcome.moved()) {
            results.RemoveRow(row);
            continue;
        }
        host.addToLog("Could not move [" + path + "] to Quarantine: " + outcome.message);
        if (outcome.status == QuarantineStatus::Refused) {
            // The store itself cannot take files: this row and the ones after
            // it stay checked for another try once the cause is fixed.
            host.prompts.ErrorReport(outcome.message);
            return;
        }
        results.SetChecked(row, false);
    }
    host.prompts.Information("Selected infections were moved to Quarantine.");
    host.showPage(Page::Drives);
    if (host.prompts.Confirm("Do you want to detect and clean more spyware?"))
        OpenTrialPage(host.prompts);
}

std::vector<QuarantineRow> OpenQuarantine(QuarantineStore &store, QuarantineHost &host) {
    host.showPage(Page::Quarantine);
    return store.ListQuarantine();
}

void DeleteChecked(QuarantineStore &store, ICheckList &quarantineList, QuarantineHost &host) {
    if (ReleaseCheckedRows(store, quarantineList, host, true))
        host.prompts.Information("Selected infections were deleted.");
}

void RestoreChecked(QuarantineStore &store, ICheckList &quarantineList, QuarantineHost &host) {
    if (ReleaseCheckedRows(store, quarantineList, host, false))
        host.prompts.Warning("Selected infections were restored.");
}

} // namespace scanner
