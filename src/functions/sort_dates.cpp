#include "functions/sort_dates.h"

#include "formats/format_settings.h"
#include "functions/event_list.h"
#include "run/tag_order.h"

namespace hk {
namespace {

std::string PadLeft(std::string s, size_t width) {
    return s.size() >= width ? s : std::string(width - s.size(), ' ') + s;
}

struct SortDatesRun final : LoggedRun {
    std::vector<StoredTag> given; // the tag order of the panel or the command line
    CEventList list;

    void Walk(RunScope& run) override {
        db::CTMGDB& db = run.Db();
        list.SetDetailMode(false);
        list.ResetUnrecognizedTypes();
        std::vector<TagOrderEntry> order;
        for (const ListItem& item : ProjectTagOrder(db, run.TagTypes(), given))
            order.push_back({item.text, item.data, item.selected});
        list.CopyTagData(order);

        LoaderTable people;
        people.Open(db, "$");
        const int perNoField = people.Field("Per_No");
        const int fatherField = people.Field("Father");
        const int motherField = people.Field("Mother");
        const int refField = people.OptionalField("Ref_ID");
        PersonBirths births;
        births.Build(db);
        list.OpenTables(db, run.Log());

        // The options name the tag order as the project completes it.
        std::vector<std::string> lines = {"Tag Order", "Seq Type R/W Name"};
        for (size_t i = 0; i < order.size(); ++i)
            lines.push_back(PadLeft(std::to_string(i), 3) + " " +
                            PadLeft(std::to_string(order[i].number), 4) + " " +
                            (order[i].checked ? " Y " : " N ") + " " + order[i].name);
        WriteOptionLines(run.Log(), lines);

        FormatSettings formats;
        CTMGDate dates(formats);
        run.WalkRecords(people, [&] {
            const long perNo = people.Long(perNoField);
            if (perNo <= 0)
                return;
            list.LoadPerson(perNo);
            if (list.EntryCount() >= 2 && list.UndatedCount() >= 1 &&
                list.AssignSortDates(people.Long(fatherField), people.Long(motherField), births) >
                    0)
                list.LogPerson(refField < 0 ? perNo : people.Long(refField), dates);
        });
    }

    void WriteTotals(RunScope& run) override {
        run.Log().LogCount("Tags changed", list.TagsChanged());
        if (list.UnrecognizedTypes() > 0) {
            run.Log().LogCount("Tags w/unrecognized types", list.UnrecognizedTypes());
            run.Ui().Message(std::to_string(list.UnrecognizedTypes()) +
                                 " tags with unrecognized tag types were found. " +
                                 " Review the error messages in the log and then use TMG's" +
                                 " Repair function to fix the database.",
                             {}, MsgIcon::Exclamation);
        }
    }
    bool ChangesData() const override { return list.TagsChanged() > 0; }
};

} // namespace

std::vector<OptionDecl> SetSortDates::Options() const {
    return {TagOrderOption()};
}

void SetSortDates::FillOptionLists(db::CTMGDB& db, Settings& settings, std::string_view regRoot,
                                   std::string_view fileKey, ControlStates& states) const {
    FillTagOrderList(db, settings, regRoot, fileKey, states);
}

std::vector<std::string> SetSortDates::FitOptionLists(db::CTMGDB& db, ControlStates& states) const {
    return FitTagOrderList(db, states);
}

std::unique_ptr<LoggedRun> SetSortDates::Prepare(RunContext&, const ControlStates& options) const {
    auto run = std::make_unique<SortDatesRun>();
    run->confirmText = "Click [OK] to give undated tags sort dates in the order of the tag list.";
    if (auto it = options.find(kTagOrderControl); it != options.end())
        run->given = StoredTagsOf(it->second.items);
    return run;
}

} // namespace hk
