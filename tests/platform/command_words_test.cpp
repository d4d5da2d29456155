// SPDX-License-Identifier: GPL-3.0-or-later
// Splitting command lines by the command interpreter's quoting.
#include "platform/command_words.h"

#include <gtest/gtest.h>

using crunchwise::splitCommandWords;
using Words = std::vector<std::string>;

TEST(CommandWords, BlanksSeparateWordsAndQuotesGroupThem) {
    EXPECT_EQ(splitCommandWords("compress  a.txt\tb.tx_ ").words,
              (Words{"compress", "a.txt", "b.tx_"}));
    EXPECT_EQ(splitCommandWords(R"(ren D:/OUT/README~1.TX_ "Read Me.tx_")").words,
              (Words{"ren", "D:/OUT/README~1.TX_", "Read Me.tx_"}));
    EXPECT_EQ(splitCommandWords(R"(a"b c"d)").words, (Words{"ab cd"}));
    EXPECT_EQ(splitCommandWords(R"(x "")").words, (Words{"x", ""}));
    EXPECT_EQ(splitCommandWords(R"(x "open ended)").words, (Words{"x", "open ended"}));
    EXPECT_TRUE(splitCommandWords("   ").words.empty());
}

TEST(CommandWords, OperatorsCountOnlyOutsideQuotes) {
    const auto quoted = splitCommandWords(R"(compress "a&b|c.txt" "<x>.tx_")");
    EXPECT_EQ(quoted.unquotedOperator, '\0');
    EXPECT_EQ(quoted.words, (Words{"compress", "a&b|c.txt", "<x>.tx_"}));
    EXPECT_EQ(splitCommandWords("del a & del b").unquotedOperator, '&');
    EXPECT_EQ(splitCommandWords("del a|more").unquotedOperator, '|');
    EXPECT_EQ(splitCommandWords(R"(del "a" >out)").unquotedOperator, '>');
    EXPECT_EQ(splitCommandWords("del <in").unquotedOperator, '<');
    EXPECT_EQ(splitCommandWords(R"(del "a" "b & c")").unquotedOperator, '\0');
}
