#include "QuarantineCommands.h"

namespace scanner {

namespace {

constexpr char kMovedMessage[] = "Selected infections were moved to Quarantine.";
constexpr char kDeletedMessage[] = "Selected infections were deleted.";
constexpr char kRestoredMessage[] = "Selected infections were restored.";
constexpr char kMoreSpywareQuestion[] = "Do you want to detect and clean more spyware?";
constexpr char kRestoreToTitle[] = "Restore the selected files to this folder:";

int FirstCheckedRow(const ICheckList &list) {
    for (int row = 0; row < list.RowCount(); ++row)
        if (list.Checked(row))
            return row;
    return -1;
}

// How many of the ticked rows a command worked through, and how many of them
// it could not do; a command that stopped on an error shows no summary.
struct CommandTally {
    int ticked = 0;
    int failed = 0;
    bool stopped = false;
};

// The closing box when some ticked files were not done: how many, and that
// the log (the Report page) says why for each one.
std::string FailureSummary(const CommandTally &tally, const std::string &notDone) {
    if (tally.ticked == 1)
        return "The selected infection could not be " + notDone +
               ". See the report for the reason.";
    return std::to_string(tally.failed) + " of " + std::to_string(tally.ticked) +
           " selected infections could not be " + notDone + ". See the report for the reasons.";
}

int CheckedRowCount(const ICheckList &list) {
    int count = 0;
    for (int row = 0; row < list.RowCount(); ++row)
        count += list.Checked(row) ? 1 : 0;
    return count;
}

// Deleting cannot be undone: the question says how many files go.
std::string DeleteQuestion(int count) {
    if (count == 1)
        return "Delete the selected file from Quarantine for good?\n"
               "A deleted file cannot be restored.";
    return "Delete the " + std::to_string(count) +
           " selected files from Quarantine for good?\nDeleted files cannot be restored.";
}

// Releases one record (restores or deletes its stored file, then drops the
// record); the row's caption names the record it must still be.
using ReleaseRow = std::function<ReleaseOutcome(std::size_t record, const std::string &caption)>;

// Walks the checked rows from the top again after every one, as rows go away
// on the way. A row that fails is unchecked and stays where it is, so the walk
// ends and every later row still stands for the record at its position.
CommandTally ReleaseCheckedRows(ICheckList &list, QuarantineHost &host, bool deleteFiles,
                                const ReleaseRow &release) {
    const std::string failure = deleteFiles ? "Could not delete [" : "Could not restore [";
    CommandTally tally;
    for (int row = FirstCheckedRow(list); row >= 0; row = FirstCheckedRow(list)) {
        ++tally.ticked;
        std::string caption = list.Caption(row);
        ReleaseOutcome outcome = release(static_cast<std::size_t>(row), caption);
        if (outcome.status == ReleaseStatus::Done) {
            list.RemoveRow(row);
            continue;
        }
        list.SetChecked(row, false);
        if (outcome.status == ReleaseStatus::DoneRecordKept) {
            host.addToLog((deleteFiles ? "Deleted [" : "Restored [") + caption +
                          "], but its record stays: " + outcome.message);
            host.prompts.ErrorReport(outcome.message);
            tally.stopped = true;
            return tally;
        }
        ++tally.failed;
        host.addToLog(failure + caption + "]: " + outcome.message);
    }
    return tally;
}

CommandTally QuarantineCheckedRows(QuarantineStore &store, ICheckList &results,
                                   QuarantineHost &host) {
    CommandTally tally;
    for (int row = FirstCheckedRow(results); row >= 0; row = FirstCheckedRow(results)) {
        ++tally.ticked;
        std::string path = results.Caption(row);
        QuarantineOutcome outcome = store.QuarantineFile(path, results.Name(row));
        if (outcome.moved()) {
            results.RemoveRow(row);
            continue;
        }
        host.addToLog("Could not move [" + path + "] to Quarantine: " + outcome.message);
        if (outcome.status == QuarantineStatus::Refused) {
            // The store itself cannot take files: this row and the ones after
            // it stay checked for another try once the cause is fixed.
            host.prompts.ErrorReport(outcome.message);
            tally.stopped = true;
            return tally;
        }
        ++tally.failed;
        results.SetChecked(row, false);
    }
    return tally;
}

void ShowRestoreSummary(const CommandTally &tally, QuarantineHost &host) {
    if (tally.stopped)
        return;
    if (tally.failed == 0)
        host.prompts.Warning(kRestoredMessage);
    else
        host.prompts.Warning(FailureSummary(tally, "restored"));
}

} // namespace

void FixAndContinue(QuarantineStore &store, ICheckList &results, QuarantineHost &host) {
    CommandTally tally = QuarantineCheckedRows(store, results, host);
    if (tally.stopped)
        return;
    if (tally.failed == 0)
        host.prompts.Information(kMovedMessage);
    else
        host.prompts.Warning(FailureSummary(tally, "moved to Quarantine"));
    host.showPage(Page::Drives);
    if (host.prompts.Confirm(kMoreSpywareQuestion))
        OpenTrialPage(host.prompts);
}

std::vector<QuarantineRow> OpenQuarantine(QuarantineStore &store, QuarantineHost &host) {
    host.showPage(Page::Quarantine);
    return store.ListQuarantine();
}

void DeleteChecked(QuarantineStore &store, ICheckList &quarantineList, QuarantineHost &host) {
    const int checked = CheckedRowCount(quarantineList);
    if (checked > 0 && !host.prompts.Confirm(DeleteQuestion(checked)))
        return;
    CommandTally tally = ReleaseCheckedRows(
        quarantineList, host, true, [&](std::size_t record, const std::string &caption) {
            return store.ReleaseQuarantined(record, true, &caption);
        });
    if (tally.stopped)
        return;
    if (tally.failed == 0)
        host.prompts.Information(kDeletedMessage);
    else
        host.prompts.Warning(FailureSummary(tally, "deleted"));
}

void RestoreChecked(QuarantineStore &store, ICheckList &quarantineList, QuarantineHost &host) {
    ShowRestoreSummary(ReleaseCheckedRows(quarantineList, host, false,
                                          [&](std::size_t record, const std::string &caption) {
                                              return store.ReleaseQuarantined(record, false,
                                                                              &caption);
                                          }),
                       host);
}

void RestoreCheckedTo(QuarantineStore &store, ICheckList &quarantineList, QuarantineHost &host) {
    std::string folder;
    if (CheckedRowCount(quarantineList) > 0) {
        folder = host.prompts.PickFolder(kRestoreToTitle);
        if (folder.empty())
            return;
    }
    ShowRestoreSummary(ReleaseCheckedRows(quarantineList, host, false,
                                          [&](std::size_t record, const std::string &caption) {
                                              return store.RestoreQuarantinedTo(record, folder,
                                                                                &caption);
                                          }),
                       host);
}

} // namespace scanner
