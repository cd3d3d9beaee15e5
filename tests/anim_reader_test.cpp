// tests/anim_reader_test.cpp -- both MD5anim readers from memory, loading by file name, and binding.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "anim/md5anim_parse.h"
#include "base/debug_log.h"
#include "base/basepath.h"
#include "model/model.h"

namespace fs = std::filesystem;

namespace {

const char* const kSmallV10 =
    "MD5Version 10\ncommandline \"\"\nnumFrames 2\nnumJoints 2\nnumAnimatedComponents 3\n"
    "hierarchy {\n\t\"root bone\"\t-1 0 0\t// a comment 7 7\n\t\"tip\"\t0 7 0\t// root bone\n}\n"
    "bounds {\n\t( -1 -2 -3 ) ( 1 2 3 )\n\t( -4 -5 -6 ) ( 4 5 6 )\n}\n"
    "baseframe {\n\t( 0 0 0 ) ( 0 0 0 )\n\t( 1 2 3 ) ( 0.5 0 0 )\n}\n"
    "frame 0 {\n\t10 11 12\n}\nframe 1 {\n\t20 21\n\t22\n}\n";

void addJoints(Model& model, std::initializer_list<const char*> names) {
    for (const char* name : names) {
        Joint joint;
        joint.name = name;
        model.joints.push_back(joint);
    }
}

} // namespace

TEST(AnimReaderV10, ReadsEveryBlockAndDefaultsTo24FramesPerSecond) {
    auto anim = parseAnimationV10(kSmallV10);
    ASSERT_TRUE(anim);
    EXPECT_EQ(std::make_pair(anim->numFrames, anim->numJoints), std::make_pair(2, 2));
    EXPECT_FLOAT_EQ(anim->frameRate, 24.0f); // no "frameRate " line
    ASSERT_EQ(anim->joints.size(), 2u);
    EXPECT_EQ(anim->joints[0].name, "root bone"); // blanks inside the quotes are kept
    EXPECT_EQ(anim->joints[0].parent, -1);
    EXPECT_EQ(anim->joints[1].name, "tip");
    EXPECT_EQ(anim->joints[1].flags, 7);
    EXPECT_EQ(anim->bounds, (std::vector<float>{-1, -2, -3, 1, 2, 3, -4, -5, -6, 4, 5, 6}));
    EXPECT_FLOAT_EQ(anim->baseFrame[6 + 3], 0.5f);
    EXPECT_EQ(anim->frames[0], (std::vector<float>{10, 11, 12}));
    EXPECT_EQ(anim->frames[1], (std::vector<float>{20, 21, 22})); // values run on across lines
}

TEST(AnimReaderV10, FrameRateLineIsNotAFrameBlock) {
    auto anim = parseAnimationV10("MD5Version 10\nnumFrames 2\nframeRate 30\nnumAnimatedComponents 8\n"
                                  "frameRate 12 {\n1 2 3\n}\n");
    ASSERT_TRUE(anim);
    EXPECT_FLOAT_EQ(anim->frameRate, 12.0f);
    EXPECT_EQ(anim->frames[0], std::vector<float>(8, 0.0f));
}

TEST(AnimReaderV10, OutOfRangeFramesExtraValuesAndLateCountsStayInsideTheArrays) {
    auto anim = parseAnimationV10("MD5Version 10\n"
                                  "hierarchy {\n\t\"early\"\t-1 63 0\n}\n" // before its count: read as nothing
                                  "numFrames 1\nnumJoints 1\nnumAnimatedComponents 2\n"
                                  "frame 5 {\n1 2\n}\nframe -1 {\n3 4\n}\n"
                                  "frame 0 {\n1 2 3 4 5 6 7 8 9 10\n11\n}\n"
                                  "bounds {\n( 1 1 1 ) ( 2 2 2 )\n( 3 3 3 ) ( 4 4 4 )\n}\n");
    ASSERT_TRUE(anim);
    EXPECT_EQ(anim->frames.size(), 1u);
    EXPECT_EQ(anim->frames[0], (std::vector<float>{1, 2}));
    EXPECT_EQ(anim->bounds.size(), 6u);
    EXPECT_FALSE(anim->joints[0].hasName);
}

