// serial/serial_line: bytes on the wire, exclusive opens, writes that fail, and writes to a device
// that stops taking bytes. A far end (a pseudo-terminal, or under Wine a COM port mapped onto one)
// stands in for the antenna unit.
#include <algorithm>

#include <gtest/gtest.h>

#include "failure_of.h"
#include "far_end.h"
#include "serial_line.h"
#include "worked_frames.h"

namespace tervalink {
namespace {

using test::failure_of;
using test::FarEnd;

// Line feeds, carriage returns, XON/XOFF and NUL must pass untouched on a raw line, each frame as
// it is written. A close right after whole writes drops nothing the device was given, though its
// far end reads only after the close, and more than its own buffer holds.
TEST(Line, FramesArriveByteExactAndAllBeforeAClose)
{
    const std::vector<std::uint8_t> control{0x23, 0x53, 0x0A, 0x0D, 0x11, 0x13, 0x00, 0xFF,
                                            0x7F, 0x03, 0x1A, 0x04, 0x08, 0x9A, 0x2A};
    FarEnd far_end;
    SerialLine line;
    line.open_path(far_end.device_path());
    line.write_frame(control);
    ASSERT_TRUE(far_end.wait_for_bytes(control.size(), std::chrono::seconds(5)));
    EXPECT_EQ(far_end.bytes(), control);
    far_end.stop_reading();
    std::vector<std::uint8_t> sent = control;
    for (int pair = 0; pair < 200; ++pair)
        for (const auto& frame : {test::hotbird_tp2, test::autosym}) {
            line.write_frame(frame);
            sent.insert(sent.end(), frame.begin(), frame.end());
        }
    line.close();
    far_end.resume_reading();
    ASSERT_TRUE(far_end.wait_for_bytes(sent.size(), std::chrono::seconds(10)));
    EXPECT_EQ(far_end.bytes(), sent);
}

// A line open on "COM n" of a far end of its own.
class OpenLine : public testing::Test {
protected:
    OpenLine()
    {
        line.set_port_number(far_end.port_number());
        line.open();
    }
    FarEnd far_end;
    SerialLine line{far_end.device_root()};
};

TEST_F(OpenLine, PortInUseFailsUnderAnyName)
{
    SerialLine second(far_end.device_root());
    second.set_port_number(far_end.port_number());
    EXPECT_EQ(failure_of([&] { second.open(); }),
              "Cannot open " + far_end.port_label() + ": it is in use by another program");
    EXPECT_EQ(failure_of([&] { second.open_path(far_end.device_path()); }),
              "Cannot open " + far_end.device_path() + ": it is in use by another program");
    EXPECT_FALSE(second.is_open());
    line.close();
    second.open();
    EXPECT_TRUE(second.is_open());
}

// Behind COM 251 stands nothing: on Linux no device, under Wine no port. Writes fail before an
// open, once the device has gone, and after a close.
TEST(Line, AMissingDeviceDoesNotOpenAndWritesFailOnAClosedOrUnpluggedPort)
{
    const std::string closed = "Cannot send to the antenna unit: the port is closed; press CONNECT "
                               "and start the update again";
    FarEnd far_end;
    SerialLine line(far_end.device_root());
    line.set_port_number(251);
    EXPECT_EQ(failure_of([&] { line.open(); }), far_end.unmapped_port_failure());
    EXPECT_FALSE(line.is_open());
    const std::vector<std::uint8_t> frame(15, 0x11);
    EXPECT_EQ(failure_of([&] { line.write_frame(frame); }), closed);
    line.set_port_number(far_end.port_number());
    line.open();
    line.write_frame(frame);
    far_end.unplug();
    EXPECT_EQ(failure_of([&] { line.write_frame(frame); }),
              "Cannot send to " + far_end.port_label() + ": the device has gone (unplugged?)");
    line.close();
    EXPECT_EQ(failure_of([&] { line.write_frame(frame); }), closed);
}

// How much of its frame a cut write handed over, from its failure: "COM 107 (...) took 4095 of
// the frame's ..."; 0 for any other failure.
std::size_t taken_of(const std::string& failure)
{
    const std::size_t took = failure.find(" took ");
    if (took == std::string::npos || failure.find(" of the frame's ") == std::string::npos)
        return 0;
    return std::stoul(failure.substr(took + 6));
}

// ... whose device has stopped taking bytes and has no room left: the program's own writes of a
// mebibyte fill the line until one is not cut (a cut write's failure starts with the port's
// name; no line buffer holds a mebibyte, so the first write must stop part way). The system may
// make room a moment after a cut write has ended, as Wine's does.
class FullLine : public OpenLine {
protected:
    FullLine()
    {
        far_end.stop_reading();
        const std::vector<std::uint8_t> oversized(1 << 20, 0x55);
        for (int writes = 0; writes < 10; ++writes) {
            const std::string failed = failure_of([&] { line.write_frame(oversized); });
            if (writes == 0)
                first_cut = failed;
            taken += taken_of(failed);
            if (!failed.starts_with(far_end.port_label()))
                break;
        }
    }
    std::string first_cut; // the failure of the first write
    std::size_t taken = 0; // bytes the line took before it was full
};

// A frame the device took only a part of: the message says how much, and exactly what the line
// took arrives.
TEST_F(FullLine, AWriteCutShortSaysHowMuchOfTheFrameWentOut)
{
    const std::string before = far_end.port_label() + " took ";
    const std::string after = " of the frame's 1048576 bytes; the antenna unit received a cut "
                              "frame: the device took no more for 100 ms; check the adapter and "
                              "its cable";
    ASSERT_TRUE(first_cut.starts_with(before) && first_cut.ends_with(after)) << first_cut;
    EXPECT_GT(taken_of(first_cut), 0u);
    far_end.resume_reading();
    ASSERT_TRUE(far_end.wait_for_bytes(taken, std::chrono::seconds(10)));
    line.close();
    EXPECT_EQ(far_end.bytes(), std::vector<std::uint8_t>(taken, 0x55));
}

// A write that finds no room fails at its bound, naming the port and the bound; once the line's
// writes were interrupted (a stop), every wait for the device ends at once. The real clock: a
// close after the stop returns at once and leaves unsent what the device had not taken. Once the
// device reads again, the line opened anew carries its new frame, not the stale bytes: less
// arrives than the line took.
TEST_F(FullLine, AWriteFindingNoRoomFailsAtItsBoundOrAtAStopAndACloseDiscardsTheRest)
{
    const std::string cannot_send = "Cannot send to " + far_end.port_label() + ": ";
    EXPECT_EQ(failure_of([&] { line.write_frame(test::hotbird_tp2); }),
              cannot_send + "the device took no data for 100 ms; check the adapter and its cable");
    line.interrupt();
    EXPECT_EQ(failure_of([&] { line.write_frame(test::hotbird_tp2); }),
              cannot_send + "the write was interrupted by a stop");
    const auto closing = std::chrono::steady_clock::now();
    line.close();
    EXPECT_LT(std::chrono::steady_clock::now() - closing, std::chrono::seconds(1));
    far_end.resume_reading();
    line.open();
    line.write_frame(test::hotbird_tp2);
    // Whatever stale bytes still come, come before the new frame.
    ASSERT_TRUE(far_end.wait_until(
        [](const auto& got) {
            return got.size() >= test::hotbird_tp2.size() &&
                   std::equal(test::hotbird_tp2.rbegin(), test::hotbird_tp2.rend(), got.rbegin());
        },
        std::chrono::seconds(5)));
    EXPECT_LT(far_end.bytes().size(), taken) << "the stale bytes arrived";
}

} // namespace
} // namespace tervalink
