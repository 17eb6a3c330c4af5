#pragma once

#include <span>

// Every mouse gesture and key the window answers to, in one list without any toolkit: the
// window's help box shows it and the window program's manual page is written from it, so the
// two never disagree.

namespace engine {

struct Binding {
    // Keys as the toolkit names them in portable text, several joined by ", "; or a gesture.
    const char* Input;
    const char* Action;
};

struct BindingGroup {
    const char* Title;
    std::span<const Binding> Bindings;
};

namespace window_bindings_detail {

inline constexpr Binding kGraphMouse[] = {
    {"Click", "place cursor A on the nearest sample (in cursor mode)"},
    {"Shift+click", "place cursor B"},
    {"Drag a cursor line", "move that cursor (grab it within 4 pixels)"},
    {"Wheel, Ctrl+wheel", "zoom by 2 around the pointer: the sample under it stays put"},
    {"Shift+wheel", "scroll by a tenth of the view per notch"},
    {"Middle drag", "pan (a left drag pans too while cursor mode is off)"},
    {"Right click", "the graph menu: cursors, zoom, readout, pointer line, exports, help"},
};

inline constexpr Binding kGraphKeys[] = {
    {"+, =", "zoom in (the \"+\" button)"},
    {"-", "zoom out (the \"-\" button)"},
    {"F, Shift+F", "fit the whole run (the \"<->\" button)"},
    {"[, ]", "cursor A to the previous, next switch edge"},
    {"Esc", "clear the cursors"},
    {"R", "show or hide the readout"},
    {"C", "cursor mode on or off"},
    {"H", "hold the run as reference"},
    {"Shift+H", "clear the reference"},
};

inline constexpr Binding kWindowKeys[] = {
    {"Ctrl+S", "save the page shown (graph, circuit or zero crossings) as PNG"},
    {"Ctrl+E", "export the view window's samples as a table"},
    {"Ctrl+L", "save the log (what \"txt\" writes to log.txt) where you choose"},
    {"Ctrl+Shift+S, Ctrl+O", "save the parameters and options as a scenario, load one"},
    {"Right click", "elsewhere in the window: save or load a scenario; on the schematic: save "
                    "it as PNG"},
    {"Ctrl+C", "in the readout: copy all its figures; in the zero-crossing table: copy the "
               "table (a click on a row takes the graph and cursor A to its crossing)"},
    {"F1", "this list of mouse and key bindings"},
    {"Tab", "the next box of the parameter column; Enter applies a box"},
};

inline constexpr BindingGroup kGroups[] = {
    {"Mouse on the graph", kGraphMouse},
    {"Keys on the \"Graph\" page", kGraphKeys},
    {"Keys anywhere in the window", kWindowKeys},
};

} // namespace window_bindings_detail

inline std::span<const BindingGroup> WindowBindings()
{
    return window_bindings_detail::kGroups;
}

} // namespace engine
