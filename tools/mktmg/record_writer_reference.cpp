// The record writer's reference tables: tag types, styles, flags, datasets, part types, source
// elements and types, focus groups, timeline locks and excluded pairs.
#include "record_fields.h"
#include "record_writer.h"

namespace hk::mktmg {

void RecordWriter::Write(const TagTypeRec& r) {
    const TagTypeFields& f = f_->tagType;
    if (!f.s)
        return;
    TableSink& s = *f.s;
    s.Begin(r.dsid);
    s.Bool(f.ISPICKED, r.picked);
    s.Bool(f.PICKED, r.picked);
    s.Bool(f.ACTIVE, r.active);
    s.Int(f.ETYPENUM, r.number);
    s.Int(f.ORIGETYPE, r.original);
    s.Int(f.ADMIN, r.group);
    s.Bool(f.LDSONLY, r.ldsOnly);
    s.Text(f.ETYPENAME, r.name);
    s.Text(f.GEDCOM_TAG, r.gedcom);
    s.Bool(f.ISREPORT, r.report);
    s.Memo(f.TSENTENCE, r.sentence);
    s.Memo(f.SENTENCE, r.sentence);
    s.Text(f.ABBREV, r.abbrev);
    s.Bool(f.WITDISP, r.witnessDisplay);
    s.Text(f.PASTTENSE, r.pastTense);
    s.Bool(f.PRINROLE, r.principalRole);
    s.Bool(f.WITROLE, r.witnessRole);
    s.Int(f.MAXYEAR, r.maxYear);
    s.Int(f.MINYEAR, r.minYear);
    s.Memo(f.PROPERTIES, r.properties);
    for (int yn : {f.YNDATE, f.YNPLACE, f.YNFOOT, f.YNNAME})
        s.Bool(yn, true);
    s.End(r.deleted);
}

void RecordWriter::Write(const StyleRec& r) {
    const StyleFields& f = f_->style;
    if (!f.s)
        return;
    TableSink& s = *f.s;
    s.Begin(r.dsid);
    s.Int(f.STYLEID, r.id);
    s.Memo(f.ST_DISPLAY, r.display);
    s.Memo(f.ST_OUTPUT, r.output);
    s.Char(f.GROUP, r.group);
    s.Memo(f.SRNAMESORT, r.surnameSort);
    s.Memo(f.SRNAMEDISP, r.surnameDisplay);
    s.Memo(f.GVNAMESORT, r.givenSort);
    s.Memo(f.GVNAMEDISP, r.givenDisplay);
    s.Memo(f.OTHERDISP, r.other);
    s.Text(f.STYLENAME, r.name);
    s.End(r.deleted);
}

void RecordWriter::Write(const FlagRec& r) {
    const FlagFields& f = f_->flag;
    if (!f.s)
        return;
    TableSink& s = *f.s;
    s.Begin(r.dsid);
    s.Text(f.FLAGLABEL, r.label);
    s.Text(f.FLAGFIELD, r.field);
    s.Text(f.FLAGVALUE, r.values);
    s.Int(f.SEQUENCE, r.sequence);
    s.Memo(f.DESCRIPT, r.description);
    s.Bool(f.ACTIVE, r.active);
    s.Int(f.FLAGID, r.id);
    s.Memo(f.PROPERTY, r.property);
    s.End(r.deleted);
}

void RecordWriter::Write(const DatasetRec& r) {
    const DatasetFields& f = f_->dataset;
    if (!f.s)
        return;
    TableSink& s = *f.s;
    s.Begin(r.dsid);
    s.Text(f.DSNAME, r.name);
    s.Text(f.DSLOCATION, r.location);
    s.Int(f.DSTYPE, r.importType);
    s.Bool(f.DSLOCKED, r.locked);
    s.Bool(f.DSENABLED, r.enabled);
    s.Memo(f.PROPERTY, r.property);
    s.Memo(f.DCOMMENT, r.comment);
    s.Int(f.NAMESTYLE, r.nameStyle);
    s.Int(f.PLACESTYLE, r.placeStyle);
    s.End(r.deleted);
}

namespace {

void WritePartType(const PartTypeFields& f, const PartTypeRec& r) {
    if (!f.s)
        return;
    TableSink& s = *f.s;
    s.Begin(r.dsid);
    s.Int(f.ID, r.id);
    s.Text(f.VALUE, r.value);
    s.Bool(f.SYSTEM, r.system);
    s.Int(f.TYPE, r.type);
    s.Text(f.SHORTVALUE, r.shortValue);
    s.Text(f.TEMPLATE, r.templateText);
    s.End(r.deleted);
}

} // namespace

void RecordWriter::WriteNamePartType(const PartTypeRec& r) {
    WritePartType(f_->npt, r);
}
void RecordWriter::WritePlacePartType(const PartTypeRec& r) {
    WritePartType(f_->ppt, r);
}

void RecordWriter::Write(const SourceElementRec& r) {
    const ElementFields& f = f_->element;
    if (!f.s)
        return;
    f.s->Begin(r.dsid);
    f.s->Int(f.RECNO, r.recNo);
    f.s->Text(f.ELEMENT, r.element);
    f.s->Int(f.GROUPNUM, r.group);
    f.s->End(r.deleted);
}

void RecordWriter::Write(const SourceTypeRec& r) {
    const SourceTypeFields& f = f_->sourceType;
    if (!f.s)
        return;
    TableSink& s = *f.s;
    s.Begin(r.dsid);
    s.Int(f.RULESET, r.ruleSet);
    s.Int(f.SOURTYPE, r.type);
    s.Int(f.TRANS_TO, r.translateTo);
    s.Text(f.NAME, r.name);
    s.Memo(f.FOOT, r.foot);
    s.Memo(f.SHORT, r.shortForm);
    s.Memo(f.BIB, r.bib);
    s.Memo(f.CUSTFOOT, r.custFoot);
    s.Memo(f.CUSTSHORT, r.custShort);
    s.Memo(f.CUSTBIB, r.custBib);
    s.Int(f.SAMEAS, r.sameAs);
    s.Memo(f.SAMEASMSG, r.sameAsMessage);
    s.Bool(f.PRIMARY, r.primary);
    s.End(r.deleted);
}

void RecordWriter::Write(const FocusGroupRec& r) {
    const FocusFields& f = f_->focus;
    if (!f.s)
        return;
    f.s->Begin(0);
    f.s->Int(f.GROUPNUM, r.number);
    f.s->Text(f.GROUPNAME, r.name);
    f.s->Bool(f.RECENT, r.recent);
    f.s->End(r.deleted);
}

void RecordWriter::Write(const GroupMemberRec& r) {
    const MemberFields& f = f_->member;
    if (!f.s)
        return;
    f.s->Begin(r.dsid);
    f.s->Int(f.GROUPNUM, r.group);
    f.s->Int(f.MEMBERNUM, r.perNo);
    f.s->End(r.deleted);
}

void RecordWriter::Write(const TimelineLockRec& r) {
    const LockFields& f = f_->lock;
    if (!f.s)
        return;
    f.s->Begin(r.dsid);
    f.s->Int(f.IDLOCK, r.perNo);
    f.s->Text(f.TNAME, r.timeline);
    f.s->End(r.deleted);
}

void RecordWriter::Write(const ExcludedPairRec& r) {
    const PairFields& f = f_->pair;
    if (!f.s)
        return;
    f.s->Begin(r.dsid);
    f.s->Int(f.PER1, r.per1);
    f.s->Int(f.PER2, r.per2);
    f.s->End(r.deleted);
}

} // namespace hk::mktmg
