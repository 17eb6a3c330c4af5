// write-man-page TEMPLATE OUTPUT: copies the window program's manual page, putting the
// window's mouse and key bindings (the list its help box shows) where the template has the
// line ".\" KEYS".

#include "engine/window_bindings.h"

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view kMarker = ".\\\" KEYS";

// Text as roff reads it: a backslash escaped, a minus a real minus (keys are typed), a quote
// that cannot end a macro's argument, a line never starting with a control character.
std::string Roff(std::string_view text)
{
    std::string out;
    for (const char ch : text) {
        if (ch == '\\') {
            out += "\\e";
        } else if (ch == '-') {
            out += "\\-";
        } else if (ch == '"') {
            out += "\\(dq";
        } else {
            out += ch;
        }
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\'')) {
        out.insert(0, "\\&");
    }
    return out;
}

std::string BindingsRoff()
{
    std::string out;
    for (const engine::BindingGroup& group : engine::WindowBindings()) {
        out += ".SS \"" + Roff(group.Title) + "\"\n";
        for (const engine::Binding& binding : group.Bindings) {
            out += ".TP\n.B " + Roff(binding.Input) + "\n" + Roff(binding.Action) + "\n";
        }
    }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: write-man-page TEMPLATE OUTPUT\n";
        return 2;
    }
    std::ifstream in(argv[1]);
    std::ostringstream page;
    bool placed = false;
    for (std::string line; std::getline(in, line);) {
        if (line == kMarker) {
            page << BindingsRoff();
            placed = true;
        } else {
            page << line << '\n';
        }
    }
    if (!in.eof() || !placed) {
        std::cerr << "write-man-page: cannot read " << argv[1] << " or it has no KEYS line\n";
        return 1;
    }
    std::ofstream out(argv[2], std::ios::binary);
    out << page.str();
    out.close();
    if (!out) {
        std::cerr << "write-man-page: cannot write " << argv[2] << '\n';
        return 1;
    }
    return 0;
}
