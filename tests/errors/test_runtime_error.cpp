// SPDX-License-Identifier: GPL-3.0-or-later
#include "errors/runtime_error.h"

#include <cerrno>
#include <gtest/gtest.h>

using namespace crunchwise;

TEST(RuntimeErrorText, ClassicNumbersKeepTheirTexts) {
    EXPECT_EQ(runtimeErrorText(5), "Invalid procedure call or argument");
    EXPECT_EQ(runtimeErrorText(52), "Bad file name or number");
    EXPECT_EQ(runtimeErrorText(53), "File not found");
    EXPECT_EQ(runtimeErrorText(61), "Disk full");
    EXPECT_EQ(runtimeErrorText(74), "Can't rename with different drive");
    EXPECT_EQ(runtimeErrorText(76), "Path not found");
}

TEST(RuntimeErrorText, UnknownNumbersGetTheGenericText) {
    EXPECT_EQ(runtimeErrorText(-3), "Application-defined or object-defined error");
    EXPECT_EQ(runtimeErrorText(31337), "Application-defined or object-defined error");
}

TEST(RuntimeErrorFromErrno, HostErrorsMapOntoClassicNumbers) {
    EXPECT_EQ(runtimeErrorFromErrno(ENOENT), 53);
    EXPECT_EQ(runtimeErrorFromErrno(ENOTDIR), 76);
    EXPECT_EQ(runtimeErrorFromErrno(EACCES), 70);
    EXPECT_EQ(runtimeErrorFromErrno(EROFS), 70);
    EXPECT_EQ(runtimeErrorFromErrno(EEXIST), 58);
    EXPECT_EQ(runtimeErrorFromErrno(ENOSPC), 61);
    EXPECT_EQ(runtimeErrorFromErrno(EIO), 57);
    EXPECT_EQ(runtimeErrorFromErrno(ENOMEDIUM), 52);
    EXPECT_EQ(runtimeErrorFromErrno(ENODEV), 68);
    EXPECT_EQ(runtimeErrorFromErrno(EXDEV), 74);
    EXPECT_EQ(runtimeErrorFromErrno(EBUSY), 75);
}

TEST(RuntimeError, RaisingCarriesNumberAndDescription) {
    try {
        raiseHostError(ENOSPC);
        FAIL() << "nothing raised";
    } catch (const RuntimeError& failure) {
        EXPECT_EQ(failure.number(), 61);
        EXPECT_STREQ(failure.what(), "Disk full");
    }
}