TEST(AnimReaderV10, HostileCountsAreHeldToTheText) {
    auto anim = parseAnimationV10("MD5Version 10\nnumFrames 2000000000\nnumJoints 0x7fffffff\n"
                                  "numAnimatedComponents 2000000000\nframe 1999999999 {\n1\n}\n");
    ASSERT_TRUE(anim);
    EXPECT_LE(anim->numFrames, 200);
    EXPECT_LE(anim->numJoints, 200);
    EXPECT_LE(static_cast<size_t>(anim->numFrames) * anim->numAnimatedComponents, size_t{1} << 20);
}

TEST(AnimReaderV6, ReadsChannelsRangesKeysAndStrings) {
    auto anim = parseAnimationV6("MD5Version 6\n"
                                 "commandline \"anim -range 3 9 -other\"\n"
                                 "numchannels 2\n"
                                 "channel 1 {\n"
                                 "\tjoint \"Bip01 Head\"\n"
                                 "\tattribute \"pitch\"\n"
                                 "\tstarttime 0.5\n\tendtime 2.5\n\tframerate 30\n"
                                 "\tstrings 2\n"
                                 "\t\"a b\" \"c_1\"\n"
                                 "\trange 3 12\n"
                                 "\tkeys 8\n"
                                 "\t1 2 3 4 5 6 7 8\n"
                                 "}\n"
                                 "\tattribute \"yaw\"\n" // the closing line was consumed by the keys
                                 "channel 0 {\n\tstarttime 0.25\n\tendtime 1\n}\n");
    ASSERT_TRUE(anim);
    EXPECT_EQ(std::make_pair(anim->rangeStart, anim->rangeEnd), std::make_pair(3, 9));
    ASSERT_EQ(anim->numChannels, 2);
    const AnimChannelV6& c = anim->channels[1];
    EXPECT_EQ(c.jointName, "Bip01 Head");
    EXPECT_EQ(c.attribute, "yaw");
    EXPECT_FLOAT_EQ(c.frameRate, 30);
    EXPECT_EQ(std::make_pair(c.rangeStart, c.rangeEnd), std::make_pair(3, 12));
    EXPECT_EQ(c.keys, (std::vector<float>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(c.strings, (std::vector<std::string>{"a b", "c_1"}));
    EXPECT_FLOAT_EQ(anim->startTime, 0.25f);
    EXPECT_FLOAT_EQ(anim->endTime, 2.5f);
}

TEST(AnimReaderV6, NoRangeGivesZeroAndExcessKeysStringsAndChannelsAreDropped) {
    auto anim = parseAnimationV6("MD5Version 6\ncommandline \"plain\"\nnumchannels 1\n"
                                 "channel 4 {\n\tjoint \"ghost\"\n\tkeys 2\n\t9 9\n}\n"
                                 "channel 0 {\n"
                                 "\tkeys 3\n\t1 2 3 4 5 6 7 8\n\t9 10 11 12 13 14 15 16\n\t17\n"
                                 "\tstrings 1\n"
                                 "\t\"abcdefghijklmnopqrstuvwxyz0123456789\" \"b\" \"c\" \"d\" \"e\" \"f\" \"g\" \"h\"\n"
                                 "\t\"i\"\n"
                                 "}\n");
    ASSERT_TRUE(anim);
    EXPECT_EQ(std::make_pair(anim->rangeStart, anim->rangeEnd), std::make_pair(0, 0));
    ASSERT_EQ(anim->channels.size(), 1u);
    EXPECT_TRUE(anim->channels[0].jointName.empty());
    EXPECT_EQ(anim->channels[0].keys, (std::vector<float>{1, 2, 3}));
    EXPECT_EQ(anim->channels[0].strings, std::vector<std::string>{"abcdefghijklmnopqrstuvwxyz012"}); // 29 characters
}

TEST(AnimLoad, DispatchesOnTheFirstLineAndBindsByName) {
    Model model;
    addJoints(model, {"root bone", "tip", "tip"});
    model.loadAnimationText(kSmallV10);
    ASSERT_TRUE(model.animV10);
    EXPECT_FALSE(model.animV6);
    EXPECT_EQ(model.animV10->joints[0].meshJoint, 0);
    EXPECT_EQ(model.animV10->joints[1].meshJoint, 1); // the first of two equal names

    model.loadAnimationText("MD5Version 6\nnumchannels 4\n"
                            "channel 0 {\n\tjoint \"tip\"\n\tattribute \"x\"\n}\n"
                            "channel 1 {\n\tjoint \"tip\"\n\tattribute \"X\"\n}\n"
                            "channel 2 {\n\tjoint \"tip\"\n\tattribute \"Pitch\"\n}\n"
                            "channel 3 {\n\tjoint \"bounds\"\n\tattribute \"roll\"\n}\n");
    ASSERT_TRUE(model.animV6);
    const auto& ch = model.animV6->channels;
    EXPECT_EQ(ch[0].target, ChannelTarget::X);
    EXPECT_EQ(ch[1].target, ChannelTarget::X);
    EXPECT_EQ(ch[2].target, ChannelTarget::None);
    EXPECT_EQ(ch[2].joint, 1);
    EXPECT_EQ(ch[3].joint, -1);

    // CR LF line ends: the unquoted joint name and attribute still bind.
    model.loadAnimationText("MD5Version 6\r\nnumchannels 1\r\nchannel 0 {\r\n\tjoint tip\r\n\tattribute y\r\n}\r\n");
    ASSERT_TRUE(model.animV6);
    EXPECT_EQ(model.animV6->channels[0].joint, 1);
    EXPECT_EQ(model.animV6->channels[0].target, ChannelTarget::Y);

    model.loadAnimationText("MD5Version 7\n"); // neither version: the version 6 reader refuses it
    EXPECT_FALSE(model.animV6);
    EXPECT_TRUE(model.animV10);

    for (size_t pad : {242u, 243u}) { // the version is looked for in the first 255 bytes of line 1
        Model padded;
        padded.loadAnimationText(std::string(pad, ' ') + kSmallV10);
        EXPECT_EQ(padded.animV10 != nullptr, pad == 242u) << pad;
    }
}

TEST(AnimLoad, MissingFileLogsAndKeepsTheRecordsAndTheBasePathIsTriedToo) {
    Model model;
    model.loadAnimationText(kSmallV10);
    setBasepath("/nonexistent/");
    ScopedLogCapture log;
    model.loadAnimation("/nonexistent/walk.md5anim");
    EXPECT_EQ(log.text, "couldn\xB4t find animation file /nonexistent/walk.md5anim\n");
    EXPECT_TRUE(model.animV10);
    model.loadAnimation(nullptr); // clears animV6 only
    EXPECT_TRUE(model.animV10);

    fs::path dir = fs::temp_directory_path() / "ostrelle_anim_load";
    fs::create_directories(dir / "models");
    std::ofstream(dir / "models" / "walk.md5anim") << kSmallV10;
    setBasepath(dir.string() + "/");
    Model found;
    found.loadAnimation("C:\\game\\base\\models\\walk.md5anim");
    EXPECT_TRUE(found.animV10);
    setBasepath("");
    fs::remove_all(dir);
}

TEST(AnimReaderV6, ManyChannelsWithHostileKeyCountsStayWithinABudget) {
    std::string text = "MD5Version 6\nnumchannels 400\n";
    for (int c = 0; c < 400; ++c) text += "channel " + std::to_string(c) + "\nkeys 99999999\nstrings 99999999\n";
    auto anim = parseAnimationV6(text);
    ASSERT_TRUE(anim);
    size_t values = 0;
    for (const AnimChannelV6& c : anim->channels) values += c.keys.size() + c.strings.size();
    EXPECT_LE(values, text.size() * 4 + (size_t{1} << 16));
    EXPECT_EQ(anim->channels[0].keys.size(), text.size()); // the first is held to the text only
}
