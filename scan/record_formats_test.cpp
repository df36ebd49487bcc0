// SPDX-License-Identifier: MIT
#include "scan/record_formats.h"

#include <gtest/gtest.h>

#include "scan/sarif_log.h"

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

Record file(const char* path, bool conforms, std::vector<Diagnostic> diagnostics) {
  Record r;
  r.path = path;
  r.conforms = conforms;
  r.format = "smf";
  r.size = 120;
  r.diagnostics = diagnostics;
  r.findings = diagnostics;
  for (const Diagnostic& d : diagnostics) r.fails = r.fails || d.counted;
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
     "unknown chunk type.,1\n"},
    {"error in a track after a warning", file("e.mid", false, {warning(22), error(60, 2, 3)}),
     "e.mid: does not conform: track-length at 60 (track 2, event 3, tick 960): the track "
     "chunk is longer than its data. [+1 more]\n",
     "e.mid,,does not conform,true,false,smf,120,track-length,error,structure,60,2,3,960,"
     "the track chunk is longer than its data.,2\n"},
    {"unreadable", unreadable("locked.mid"),
     "locked.mid: cannot be read: open-failed: could not open locked.mid. (Permission denied)\n",
     "locked.mid,,cannot be read,true,false,unknown,0,open-failed,file-error,,,,,,"
     "could not open locked.mid. (Permission denied),1\n"},
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
  Record record = member("set.zip", "a.mid", file("", false, {ignored, error(60, 2, 3)}));
  record.findings[1].afterFirstError = false;
  Diagnostic beyond = error(80, 2, 5);
  beyond.afterFirstError = true;
  beyond.beyondReference = true;
  beyond.counted = false;
  record.findings.push_back(beyond);
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
            "{\"code\":\"unknown-chunk\",\"severity\":\"warning\",\"grade\":null,\"offset\":22,"
            "\"track\":0,\"event\":0,\"tick\":0,\"event_offset\":-1,\"message\":\"unknown chunk "
            "type.\",\"after_first_error\":false,\"beyond_reference\":false,\"suppressed\":"
            "\"ignored\",\"counted\":false},"
            "{\"code\":\"track-length\",\"severity\":\"error\",\"grade\":\"structure\","
            "\"offset\":60,\"track\":2,\"event\":3,\"tick\":960,\"event_offset\":59,\"message\":"
            "\"the track chunk is longer than its data.\",\"after_first_error\":false,"
            "\"beyond_reference\":false,\"counted\":true},"
            "{\"code\":\"track-length\",\"severity\":\"error\",\"grade\":\"structure\","
            "\"offset\":80,\"track\":2,\"event\":5,\"tick\":960,\"event_offset\":79,\"message\":"
            "\"the track chunk is longer than its data.\",\"after_first_error\":true,"
            "\"beyond_reference\":true,\"counted\":false}]}\n");
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

}  // namespace
