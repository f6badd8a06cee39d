#pragma once
// The frame of a maintenance function that runs with a log: validate, confirm, the header,
// the option lines and the column heading, the walk with its progress bar (errors shown and
// logged), the footer, the totals and the end of the run. A function writes only what is its
// own; its index, key, caption and help page come from its catalog row.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "formats/tag_types.h"
#include "loaders/cross_index.h"
#include "loaders/loader_table.h"
#include "run/maintenance_function.h"

namespace hk {

// "Options:", each line after two blanks, then an empty line; nothing without lines.
void WriteOptionLines(CLogFile& log, const std::vector<std::string>& lines);

// What a run works with while it walks and totals: the open project, the run's log, the tag
// types and person IDs most walks need (read on first use), and the progress bar, which runs
// over the record count of the walked table and shows its current record number.
class RunScope {
public:
    RunScope(RunContext& ctx, long progressEvery) : ctx_(ctx), progressEvery_(progressEvery) {}

    db::CTMGDB& Db() const { return *ctx_.db; }
    CLogFile& Log() const { return *ctx_.log; }
    UserInterface& Ui() const { return ctx_.ui; }
    const CTMGTagTypes& TagTypes();
    const CTMGCrossIndex& PersonIds();
    // How event lines begin: the tag type's name, then both principals ("Birth, #12, #0").
    std::string EventLine(long tagType, long per1, long per2);

    // Walks the acceptable records of `walked` from its first: the bar runs over its record
    // count, each record is counted, then `each` is called on it.
    template <class Each> void WalkRecords(LoaderTable& walked, Each&& each) {
        StartProgress(walked);
        for (bool ok = walked.First(); ok; ok = walked.Next()) {
            CountRecord();
            each();
        }
    }
    // The same by hand: the bar runs from 0 to the walked table's record count.
    void StartProgress(const LoaderTable& walked);
    // Counts a record of the walk; every N-th sets the bar to the walked table's record number.
    void CountRecord();
    long RecordsCounted() const { return counted_; }

private:
    RunContext& ctx_;
    long progressEvery_;
    const LoaderTable* walked_ = nullptr;
    long counted_ = 0;
    std::unique_ptr<CTMGTagTypes> tagTypes_;
    std::unique_ptr<CTMGCrossIndex> personIds_;
};

// One run of a function, made from options found valid: its texts, settings and counters.
class LoggedRun {
public:
    virtual ~LoggedRun() = default;
    // Opens the tables and walks them. An error that escapes is shown and logged; the run
    // still writes the footer and the totals reached so far.
    virtual void Walk(RunScope& run) = 0;
    virtual void WriteTotals(RunScope& run) = 0;
    // Something changed (or would have, under Log Only): the log then ends with the note.
    virtual bool ChangesData() const = 0;

    // The question the run goes on only after an OK to.
    std::string confirmText;
    // The lines under "Options:", without their two leading blanks; none: no options block.
    std::vector<std::string> optionLines;
    // The column line under the options; empty: none.
    std::string columnHeading;
};

class LoggedRunFunction : public MaintenanceFunction {
public:
    int Index() const final { return entry_.index; }
    std::string Key() const final { return entry_.key; }
    std::string Caption() const final { return entry_.caption; }
    const CatalogEntry& Entry() const { return entry_; }

    void Run(RunContext& ctx, const ControlStates& options) final;

protected:
    // `key` names the catalog row (an error when there is none); the progress bar moves every
    // `progressEvery` records.
    LoggedRunFunction(std::string_view key, long progressEvery);

    // Validates the options and makes the run; null stops without a log (the function has
    // told the user why).
    virtual std::unique_ptr<LoggedRun> Prepare(RunContext& ctx,
                                               const ControlStates& options) const = 0;
    // The "Function=" of the log header.
    virtual std::string LogTitle() const { return entry_.caption; }

private:
    CatalogEntry entry_;
    long progressEvery_;
};

} // namespace hk
