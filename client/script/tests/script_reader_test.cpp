#include "script/script_reader.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace script {
namespace {

std::string text(const QString& value) { return value.toStdString(); }

// A step as one comparable line of text.
QString describe(const Step& step) {
  QStringList parts;
  parts << QString::number(step.line);
  switch (step.kind) {
    case StepKind::Connect:
      parts << QStringLiteral("connect") << step.progId.value_or(QStringLiteral("-"))
            << step.machine.value_or(QStringLiteral("-"));
      break;
    case StepKind::Disconnect: parts << QStringLiteral("disconnect"); break;
    case StepKind::Menu: parts << QStringLiteral("menu") << step.menuPath.join(QLatin1Char('|')); break;
    case StepKind::Group: parts << QStringLiteral("group") << step.group << step.entry; break;
    case StepKind::Item: parts << QStringLiteral("item") << step.group << step.item << step.entry; break;
    case StepKind::Wait: parts << QStringLiteral("wait") << QString::number(step.waitMs); break;
    case StepKind::Expect: {
      static const char* const kinds[] = {"code", "line", "match", "box", "function", "connected", "disconnected"};
      parts << QStringLiteral("expect") << QString::fromLatin1(kinds[static_cast<int>(step.expectation.kind)])
            << step.expectation.text;
      if (step.expectation.kind == ExpectKind::Code) {
        parts << QStringLiteral("0x%1").arg(static_cast<DWORD>(step.expectation.code), 8, 16, QLatin1Char('0'));
      }
      break;
    }
  }
  for (const FieldAnswer& answer : step.answers) parts << QStringLiteral("[%1=%2]").arg(answer.label, answer.value);
  if (step.button) parts << QStringLiteral("button:") + *step.button;
  if (step.dialogWaitMs) parts << QStringLiteral("wait:%1").arg(*step.dialogWaitMs);
  for (const QString& box : step.boxAnswers) parts << QStringLiteral("box:") + box;
  return parts.join(QLatin1Char(' '));
}

TEST(ScriptReaderTest, ReadsEveryKindOfStep) {
  struct Case {
    const char* line;
    const char* step;
  };
  const Case cases[] = {
      {"connect", "1 connect - -"},
      {"connect Pelkor.DataSample", "1 connect Pelkor.DataSample -"},
      {"connect Pelkor.DataSample \\\\plant-7", "1 connect Pelkor.DataSample \\\\plant-7"},
      {"disconnect", "1 disconnect"},
      {"disconnect box=Yes", "1 disconnect box:Yes"},
      {"OPCServer/IOPCServer/GetStatus", "1 menu OPCServer|IOPCServer|GetStatus"},
      {"\"View/Refresh Public Group\"", "1 menu View|Refresh Public Group"},
      {"Help/About Quillon... button=OK", "1 menu Help|About Quillon... button:OK"},
      {"View / Refresh  Public Group", "1 menu View|Refresh Public Group"},
      {"OPCServer/IOPCServer/AddGroup \"Name of the Group\"=G1 \"Req. Update Rate\"=500",
       "1 menu OPCServer|IOPCServer|AddGroup [Name of the Group=G1] [Req. Update Rate=500]"},
      {"OPCServer/IOPCServer/RemoveGroup button=Cancel", "1 menu OPCServer|IOPCServer|RemoveGroup button:Cancel"},
      {"group \"G1\" Add all Items", "1 group G1 Add all Items"},
      {"group G1 \"Read all Items n\" \"Number of read access\"=3",
       "1 group G1 Read all Items n [Number of read access=3]"},
      {"item \"G1\" \"Simulation.Ramp\" Read", "1 item G1 Simulation.Ramp Read"},
      {"item G1 Static.I4 Write \"Value to write\"=42 box=OK box=No",
       "1 item G1 Static.I4 Write [Value to write=42] box:OK box:No"},
      {"item G1 Simulation.Ramp \"Advise Data\" wait=10000 button=Close",
       "1 item G1 Simulation.Ramp Advise Data button:Close wait:10000"},
      {"wait 250", "1 wait 250"},
      {"expect S_OK", "1 expect code S_OK 0x00000000"},
      {"expect code E_FAIL", "1 expect code E_FAIL 0x80004005"},
      {"expect code 0x80004005", "1 expect code 0x80004005 0x80004005"},
      {"expect code -2147467259", "1 expect code -2147467259 0x80004005"},
      {"expect \"Function Failed : 80010105h\"", "1 expect code Function Failed : 80010105h 0x80010105"},
      {"expect line \"dwGroupCount       : 1\"", "1 expect line dwGroupCount       : 1"},
      {"expect match \"^dwGroupCount +: [0-9]+$\"", "1 expect match ^dwGroupCount +: [0-9]+$"},
      {"expect box \"Cannot write arrays\"", "1 expect box Cannot write arrays"},
      {"expect function IOPCServer::GetStatus", "1 expect function IOPCServer::GetStatus"},
      {"expect connected", "1 expect connected "},
      {"expect disconnected", "1 expect disconnected "},
  };
  for (const Case& c : cases) {
    const Script script = ReadScript(QString::fromUtf8(c.line));
    ASSERT_TRUE(script.errors.empty()) << c.line << ": " << text(script.errors.front().reason);
    ASSERT_EQ(script.steps.size(), 1u) << c.line;
    EXPECT_EQ(text(describe(script.steps.front())), c.step) << c.line;
  }
}

TEST(ScriptReaderTest, QuotesKeepBlanksEqualSignsQuotesAndBackslashes) {
  struct Case {
    const char* line;
    const char* step;
  };
  const Case cases[] = {
      // An "=" inside quotes is text; the first one outside them splits the answer.
      {"OPCServer/IOPCCommon/SetClientName \"The client name\"=\"a=b\"",
       "1 menu OPCServer|IOPCCommon|SetClientName [The client name=a=b]"},
      {"OPCServer/IOPCCommon/SetClientName \"x=y\"=1", "1 menu OPCServer|IOPCCommon|SetClientName [x=y=1]"},
      {"OPCServer/IOPCCommon/SetClientName Name=\"two  blanks\"",
       "1 menu OPCServer|IOPCCommon|SetClientName [Name=two  blanks]"},
      {"OPCServer/IOPCCommon/SetClientName Name=\"say \\\"hi\\\" \\\\o/\"",
       "1 menu OPCServer|IOPCCommon|SetClientName [Name=say \"hi\" \\o/]"},
      {"OPCServer/IOPCCommon/SetClientName Name=", "1 menu OPCServer|IOPCCommon|SetClientName [Name=]"},
      {"OPCServer/IOPCCommon/SetClientName Name=\"\"", "1 menu OPCServer|IOPCCommon|SetClientName [Name=]"},
      {"group \"Group 1\" \"Read all Items n\" \"Number of read access\"=3",
       "1 group Group 1 Read all Items n [Number of read access=3]"},
      // A backslash outside quotes, and before other letters, is itself.
      {"connect Pelkor.DataSample \"\\\\host\\x\"", "1 connect Pelkor.DataSample \\host\\x"},
      // A "#" after the start of a line is no comment: browse filters use it.
      {"expect line \"Item#1\"", "1 expect line Item#1"},
      // Tabs separate words like blanks.
      {"wait\t10", "1 wait 10"},
  };
  for (const Case& c : cases) {
    const Script script = ReadScript(QString::fromUtf8(c.line));
    ASSERT_TRUE(script.errors.empty()) << c.line << ": " << text(script.errors.front().reason);
    ASSERT_EQ(script.steps.size(), 1u) << c.line;
    EXPECT_EQ(text(describe(script.steps.front())), c.step) << c.line;
  }
}

TEST(ScriptReaderTest, KeepsLineNumbersPastCommentsAndBlankLines) {
  const Script script = ReadScript(QStringLiteral("# a comment\n\nconnect\r\n   # indented comment\n  wait 5  \n"
                                                  "OPCServer/IOPCServer/GetStatus\nexpect S_OK"));
  ASSERT_TRUE(script.errors.empty());
  ASSERT_EQ(script.steps.size(), 4u);
  EXPECT_EQ(script.steps[0].line, 3);
  EXPECT_EQ(script.steps[1].line, 5);
  EXPECT_EQ(text(script.steps[1].source), "wait 5");
  EXPECT_EQ(script.steps[2].line, 6);
  EXPECT_EQ(script.steps[3].line, 7);
}

TEST(ScriptReaderTest, NamesEveryBadLineWithItsNumberAndReason) {
  struct Case {
    const char* line;
    const char* reason;  // a part of the reason
  };
  const Case cases[] = {
      {"connect \"Pelkor.DataSample", "a quote is not closed"},
      {"connect a b c", "at most a ProgID and a machine"},
      {"connect Pelkor.DataSample Name=x", "opens no dialog"},
      {"disconnect now", "disconnect takes no words"},
      {"wait", "use: wait MILLISECONDS"},
      {"wait soon", "use: wait MILLISECONDS"},
      {"wait -5", "use: wait MILLISECONDS"},
      {"wait 5 6", "use: wait MILLISECONDS"},
      {"group", "use: group \"GROUP\" ENTRY"},
      {"group \"G1\"", "use: group \"GROUP\" ENTRY"},
      {"item \"G1\" \"Simulation.Ramp\"", "use: item \"GROUP\" \"ITEM\" ENTRY"},
      {"OPCServer/IOPCServer/AddGroup Name=G1 of", "\"of\" follows the answers"},
      {"OPCServer//AddGroup", "has an empty entry"},
      {"OPCServer/IOPCServer/AddGroup =G1", "has no label"},
      {"OPCServer/IOPCServer/AddGroup button=OK button=Cancel", "two buttons"},
      {"OPCServer/IOPCServer/AddGroup wait=later", "is not a number of milliseconds"},
      {"Name=G1", "answers but no command"},
      {"expect", "expect what?"},
      {"expect code", "needs a text"},
      {"expect code E_BOGUS", "no return code name or number"},
      {"expect code 0x123456789", "no return code name or number"},
      {"expect code 4294967296", "no return code name or number"},
      {"expect E_BOGUS", "expect knows no check of that name"},
      {"expect line dwGroupCount       : 1", "put a text with blanks in double quotes"},
      {"expect match \"([a-z\"", "is not valid"},
      {"expect connected now", "takes no text"},
  };
  for (const Case& c : cases) {
    const Script script = ReadScript(QStringLiteral("# first line\n") + QString::fromUtf8(c.line));
    ASSERT_EQ(script.errors.size(), 1u) << c.line;
    EXPECT_EQ(script.errors.front().line, 2) << c.line;
    EXPECT_NE(text(script.errors.front().reason).find(c.reason), std::string::npos)
        << c.line << " gave: " << text(script.errors.front().reason);
    EXPECT_TRUE(script.steps.empty()) << c.line;
  }
}

TEST(ScriptReaderTest, ListsAllBadLinesNotOnlyTheFirst) {
  const Script script = ReadScript(QStringLiteral("wait x\nconnect\nexpect\n"));
  ASSERT_EQ(script.errors.size(), 2u);
  EXPECT_EQ(script.errors[0].line, 1);
  EXPECT_EQ(script.errors[1].line, 3);
}

}  // namespace
}  // namespace script
