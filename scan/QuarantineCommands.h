// The commands of the results and quarantine pages without a window: Fix &
// Continue (BitBtn9Click), Quarantine (BitBtn8Click), Delete (BitBtn11Click)
// and Restore (BitBtn14Click). The window's handlers call these with its
// check-box lists wrapped in ICheckList.
#pragma once

#include "QuarantineStore.h"
#include "ScanHost.h"

#include <functional>
#include <string>
#include <vector>

namespace scanner {

// A list view with check boxes, seen as rows from the top (0).
class ICheckList {
public:
    virtual ~ICheckList() = default;
    virtual int RowCount() const = 0;
    virtual std::string Caption(int row) const = 0;
    virtual bool Checked(int row) const = 0;
    virtual void SetChecked(int row, bool checked) = 0;
    virtual void RemoveRow(int row) = 0;
    // The definition name a results row shows beside its path; a list whose
    // rows carry none gives an empty text.
    virtual std::string Name(int row) const {
        (void)row;
        return std::string();
    }
};

// What the commands need from the window besides the lists.
struct QuarantineHost {
    IPrompts &prompts;
    // Appends a plain line to the log list.
    std::function<void(const std::string &)> addToLog;
    // Shows a page and re-lays out its list.
    std::function<void(Page)> showPage;
};

// BitBtn9Click: moves every checked row of the results list (ListView2) into
// quarantine, its definition name the record's description, says so, shows the drive page and asks whether to go on. A row
// whose file could not be moved stays, unchecked, with a log line saying why,
// and the box then warns how many were not moved.
void FixAndContinue(QuarantineStore &store, ICheckList &results, QuarantineHost &host);

// BitBtn8Click: shows the quarantine page and returns the rows to fill
// ListView1 with (the window then re-lays it out).
std::vector<QuarantineRow> OpenQuarantine(QuarantineStore &store, QuarantineHost &host);

// BitBtn11Click and BitBtn14Click: delete or restore every checked row of the
// quarantine list (ListView1), whose row n stands for record n. Failures are
// handled as in FixAndContinue: row kept unchecked, log line, warning box.
// Delete first asks whether to delete that many files for good; No leaves
// everything as it was.
void DeleteChecked(QuarantineStore &store, ICheckList &quarantineList, QuarantineHost &host);
void RestoreChecked(QuarantineStore &store, ICheckList &quarantineList, QuarantineHost &host);
// "Restore to..." of the quarantine list's menu: asks for a folder (nothing
// happens when none is picked) and restores every checked row into it under
// its file's own name, each record going once its file is there; failures
// and the closing box as for Restore.
void RestoreCheckedTo(QuarantineStore &store, ICheckList &quarantineList, QuarantineHost &host);

} // namespace scanner
