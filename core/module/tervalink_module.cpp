// The core as a WebAssembly module: one satellite table, as the window holds one, acted on through
// a flat C interface. The front end writes its input (a text, a data file's bytes, a stream to
// decode) into the module's input area and calls; an answer is JSON text in the output area.
// Indices and choices from the front end are checked here, at the edge, as the window's fixed
// controls never need to be.
#include <cstdint>
#include <string>
#include <vector>

#include "check_data.h"
#include "data_file.h"
#include "data_file_reader.h"
#include "design_json.h"
#include "design_scale.h"
#include "frame_decoder.h"
#include "json_text.h"
#include "satellite_table.h"
#include "update_image.h"
#include "update_preparation.h"
#include "update_texts.h"
#include "window_design.h"

#define TERVALINK_EXPORT(name) extern "C" __attribute__((export_name(#name)))

namespace tervalink::module {
namespace {

struct Module {
    SatelliteTable table;
    DataFileReader reader; // the import buffers, kept between imports as the window keeps them
    UpdateImage image;     // the update image, kept between updates as the window keeps it
    std::vector<char> input;
    std::string output;
};

Module& state()
{
    static Module module;
    return module;
}

std::string_view input_text(std::uint32_t offset, std::uint32_t size)
{
    const std::vector<char>& input = state().input;
    if (offset > input.size() || size > input.size() - offset)
        return {};
    return {input.data() + offset, size};
}

std::uint32_t answer(std::string json)
{
    state().output = std::move(json);
    return static_cast<std::uint32_t>(state().output.size());
}

std::string failure_json(std::string_view description)
{
    return json_object({{"failure", json_string(description)}});
}

bool valid_field(int field) { return field >= 0 && field <= static_cast<int>(Field::auto_rate); }

std::string texts_json(const SatelliteTable& table, Field field)
{
    std::vector<std::string> texts;
    for (int i = 0; i < field_count(field); ++i)
        texts.push_back(json_string(table.text(field, i)));
    return json_array(texts);
}

template <typename Holds>
std::string flags_json(int count, Holds holds)
{
    std::vector<std::string> flags;
    for (int i = 0; i < count; ++i)
        flags.push_back(json_bool(holds(i)));
    return json_array(flags);
}

std::string table_json(const SatelliteTable& table)
{
    return json_object({
        {"position", texts_json(table, Field::position)},
        {"nid", texts_json(table, Field::nid)},
        {"freq", texts_json(table, Field::freq)},
        {"symb", texts_json(table, Field::symb)},
        {"pol", texts_json(table, Field::pol)},
        {"auto_rate", texts_json(table, Field::auto_rate)},
        {"ticked", flags_json(tp_row_count, [&](int i) { return table.ticked(i); })},
        {"caption_emphasis",
         flags_json(tp_row_count, [&](int i) { return table.caption_emphasis(i); })},
        {"option_set", flags_json(choice_count, [&](int c) { return table.option_set(c); })},
        {"option_emphasis",
         flags_json(choice_count, [&](int c) { return table.option_emphasis(c); })},
        {"frame_emphasis",
         flags_json(choice_count, [&](int c) { return table.frame_emphasis(c); })},
        {"selected", std::to_string(table.selected_choice())},
    });
}

std::string transmission_json(const Transmission& transmission)
{
    std::vector<std::string> steps;
    for (const TransmissionStep& step : transmission.steps)
        steps.push_back(json_object({
            {"frame", json_string(hex_bytes(step.frame))},
            {"kind", json_string(kind_name(step.kind))},
            {"pause_ticks", std::to_string(step.pause_ticks)},
            {"progress", step.progress ? std::to_string(*step.progress) : "null"},
        }));
    return json_object({
        {"repetitions", std::to_string(transmission.repetitions)},
        {"frames_per_repetition", std::to_string(transmission.frames_per_repetition)},
        {"progress_maximum", std::to_string(transmission.progress_maximum)},
        {"tick_ms", std::to_string(tick_period.count())},
        {"steps", json_array(steps)},
    });
}

} // namespace
} // namespace tervalink::module

using namespace tervalink;
using namespace tervalink::module;

// An input area of `size` bytes for the next call; its address in the module's memory.
TERVALINK_EXPORT(tl_input) char* tl_input(std::uint32_t size)
{
    state().input.assign(size, '\0');
    return state().input.data();
}

// The answer of the latest call that gives one: its address and its size in bytes.
TERVALINK_EXPORT(tl_output) const char* tl_output() { return state().output.data(); }
TERVALINK_EXPORT(tl_output_size) std::uint32_t tl_output_size()
{
    return static_cast<std::uint32_t>(state().output.size());
}

// The window as it starts: the default positions, nothing typed, ticked or selected.
TERVALINK_EXPORT(tl_reset) void tl_reset()
{
    Module& module = state();
    module.table = SatelliteTable();
    module.reader = DataFileReader();
    module.image = UpdateImage();
}

// The table: every text, tick, option and emphasis (the answer's size).
TERVALINK_EXPORT(tl_table) std::uint32_t tl_table() { return answer(table_json(state().table)); }

