// SPDX-License-Identifier: GPL-3.0-or-later
// How the panes turn file names into text and order them.
#include "platform/files/file_name_codec.h"
#include "platform/files/natural_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using crunchwise::FileNameCodec;
using crunchwise::NaturalOrder;

namespace {

struct RawName {
    const char* label;
    QByteArray bytes;
    bool validUtf8;
};

class FileNameCodecRoundTrip : public testing::TestWithParam<RawName> {};

TEST_P(FileNameCodecRoundTrip, EncodesBackToTheSameBytes) {
    const RawName& name = GetParam();
    const QString decoded = FileNameCodec::decode(name.bytes);
    EXPECT_EQ(FileNameCodec::encode(decoded), name.bytes);
    EXPECT_EQ(FileNameCodec::hasEscapedBytes(decoded), !name.validUtf8);
    if (name.validUtf8) {
        EXPECT_EQ(decoded, QString::fromUtf8(name.bytes));
        EXPECT_EQ(FileNameCodec::displayText(decoded), decoded);
    } else {
        EXPECT_TRUE(FileNameCodec::displayText(decoded).contains(QChar::ReplacementCharacter));
    }
}

INSTANTIATE_TEST_SUITE_P(Names, FileNameCodecRoundTrip,
                         testing::Values(RawName{"Ascii", "SETUP.EX_", true},
                                         RawName{"Empty", "", true},
                                         RawName{"TwoByteUtf8", "caf\xc3\xa9.txt", true},
                                         RawName{"ThreeByteUtf8", "\xe2\x82\xac.dl_", true},
                                         RawName{"FourByteUtf8", "\xf0\x9f\x98\x80 x", true},
                                         RawName{"Latin1Byte", "caf\xe9.txt", false},
                                         RawName{"TruncatedSequenceAtEnd", "x\xe2\x82", false},
                                         RawName{"TruncatedSequenceInside", "\xe2\x82x", false},
                                         RawName{"OverlongSlash", "a\xc0\xaf\x62", false},
                                         RawName{"EncodedSurrogate", "\xed\xa0\x80", false},
                                         RawName{"BeyondUnicode", "\xf4\x90\x80\x80", false},
                                         RawName{"LoneContinuationBytes", "\x80\xbf\xff", false}),
                         [](const testing::TestParamInfo<RawName>& info) {
                             return info.param.label;
                         });

struct Ordered {
    const char* label;
    QString first;
    QString second;
};

class NaturalOrderPairs : public testing::TestWithParam<Ordered> {};

TEST_P(NaturalOrderPairs, PutsTheFirstBeforeTheSecond) {
    const Ordered& pair = GetParam();
    EXPECT_TRUE(NaturalOrder::lessThan(pair.first, pair.second));
    EXPECT_FALSE(NaturalOrder::lessThan(pair.second, pair.first));
}

INSTANTIATE_TEST_SUITE_P(
    Pairs, NaturalOrderPairs,
    testing::Values(Ordered{"SmallerNumberFirst", "file9", "file10"},
                    Ordered{"NumbersInsideNames", "disk2.ex_", "disk10.ex_"},
                    Ordered{"LeadingZerosCountAsTheValue", "x007", "x8"},
                    Ordered{"EqualValueShorterSpellingLast", "x007", "x7"},
                    Ordered{"CaseIgnored", "apple", "Banana"},
                    Ordered{"SameLettersUpperCaseFirst", "README", "readme"},
                    Ordered{"AccentsFoldOntoTheirLetter", "\u00e9clair", "ezra"},
                    Ordered{"DigitsBeforeLetters", "1st", "a"},
                    Ordered{"ShorterPrefixFirst", "file1", "file1a"},
                    Ordered{"BlankBeforeLetters", "a b", "ab"},
                    Ordered{"HugeNumbers", "v99999999999999999999", "v100000000000000000000"}),
    [](const testing::TestParamInfo<Ordered>& info) { return info.param.label; });

TEST(NaturalOrder, SortMatchesTheComparison) {
    std::vector<QString> names;
    for (int i = 0; i < 300; ++i)
        names.push_back(QStringLiteral("%1file%2.%3").arg(i % 3 ? "" : "F").arg(i % 37).arg(i % 5));
    std::shuffle(names.begin(), names.end(), std::mt19937(7));
    NaturalOrder::sort(names);
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end(), NaturalOrder::lessThan));
    EXPECT_EQ(names.size(), 300u);
}

} // namespace
