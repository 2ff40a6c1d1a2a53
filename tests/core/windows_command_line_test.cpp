#include "platform/windows_command_line.h"

#include <gtest/gtest.h>

namespace qz7 {
namespace {

using Arguments = std::vector<std::string>;

TEST(WindowsCommandLine, BlanksAndTabsSeparateArguments) {
    EXPECT_EQ(splitWindowsCommandLine(""), Arguments{});
    EXPECT_EQ(splitWindowsCommandLine(" \t "), Arguments{});
    EXPECT_EQ(splitWindowsCommandLine("  a\tb   c "), (Arguments{"a", "b", "c"}));
    EXPECT_EQ(splitWindowsCommandLine(
                  "+set dedicated 1 +set sv_config server_mod.cfg  +set sv_hostname "
                  "^4~^1Host ^3Rovazid^4~+set sv_maprotation Manual_MapRot  +start_map_rotate"),
              (Arguments{"+set", "dedicated", "1", "+set", "sv_config", "server_mod.cfg", "+set",
                         "sv_hostname", "^4~^1Host", "^3Rovazid^4~+set", "sv_maprotation",
                         "Manual_MapRot", "+start_map_rotate"}));
}

TEST(WindowsCommandLine, QuotesGroupAndDisappear) {
    EXPECT_EQ(splitWindowsCommandLine("\"a b\" c"), (Arguments{"a b", "c"}));
    EXPECT_EQ(splitWindowsCommandLine("a\"b c\"d e"), (Arguments{"ab cd", "e"}));
    EXPECT_EQ(splitWindowsCommandLine("\"\" x"), (Arguments{"", "x"}));
    EXPECT_EQ(splitWindowsCommandLine("a\"\"b"), Arguments{"ab"});
    // An unclosed quote runs to the end of the text, blanks included.
    EXPECT_EQ(splitWindowsCommandLine("\"a b  "), Arguments{"a b  "});
}

TEST(WindowsCommandLine, DoubledQuoteInsideQuotesIsALiteralQuote) {
    EXPECT_EQ(splitWindowsCommandLine("\"a\"\"b\""), Arguments{"a\"b"});
    EXPECT_EQ(splitWindowsCommandLine("\"\"\""), Arguments{"\""});
    EXPECT_EQ(splitWindowsCommandLine("\"a\"\"\" b"), (Arguments{"a\"", "b"}));
}

TEST(WindowsCommandLine, BackslashesCountOnlyBeforeAQuote) {
    EXPECT_EQ(splitWindowsCommandLine("C:\\Games\\QZ7\\ x\\\\"),
              (Arguments{"C:\\Games\\QZ7\\", "x\\\\"}));
    EXPECT_EQ(splitWindowsCommandLine("a\\\"b"), Arguments{"a\"b"});          // \"   -> "
    EXPECT_EQ(splitWindowsCommandLine("a\\\\\"b c\""), Arguments{"a\\b c"});  // \\"  -> \ + quote
    EXPECT_EQ(splitWindowsCommandLine("a\\\\\\\"b"), Arguments{"a\\\"b"});    // \\\" -> \"
    EXPECT_EQ(splitWindowsCommandLine("\"C:\\Program Files\\\\\" x"),
              (Arguments{"C:\\Program Files\\", "x"}));
}

TEST(WindowsCommandLine, OtherBytesPassUnchanged) {
    EXPECT_EQ(splitWindowsCommandLine("^1Хост 'a' ;b"), (Arguments{"^1Хост", "'a'", ";b"}));
}

TEST(WindowsCommandLine, JoinedArgumentsSplitBackUnchanged) {
    const Arguments arguments = {"C:\\Program Files\\QZ7\\qz7ctl.exe",
                                 "",
                                 "Захват «флага» 50%",
                                 "a\"b",
                                 "tail\\",
                                 "in \\\"middle\\",
                                 "\t",
                                 "C:\\Games\\"};
    const std::string line = joinWindowsCommandLine(arguments);
    EXPECT_EQ(splitWindowsCommandLine(line), arguments) << line;
    EXPECT_EQ(joinWindowsCommandLine({"serve", "#1"}), "serve #1");
}

}  // namespace
}  // namespace qz7
