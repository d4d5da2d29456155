// SPDX-License-Identifier: GPL-3.0-or-later
// How the panes turn file names into text and order them.
#include "common/file_name_codec.h"
#include "desktop/files/file_url.h"
#include "desktop/files/folder_listing.h"
#include "desktop/files/natural_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using crunchwise::FileNameCodec;
using crunchwise::FolderListing;
namespace FileUrl = crunchwise::FileUrl;
using crunchwise::NaturalOrder;

namespace {

// Each parameter prints as its label, which also names its case.
struct RawName {
    const char* label;
    QByteArray bytes;
    bool validUtf8;
    friend void PrintTo(const RawName& name, std::ostream* out) { *out << name.label; }
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
    friend void PrintTo(const Ordered& pair, std::ostream* out) { *out << pair.label; }
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

// A name of ASCII bytes takes a faster way to its key, to the same key.
TEST(NaturalOrder, AsciiBytesKeyAsTheirText) {
    for (const QByteArray& name :
         {QByteArray("Setup_File007.EX_"), QByteArray("a1b22c333"), QByteArray("0"),
          QByteArray("x") + QByteArray(200, '9') + "y", QByteArray("MiXeD CaSe ~!@#.txt")}) {
        std::string fromBytes, fromText;
        NaturalOrder::appendKey(fromBytes,
                                std::string_view(name.constData(), std::size_t(name.size())));
        NaturalOrder::appendKey(fromText, QString::fromLatin1(name));
        EXPECT_EQ(fromBytes, fromText) << name.toStdString();
    }
}

// Names that tie in their first key bytes, share long beginnings, differ in
// case or accents only, or are not UTF-8: the listing's fast sort must agree
// with the comparison.
TEST(NaturalOrder, FolderListingSortsAsTheComparison) {
    std::vector<QByteArray> names;
    for (int i = 0; i < 300; ++i)
        names.push_back(
            QStringLiteral("%1file%2.%3").arg(i % 3 ? "" : "F").arg(i % 37).arg(i).toUtf8());
    for (int i = 0; i < 40; ++i)
        names.push_back("Setup_File_with_a_long_shared_beginning_" +
                        QByteArray::number(i * 7919 % 1000));
    for (const char* odd :
         {"caf\xc3\xa9", "CAF\xc3\x89", "cafe", "caf\xe9", "caf\xe9 2", "\xff", "x007", "x7"})
        names.push_back(odd);
    std::shuffle(names.begin(), names.end(), std::mt19937(7));
    FolderListing listing;
    for (const QByteArray& name : names)
        listing.add(std::string_view(name.constData(), std::size_t(name.size())));
    listing.sort();
    ASSERT_EQ(std::size_t(listing.size()), names.size());
    for (qsizetype i = 1; i < listing.size(); ++i) {
        EXPECT_TRUE(NaturalOrder::lessThan(listing.name(i - 1), listing.name(i)))
            << listing.bytes(i - 1).toByteArray().toStdString() << " / "
            << listing.bytes(i).toByteArray().toStdString();
    }
    // The exact bytes find their own name, never the look-alike.
    const qsizetype latin1 = listing.indexOf(QByteArrayView("caf\xe9", 4));
    ASSERT_GE(latin1, 0);
    EXPECT_NE(latin1, listing.indexOf("caf\xc3\xa9"));
    EXPECT_EQ(FileNameCodec::encode(listing.name(latin1)), QByteArray("caf\xe9"));
    EXPECT_EQ(listing.indexOf("missing"), -1);
}

// File addresses as drag and drop passes them: exact bytes both ways.
TEST(FileUrl, PathsComeBackByteForByte) {
    const QStringList paths{FileNameCodec::decode("/tmp/caf\xe9 #1 100%?.ex_"),
                            FileNameCodec::decode("/tmp/caf\xc3\xa9 \"x\";$(y).txt"),
                            QStringLiteral("/")};
    const QByteArray list = FileUrl::uriList(paths);
    EXPECT_TRUE(list.startsWith("file:///tmp/caf%E9%20%231%20100%25%3F.ex_\r\n"));
    EXPECT_EQ(FileUrl::localPaths(list), paths);
}

struct UriLine {
    const char* label;
    QByteArray line;
    QString path; // empty: left out
    friend void PrintTo(const UriLine& line, std::ostream* out) { *out << line.label; }
};

class FileUrlLines : public testing::TestWithParam<UriLine> {};

TEST_P(FileUrlLines, NameALocalPathOrNothing) {
    const UriLine& line = GetParam();
    const QStringList paths = FileUrl::localPaths("# a comment\r\n" + line.line + "\r\n");
    EXPECT_EQ(paths, line.path.isEmpty() ? QStringList() : QStringList{line.path});
}

INSTANTIATE_TEST_SUITE_P(
    Lines, FileUrlLines,
    testing::Values(UriLine{"Plain", "file:///a/b.txt", "/a/b.txt"},
                    UriLine{"Localhost", "file://localhost/a%20b", "/a b"},
                    UriLine{"RawUtf8FromALaxSender", "file:///caf\xc3\xa9 x", "/caf\u00e9 x"},
                    UriLine{"OtherHost", "file://elsewhere/a", ""},
                    UriLine{"OtherScheme", "https://example.org/a", ""},
                    UriLine{"EncodedSlashNamesNoFile", "file:///a%2Fb", ""},
                    UriLine{"EncodedNul", "file:///a%00b", ""}, UriLine{"Relative", "file:a", ""}),
    [](const testing::TestParamInfo<UriLine>& info) { return info.param.label; });

} // namespace