// A box's text, from the input's first `size` bytes: field 0 position, 1 NID, 2 FREQ, 3 SYMB,
// 4 POL, 5 auto symbol rate. 0 when the field or index is out of range; else the table's answer.
TERVALINK_EXPORT(tl_set_text) std::uint32_t tl_set_text(int field, int index, std::uint32_t size)
{
    if (!valid_field(field) || index < 0 || index >= field_count(static_cast<Field>(field)))
        return 0;
    state().table.set_text(static_cast<Field>(field), index, input_text(0, size));
    return tl_table();
}

// A click on TP row `index`'s check box.
TERVALINK_EXPORT(tl_tick) std::uint32_t tl_tick(int index, int ticked)
{
    if (index < 0 || index >= tp_row_count)
        return 0;
    state().table.tick(index, ticked != 0);
    return tl_table();
}

// A click on choice `choice`'s option: the option already selected keeps its ticks.
TERVALINK_EXPORT(tl_select) std::uint32_t tl_select(int choice)
{
    if (choice < 0 || choice >= choice_count)
        return 0;
    if (!state().table.option_set(choice))
        state().table.set_option(choice);
    return tl_table();
}

TERVALINK_EXPORT(tl_clear) std::uint32_t tl_clear()
{
    state().table.clear_selection();
    return tl_table();
}

// Imports a data file: its name in the input's first `name_size` bytes (for the failure's text),
// its bytes after it. The answer: {"failure": text} with the table untouched, or the table.
TERVALINK_EXPORT(tl_import) std::uint32_t tl_import(std::uint32_t name_size, std::uint32_t size)
{
    Module& module = state();
    module.reader.start(std::string(input_text(0, name_size)));
    Expected<void> read = module.reader.feed(input_text(name_size, size));
    if (read)
        read = module.reader.finish();
    if (!read)
        return answer(failure_json(read.failure()));
    apply_import(module.reader.buffers(), module.table);
    return tl_table();
}

// UPDATE's preparation for the choice selected now: {"refusal": text, "clash": bool}, or
// {"failure": text} for a value that does not fit its frame, or the transmission's steps.
TERVALINK_EXPORT(tl_prepare) std::uint32_t tl_prepare()
{
    Module& module = state();
    const PreparedUpdate prepared = prepare_update(module.table, module.image);
    if (const auto* refusal = std::get_if<UpdateRefusal>(&prepared))
        return answer(json_object(
            {{"refusal", json_string(refusal->message)}, {"clash", json_bool(refusal->clash)}}));
    if (const auto* failed = std::get_if<Failed>(&prepared))
        return answer(failure_json(failed->description));
    return answer(transmission_json(std::get<Transmission>(prepared)));
}

// CHECK DATA: {"lines": [...], "failure": text or null}.
TERVALINK_EXPORT(tl_check_data) std::uint32_t tl_check_data()
{
    const CheckDataResult result = check_data(state().table);
    std::vector<std::string> lines;
    for (const std::string& line : result.lines)
        lines.push_back(json_string(line));
    return answer(json_object({{"lines", json_array(lines)},
                               {"failure", result.failure ? json_string(*result.failure) : "null"}}));
}

// The frames of a whole stream of `size` bytes in the input: [{"offset": n, "text": line}, ...].
TERVALINK_EXPORT(tl_decode) std::uint32_t tl_decode(std::uint32_t size)
{
    const std::string_view bytes = input_text(0, size);
    FrameDecoder decoder;
    std::vector<DecodedFrame> frames = decoder.feed(
        {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
    for (DecodedFrame& frame : decoder.finish())
        frames.push_back(std::move(frame));
    std::vector<std::string> described;
    for (const DecodedFrame& frame : frames)
        described.push_back(json_object({{"offset", std::to_string(frame.offset)},
                                         {"text", json_string(describe_frame(frame))}}));
    return answer(json_array(described));
}

// The window's design: every control, its box in twips, caption, font, limit and focus order.
TERVALINK_EXPORT(tl_design) std::uint32_t tl_design() { return answer(design_json()); }

// The factor at which the design fits an area of `width` x `height` CSS pixels, by the window's
// rule, on a screen of `device_pixel_ratio` device pixels to one CSS pixel. A page has no frame.
TERVALINK_EXPORT(tl_design_factor)
double tl_design_factor(double width, double height, double device_pixel_ratio)
{
    const PixelRect client = twips_to_pixels(design::client_area);
    return design_factor({width, height}, {},
                         {static_cast<double>(client.width), static_cast<double>(client.height)},
                         legibility_floor(device_pixel_ratio));
}

// The texts an update shows: its status lines and its failures; "{port}" and "{reason}" stand
// for the port's name and the line's reason in cannot_open and cannot_send.
TERVALINK_EXPORT(tl_texts) std::uint32_t tl_texts()
{
    return answer(json_object({
        {"updating", json_string(updating_status)},
        {"completed", json_string(completed_status)},
        {"error", json_string(error_status)},
        {"closed_port", json_string(closed_port_failure)},
        {"device_gone", json_string(device_gone_reason)},
        {"cannot_open", json_string(cannot_open_failure("{port}", "{reason}"))},
        {"cannot_send", json_string(cannot_send_failure("{port}", "{reason}"))},
    }));
}
