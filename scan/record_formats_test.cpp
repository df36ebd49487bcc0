// SPDX-License-Identifier: MIT
#include "scan/record_formats.h"

#include <gtest/gtest.h>

#include "scan/sarif_log.h"
#include "scan/test/scan_test_support.h"

namespace {

Diagnostic error(std::int64_t offset, std::uint32_t track, std::uint32_t event) {
  Diagnostic d;
  d.code = "track-length";
  d.severity = QUELDER_SEVERITY_ERROR;
  d.grade = QUELDER_GRADE_STRUCTURE;
  d.offset = offset;
  d.track = track;
  d.event = event;
  d.tick = event > 0 ? 960 : 0;
  d.eventOffset = track > 0 ? offset - 1 : -1;
  d.message = "the track chunk is longer than its data.";
  d.counted = true;
  return d;
}

Diagnostic warning(std::int64_t offset) {
  Diagnostic d;
  d.code = "unknown-chunk";
  d.severity = QUELDER_SEVERITY_WARNING;
  d.offset = offset;
  d.message = "unknown chunk type.";
  return d;
}

// A finding past the first error or under a rule beyond the reference's,
// counted as --strict counts it.
Diagnostic finding(const char* code, quelder_severity severity, std::int64_t offset,
                   bool afterFirstError, bool counted) {
  Diagnostic d = error(offset, 1, 2);
  d.code = code;
  d.severity = severity;
  d.afterFirstError = afterFirstError;
  d.beyondReference = true;
  d.counted = counted;
  d.message = "a data byte of Note On is 80 hex or more.";
  return d;
}

Record file(const char* path, bool conforms, std::vector<Diagnostic> diagnostics,
            std::vector<Diagnostic> findings = {}) {
  Record r;
  r.path = path;
  r.conforms = conforms;
  r.format = "smf";
  r.size = 120;
  r.diagnostics = std::move(diagnostics);
  r.findings = std::move(findings);
  for (const auto* list : {&r.diagnostics, &r.findings}) {
    for (const Diagnostic& d : *list) r.fails = r.fails || d.counted;
  }
  return r;
}

Record member(const char* archive, const char* name, Record r) {
  r.path = archive;
  r.member = name;
  r.inArchive = true;
  return r;
}

Record inputError(const char* path, const char* reason) {
  Record r;
  r.path = path;
  r.inputError = true;
  r.reason = reason;
  return r;
}

Record unreadable(const char* path) {
  Diagnostic d;
  d.code = "open-failed";
  d.severity = QUELDER_SEVERITY_FILE_ERROR;
  d.message = std::string("could not open ") + path + ".";
  d.counted = true;
  Record r = file(path, false, {d});
  r.format = "unknown";
  r.size = 0;
  r.unreadable = true;
  r.reason = "Permission denied";
  return r;
}

struct LineCase {
  const char* label;
  Record record;
  const char* text;
  const char* csv;
};

const LineCase kLines[] = {
    {"conforms", file("a.mid", true, {}), "a.mid: conforms\n",
     "a.mid,,conforms,false,true,smf,120,,,,,,,,,0\n"},
    {"warning outside a track", file("w.mid", true, {warning(22)}),
     "w.mid: conforms, with warnings: unknown-chunk at 22: unknown chunk type.\n",
     "w.mid,,\"conforms, with warnings\",false,true,smf,120,unknown-chunk,warning,,22,,,,"
     "unknown chunk type.,0\n"},
    {"error in a track after a warning", file("e.mid", false, {warning(22), error(60, 2, 3)}),
     "e.mid: does not conform: track-length at 60 (track 2, event 3, tick 960): the track "
     "chunk is longer than its data. [+1 more]\n",
     "e.mid,,does not conform,true,false,smf,120,track-length,error,structure,60,2,3,960,"
     "the track chunk is longer than its data.,0\n"},
    {"a finding that does not count is not shown",
     file("f.mid", true, {},
          {finding("channel-data-byte", QUELDER_SEVERITY_BEYOND_REFERENCE, 25, false, false)}),
     "f.mid: conforms [+1 more]\n", "f.mid,,conforms,false,true,smf,120,,,,,,,,,1\n"},
    {"a finding that counts (--strict) is",
     file("s.mid", true, {},
          {finding("channel-data-byte", QUELDER_SEVERITY_BEYOND_REFERENCE, 25, false, true)}),
     "s.mid: conforms: channel-data-byte at 25 (track 1, event 2, tick 960): a data byte of "
     "Note On is 80 hex or more.\n",
     "s.mid,,conforms,true,true,smf,120,channel-data-byte,beyond-reference,structure,25,1,2,960,"
     "a data byte of Note On is 80 hex or more.,1\n"},
    {"the first error before a counted finding after it",
     file("r.mid", false, {error(20, 1, 1)},
          {finding("channel-data-byte", QUELDER_SEVERITY_BEYOND_REFERENCE, 32, true, true),
           finding("unknown-meta-type", QUELDER_SEVERITY_WARNING, 40, true, false)}),
     "r.mid: does not conform: track-length at 20 (track 1, event 1, tick 960): the track "
     "chunk is longer than its data. [+2 more]\n",
     "r.mid,,does not conform,true,false,smf,120,track-length,error,structure,20,1,1,960,"
     "the track chunk is longer than its data.,2\n"},
    {"unreadable", unreadable("locked.mid"),
     "locked.mid: cannot be read: open-failed: could not open locked.mid. (Permission denied)\n",
     "locked.mid,,cannot be read,true,false,unknown,0,open-failed,file-error,,,,,,"
     "could not open locked.mid. (Permission denied),0\n"},
    {"input error", inputError("dir", "Permission denied"),
     "dir: cannot be read: Permission denied\n",
     "dir,,cannot be read,false,,,,,,,,,,,Permission denied,\n"},
    {"member with control bytes and a comma",
     member("set,1.zip", "a\x1b[2Jb\n.mid", file("", true, {})),
     "set,1.zip::a?[2Jb?.mid: conforms\n",
     "\"set,1.zip\",a?[2Jb?.mid,conforms,false,true,smf,120,,,,,,,,,0\n"},
    {"quote in a name", file("say \"hi\".mid", true, {}), "say \"hi\".mid: conforms\n",
     "\"say \"\"hi\"\".mid\",,conforms,false,true,smf,120,,,,,,,,,0\n"},
};

TEST(TextLine, OneLinePerRecordWithItsFirstDiagnostic) {
  for (const LineCase& c : kLines) {
    std::string out;
    appendTextLine(&out, c.record, false);
    EXPECT_EQ(out, c.text) << c.label;
  }
}

TEST(CsvRow, OneRowPerRecordUnderTheHeader) {
  std::string header;
  appendCsvHeader(&header);
  EXPECT_EQ(header,
            "path,member,verdict,fails,conforms,format,size,code,severity,grade,offset,track,"
            "event,tick,message,findings\n");
  for (const LineCase& c : kLines) {
    std::string out;
    appendCsvRow(&out, c.record);
    EXPECT_EQ(out, c.csv) << c.label;
  }
}

TEST(TextLine, ColourMarksTheVerdictOnly) {
  std::string out;
  appendTextLine(&out, file("e.mid", false, {error(60, 0, 0)}), true);
  EXPECT_EQ(out,
            "e.mid: \033[1;31mdoes not conform\033[0m: track-length at 60: the track chunk is "
            "longer than its data.\n");
}

TEST(TextLine, TheFirstCountedDiagnosticIsShownAndAcceptedOnesAreMarked) {
  Diagnostic accepted = error(60, 1, 1);
  accepted.counted = false;
  accepted.suppression = Suppression::baseline;
  Record record = file("e.mid", false, {accepted});
  std::string out;
  appendTextLine(&out, record, false);
  EXPECT_EQ(out,
            "e.mid: does not conform: track-length (accepted) at 60 (track 1, event 1, tick "
            "960): the track chunk is longer than its data.\n");
  // A warning that counts comes before an earlier one that does not.
  Diagnostic counted = warning(40);
  counted.code = "unknown-meta-type";
  counted.counted = true;
  record = file("w.mid", true, {warning(22), counted});
  out.clear();
  appendTextLine(&out, record, false);
  EXPECT_EQ(
      out,
      "w.mid: conforms, with warnings: unknown-meta-type at 40: unknown chunk type. [+1 more]\n");
}

TEST(JsonLine, FileRecordsWithEveryField) {
  Diagnostic ignored = warning(22);
  ignored.suppression = Suppression::ignored;
  Diagnostic later = error(80, 2, 5);
  later.afterFirstError = true;
  later.beyondReference = true;
  later.counted = false;
  Record record = member(
      "set.zip", "a.mid",
      file("", false, {ignored, error(60, 2, 3)},
           {later,
            finding("channel-data-byte", QUELDER_SEVERITY_BEYOND_REFERENCE, 90, true, false)}));
  std::string out;
  appendJsonLine(&out, record);
  EXPECT_EQ(out,
            "{\"path\":\"set.zip\",\"member\":\"a.mid\",\"size\":120,\"conforms\":false,"
            "\"format\":\"smf\",\"fails\":true,\"readable\":true,\"diagnostics\":["
            "{\"code\":\"unknown-chunk\",\"severity\":\"warning\",\"grade\":null,\"offset\":22,"
            "\"track\":0,\"event\":0,\"tick\":0,\"event_offset\":-1,\"message\":\"unknown chunk "
            "type.\",\"suppressed\":\"ignored\",\"counted\":false},"
            "{\"code\":\"track-length\",\"severity\":\"error\",\"grade\":\"structure\","
            "\"offset\":60,\"track\":2,\"event\":3,\"tick\":960,\"event_offset\":59,\"message\":"
            "\"the track chunk is longer than its data.\",\"counted\":true}],\"findings\":["
            "{\"code\":\"track-length\",\"severity\":\"error\",\"grade\":\"structure\","
            "\"offset\":80,\"track\":2,\"event\":5,\"tick\":960,\"event_offset\":79,\"message\":"
            "\"the track chunk is longer than its data.\",\"after_first_error\":true,"
            "\"counted\":false},"
            "{\"code\":\"channel-data-byte\",\"severity\":\"beyond-reference\",\"grade\":"
            "\"structure\",\"offset\":90,\"track\":1,\"event\":2,\"tick\":960,\"event_offset\":"
            "89,\"message\":\"a data byte of Note On is 80 hex or more.\",\"after_first_error\":"
            "true,\"counted\":false}]}\n");
}

TEST(JsonLine, InputErrorsAndNamesThatAreNotUtf8) {
  std::string out;
  appendJsonLine(&out, inputError("bad\xff\x01.zip", "Truncated input file"));
  EXPECT_EQ(out,
            "{\"path\":\"bad\xEF\xBF\xBD\\u0001.zip\",\"path_base64\":\"YmFk/wEuemlw\","
            "\"error\":\"Truncated input file\"}\n");
}

TEST(SarifUri, UnreservedBytesAndSlashesStayTheRestIsEncoded) {
  EXPECT_EQ(uriOfName("dir/a-b_c.d~e.mid"), "dir/a-b_c.d~e.mid");
  EXPECT_EQ(uriOfName("a b%#?.mid"), "a%20b%25%23%3F.mid");
  EXPECT_EQ(uriOfName("caf\xC3\xA9\x01"), "caf%C3%A9%01");
}

TEST(SarifLog, MembersAreNestedArtifactsEachListedOnce) {
  SarifLog log(false);
  std::string out;
  log.appendStart(&out);
  const Record inArchive =
      member("set.zip", "a.mid", file("", false, {warning(22), error(60, 2, 3)}));
  log.appendRecord(&out, inArchive);
  log.appendRecord(&out, member("set.zip", "b.mid", file("", false, {error(60, 1, 1)})));
  log.appendRecord(&out, file("plain.mid", true, {}));
  log.appendRecord(&out, inputError("gone", "Permission denied"));
  log.appendEnd(&out, 2, false);
  EXPECT_EQ(out.rfind("{\"$schema\":\"https://json.schemastore.org/sarif-2.1.0.json\","
                      "\"version\":\"2.1.0\",\"runs\":[{\"results\":[{\"ruleId\":\"unknown-chunk\"",
                      0),
            0u)
      << out;
  EXPECT_NE(out.find("\"artifacts\":[{\"location\":{\"uri\":\"set.zip\"}},"
                     "{\"location\":{\"uri\":\"a.mid\"},\"parentIndex\":0},"
                     "{\"location\":{\"uri\":\"b.mid\"},\"parentIndex\":0}]"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("\"artifactLocation\":{\"uri\":\"b.mid\",\"index\":2}"), std::string::npos);
  EXPECT_NE(out.find("\"invocations\":[{\"executionSuccessful\":false,\"exitCode\":2,"
                     "\"toolExecutionNotifications\":[{\"level\":\"error\",\"message\":{\"text\":"
                     "\"Permission denied\"},\"locations\":[{\"physicalLocation\":{"
                     "\"artifactLocation\":{\"uri\":\"gone\"}}}]}]}]"),
            std::string::npos)
      << out;
  EXPECT_EQ(out.substr(out.size() - 7), "]}}}]}\n");
}

// Findings follow the diagnostics: notes, since they fail nothing, unless
// --strict makes them count; a rule beyond the reference's is a note by default.
TEST(SarifLog, FindingsAreNotesUnlessStrict) {
  const Record record =
      file("r.mid", false, {warning(10), error(20, 1, 1)},
           {finding("channel-data-byte", QUELDER_SEVERITY_BEYOND_REFERENCE, 32, true, false),
            finding("unknown-meta-type", QUELDER_SEVERITY_WARNING, 40, true, false)});
  const struct {
    bool strict;
    std::vector<std::string> levels;
  } cases[] = {{false, {"warning", "error", "note", "note"}},
               {true, {"warning", "error", "error", "warning"}}};
  for (const auto& c : cases) {
    SarifLog log(c.strict);
    std::string out;
    log.appendStart(&out);
    log.appendRecord(&out, record);
    log.appendEnd(&out, 1, true);
    EXPECT_EQ(sarifResultLevels(out), c.levels) << c.strict;
    EXPECT_NE(out.find("\"ruleId\":\"channel-data-byte\",\"ruleIndex\""), std::string::npos);
    const std::size_t rule = out.find("{\"id\":\"channel-data-byte\"");
    const std::string level = "\"defaultConfiguration\":{\"level\":\"note\"}";
    EXPECT_EQ(out.substr(out.find("\"defaultConfiguration\"", rule), level.size()), level);
  }
}

}  // namespace
