// The framing of table-data messages: replies arrive in pieces of any size and must come out
// whole, and bytes that are no frame must be recognised as such.
#include "archive/FrameReassembly.h"

#include <gtest/gtest.h>

namespace mirabel {

namespace {

using Messages = std::vector<std::string>;

FrameReassembly Fed(const std::vector<std::string_view>& pieces) {
    FrameReassembly r;
    for (std::string_view piece : pieces) Reassemble(r, piece);
    return r;
}

TEST(FrameReassembly, MessagesComeOutWholeHoweverTheBytesAreSplit) {
    // Payloads with what a frame itself is made of: tabs, the marker, digits, high bytes.
    const Messages payloads = {"4711", "", "a\tb$CVA$3\tx", std::string(1100, 'r'),
                               "\xE9t\xE9\r\n"};
    std::string stream;
    for (const std::string& p : payloads) stream += FrameMessage(p);
    ASSERT_EQ(FrameMessage("4711"), "$CVA$4\t4711");
    ASSERT_EQ(FrameMessage("\xE9t\xE9\r\n"), "$CVA$5\t\xE9t\xE9\r\n");  // bytes, not letters

    const std::string_view all = stream;
    for (std::size_t cut = 0; cut <= all.size(); ++cut) {
        const FrameReassembly r = Fed({all.substr(0, cut), all.substr(cut)});
        EXPECT_EQ(r.messages, payloads) << "split at " << cut;
        EXPECT_FALSE(r.malformed) << "split at " << cut;
        EXPECT_TRUE(r.pending.empty()) << "split at " << cut;
    }
    FrameReassembly byteByByte;
    for (char c : stream) Reassemble(byteByByte, std::string_view(&c, 1));
    EXPECT_EQ(byteByByte.messages, payloads);

    // Three TCP segments of 512, 512 and 100 bytes carrying a reply of 1100.
    const std::string reply = FrameMessage(std::string(1100, 'r'));
    const std::string_view bytes = reply;
    const FrameReassembly segments =
        Fed({bytes.substr(0, 512), bytes.substr(512, 512), bytes.substr(1024)});
    EXPECT_EQ(segments.messages, Messages{std::string(1100, 'r')});
}

TEST(FrameReassembly, BytesThatAreNoFrameAreMalformedAndPartsOfOneWaitForMore) {
    struct Case {
        std::string bytes;
        bool malformed;
    };
    const std::vector<Case> cases = {
        {"hello world", true},
        {"$CVX$4\t4711", true},
        {"$CVA$-5\tabcde", true},
        {"$CVA$+5\tabcde", true},
        {"$CVA$ 5\tabcde", true},
        {"$CVA$5x\tabcde", true},
        {"$CVA$\t", true},
        {"$CVA$1048577\t", true},       // one byte over the bound
        {"$CVA$99999999", true},        // too long to be a length, even before its TAB
        {"$CVA$4\t4711garbage", true},  // a whole reply, then garbage
        {"$CV", false},
        {"$CVA$", false},
        {"$CVA$1048576", false},
        {"$CVA$1048576\tpart", false},
        {"$CVA$0000004\t47", false},
    };
    for (const Case& c : cases) {
        const FrameReassembly r = Fed({c.bytes});
        EXPECT_EQ(r.malformed, c.malformed) << c.bytes;
        if (c.bytes.starts_with("$CVA$4\t4711")) {
            EXPECT_EQ(r.messages, Messages{"4711"});
        }
    }
    // Nothing is taken once the stream was malformed.
    FrameReassembly r = Fed({"garbage"});
    Reassemble(r, FrameMessage("OK"));
    EXPECT_TRUE(r.messages.empty());
}

}  // namespace

}  // namespace mirabel
