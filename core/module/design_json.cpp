#include "design_json.h"

#include <cstdio>

#include "json_text.h"
#include "window_design.h"

namespace tervalink::module {
namespace {

using namespace design;

std::string kind_name(Kind kind)
{
    switch (kind) {
    case Kind::frame: return "frame";
    case Kind::label: return "label";
    case Kind::text_box: return "text_box";
    case Kind::check_box: return "check_box";
    case Kind::option: return "option";
    case Kind::drop_down: return "drop_down";
    case Kind::button: return "button";
    case Kind::progress_bar: return "progress_bar";
    case Kind::lamp: return "lamp";
    case Kind::list_box: return "list_box";
    }
    return "";
}

std::string alignment_name(Alignment alignment)
{
    switch (alignment) {
    case Alignment::left: return "left";
    case Alignment::centre: return "centre";
    case Alignment::right: return "right";
    }
    return "";
}

// "#rrggbb" of a colour whose red is its least significant byte.
std::string colour_json(std::uint32_t colour)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", colour & 0xff, (colour >> 8) & 0xff,
                  (colour >> 16) & 0xff);
    return json_string(text);
}

std::string box_json(const TwipsRect& box)
{
    return json_object({{"left", std::to_string(box.left)}, {"top", std::to_string(box.top)},
                        {"width", std::to_string(box.width)},
                        {"height", std::to_string(box.height)}});
}

std::string control_json(const Control& control)
{
    std::vector<std::string> items;
    for (const std::string& item : control.items)
        items.push_back(json_string(item));
    return json_object({
        {"kind", json_string(kind_name(control.kind))},
        {"name", json_string(control.name)},
        {"index", std::to_string(control.index)},
        {"object_name", json_string(control.object_name())},
        {"container", std::to_string(control.container)},
        {"box", box_json(control.box)},
        {"text", json_string(control.text)},
        {"points", json_number(control.points)},
        {"bold", json_bool(control.bold)},
        {"colour", control.caption_colour ? colour_json(*control.caption_colour) : "null"},
        {"max_length", std::to_string(control.max_length)},
        {"alignment", json_string(alignment_name(control.alignment))},
        {"tab", std::to_string(control.tab)},
        {"visible", json_bool(control.visible)},
        {"enabled", json_bool(control.enabled)},
        {"items", json_array(items)},
        {"maximum", std::to_string(control.maximum)},
    });
}

} // namespace

std::string design_json()
{
    std::vector<std::string> controls, chain;
    for (const Control& control : window_controls())
        controls.push_back(control_json(control));
    for (const std::size_t position : tab_chain())
        chain.push_back(std::to_string(position));
    return json_object({
        {"caption", json_string(window_caption)},
        {"message_caption", json_string(message_caption)},
        {"client", box_json(client_area)},
        {"twips_per_pixel", json_number(twips_per_pixel)},
        {"pixels_per_point", json_number(pixels_per_point)},
        {"controls", json_array(controls)},
        {"tab_chain", json_array(chain)},
        {"connect_caption", json_string(connect_caption)},
        {"disconnect_caption", json_string(disconnect_caption)},
        {"line_baud_entry", std::to_string(line_baud_entry)},
        {"lamp_blink_ms", std::to_string(lamp_blink_ms)},
    });
}

} // namespace tervalink::module
