#include "platform/HandoverRecord.h"

#include <gtest/gtest.h>

namespace zeb {
namespace {

TEST(HandoverRecord, EncodesModeLittleEndianAndZeroTerminatedPath) {
    auto record = EncodeHandoverRecord(HandoverMode::Add, "/music/a b.mp3");
    ASSERT_TRUE(record);
    ASSERT_EQ(record->size(), kHandoverRecordSize);
    EXPECT_EQ((*record)[0], 1);
    EXPECT_EQ((*record)[1], 0);
    EXPECT_EQ((*record)[2], 0);
    EXPECT_EQ((*record)[3], 0);
    std::string path(record->begin() + 4, record->begin() + 4 + 14);
    EXPECT_EQ(path, "/music/a b.mp3");
    EXPECT_EQ((*record)[4 + 14], 0);

    auto cd = EncodeHandoverRecord(HandoverMode::PlayAudioCd, "");
    ASSERT_TRUE(cd);
    EXPECT_EQ((*cd)[0], 2);
    EXPECT_EQ((*cd)[4], 0);
}

TEST(HandoverRecord, LongPathsGrowTheRecordUpToTheSystemsLimit) {
    std::string longest(263, 'x');
    longest[0] = '/';
    auto record = EncodeHandoverRecord(HandoverMode::OpenAndPlay, longest);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->size(), kHandoverRecordSize);
    EXPECT_EQ(record->back(), 0);
    auto decoded = DecodeHandoverRecord(*record);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->mode, HandoverMode::OpenAndPlay);
    EXPECT_EQ(decoded->path, longest);

    // One byte more: the record grows by it instead of the path being lost.
    for (size_t size : {264u, 1000u, 4095u}) {
        std::string path = "/" + std::string(size - 1, 'y');
        auto grown = EncodeHandoverRecord(HandoverMode::Add, path);
        ASSERT_TRUE(grown) << size;
        EXPECT_EQ(grown->size(), 4 + size + 1);
        auto back = DecodeHandoverRecord(*grown);
        ASSERT_TRUE(back) << size;
        EXPECT_EQ(back->mode, HandoverMode::Add);
        EXPECT_EQ(back->path, path);
    }
    EXPECT_FALSE(EncodeHandoverRecord(HandoverMode::Add, std::string(4096, 'z')));
    EXPECT_FALSE(EncodeHandoverRecord(HandoverMode::Add, std::string("/a\0b", 4)));

    std::string utf8 = "/musik/Bjørk – Jóga.mp3";
    auto again = DecodeHandoverRecord(*EncodeHandoverRecord(HandoverMode::Add, utf8));
    ASSERT_TRUE(again);
    EXPECT_EQ(again->mode, HandoverMode::Add);
    EXPECT_EQ(again->path, utf8);
}

TEST(HandoverRecord, DecodeRefusesWrongSizesAndUnknownModes) {
    std::vector<uint8_t> record = *EncodeHandoverRecord(HandoverMode::Add, "/a.mp3");
    std::vector<uint8_t> shorter(record.begin(), record.end() - 1);
    EXPECT_FALSE(DecodeHandoverRecord(shorter));
    std::vector<uint8_t> tooLong = record;
    tooLong.resize(kMaxHandoverRecordSize + 1);
    EXPECT_FALSE(DecodeHandoverRecord(tooLong));
    EXPECT_FALSE(DecodeHandoverRecord({}));

    std::vector<uint8_t> badMode = record;
    badMode[0] = 3;
    EXPECT_FALSE(DecodeHandoverRecord(badMode));
    badMode[0] = 1;
    badMode[3] = 0x80; // a high byte makes it another (negative) mode
    EXPECT_FALSE(DecodeHandoverRecord(badMode));
}

TEST(HandoverRecord, PathEndsAtFirstZeroOrAtTheEndOfItsField) {
    std::vector<uint8_t> record(kHandoverRecordSize, 'z'); // garbage after the path
    record[0] = 0;
    record[1] = record[2] = record[3] = 0;
    auto unterminated = DecodeHandoverRecord(record);
    ASSERT_TRUE(unterminated);
    EXPECT_EQ(unterminated->path, std::string(kHandoverPathSize, 'z'));

    record[4] = '/';
    record[5] = 'b';
    record[6] = 0;
    auto terminated = DecodeHandoverRecord(record);
    ASSERT_TRUE(terminated);
    EXPECT_EQ(terminated->mode, HandoverMode::OpenAndPlay);
    EXPECT_EQ(terminated->path, "/b");
}

} // namespace
} // namespace zeb
