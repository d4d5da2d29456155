// SPDX-License-Identifier: GPL-3.0-or-later
// Compress then expand gives the source back in every format, whole or in
// chunks of any size.
#include "tests/szdd/szdd_test_data.h"

#include <gtest/gtest.h>

using namespace szdd_test;

TEST(FormatRoundTrip, EveryFormatWholeAndChunkedGivesTheSourceBack) {
    const std::vector<std::size_t> oddChunks = {1, 7, 4093, 1, 65537, 13, 100003};
    for (const Writable& format : writableFormats()) {
        for (const Sample& sample : samples()) {
            SCOPED_TRACE(std::string(format.name) + " " + sample.name);
            const Bytes file = compressAs(format, sample.data);
            Bytes out;
            ASSERT_EQ(szdd::expandAny(file, out), szdd::Status::ok);
            EXPECT_TRUE(out == sample.data);
            szdd::Header header;
            if (format.format == szdd::Format::szdd) {
                ASSERT_EQ(szdd::readHeader(file, header), szdd::Status::ok);
                EXPECT_EQ(header.missingChar, 'x');
                EXPECT_EQ(header.length, sample.data.size());
            }
            const Bytes data(file.begin() + long(format.dataAt), file.end());
            for (const auto& chunks : {oddChunks, std::vector<std::size_t>{1}}) {
                // The stream must not depend on how the source was cut.
                EXPECT_TRUE(encodeDataChunked(format, sample.data, chunks) == data);
                ASSERT_EQ(expandChunked(file, chunks, out), szdd::Status::ok);
                EXPECT_TRUE(out == sample.data);
            }
        }
    }
}
