#pragma once

#include <cstdint>
#include <cstdlib>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

// A small Value Change Dump reader of our own for the tests: the declarations, then the value
// of every variable at every time stamp. Strict where a viewer would be: time stamps must
// increase, every change must name a declared variable and fit its kind.

namespace testing_support {

struct VcdVariable {
    std::string Scope; // the scopes joined by '.', such as "bldc.view"
    std::string Name;
    bool Real = false;
};

struct VcdValue {
    char Bit = '?';  // '0', '1', 'x' or 'z' for a wire
    double Real = 0; // for a real
};

struct VcdDump {
    std::string Timescale;
    std::vector<VcdVariable> Variables;
    // One entry per time stamp: the time and the values of all variables after its changes.
    std::vector<std::pair<std::int64_t, std::vector<VcdValue>>> Steps;
    // Changes written per variable, counted to check that unchanged values are left out.
    std::vector<int> Changes;

    int Find(const std::string& scope, const std::string& name) const
    {
        for (std::size_t i = 0; i < Variables.size(); ++i) {
            if (Variables[i].Scope == scope && Variables[i].Name == name) {
                return static_cast<int>(i);
            }
        }
        throw std::runtime_error("no variable " + scope + "." + name);
    }
};

inline VcdDump ReadVcd(const std::string& text)
{
    VcdDump dump;
    std::istringstream in(text);
    std::map<std::string, std::size_t> codes;
    std::vector<std::string> scopes;
    std::string word;
    const auto fail = [](const std::string& what) { throw std::runtime_error("VCD: " + what); };
    const auto until_end = [&]() {
        std::string body;
        for (std::string w; in >> w && w != "$end";) {
            body += (body.empty() ? "" : " ") + w;
        }
        return body;
    };
    while (in >> word && word != "$enddefinitions") {
        if (word == "$timescale") {
            dump.Timescale = until_end();
        } else if (word == "$scope") {
            std::string kind;
            std::string name;
            in >> kind >> name;
            scopes.push_back(name);
            until_end();
        } else if (word == "$upscope") {
            if (scopes.empty()) {
                fail("$upscope without a scope");
            }
            scopes.pop_back();
            until_end();
        } else if (word == "$var") {
            std::string kind;
            std::string size;
            std::string code;
            std::string name;
            in >> kind >> size >> code >> name;
            if ((kind != "wire" || size != "1") && (kind != "real" || size != "64")) {
                fail("unexpected declaration " + kind + " " + size);
            }
            std::string scope;
            for (const std::string& s : scopes) {
                scope += (scope.empty() ? "" : ".") + s;
            }
            if (!codes.emplace(code, dump.Variables.size()).second) {
                fail("code " + code + " declared twice");
            }
            dump.Variables.push_back({scope, name, kind == "real"});
            if (until_end() != "") {
                fail("text after the name of " + name);
            }
        } else if (word[0] == '$') {
            until_end();
        } else {
            fail("unexpected " + word + " in the declarations");
        }
    }
    until_end();
    if (!scopes.empty()) {
        fail("a scope is left open");
    }
    std::vector<VcdValue> values(dump.Variables.size());
    dump.Changes.assign(dump.Variables.size(), 0);
    const auto variable = [&](const std::string& code) {
        const auto found = codes.find(code);
        if (found == codes.end()) {
            fail("change of the undeclared code " + code);
        }
        return found->second;
    };
    while (in >> word) {
        if (word == "$dumpvars" || word == "$end") {
            continue;
        }
        if (word[0] == '#') {
            const std::int64_t time = std::stoll(word.substr(1));
            if (!dump.Steps.empty() && time <= dump.Steps.back().first) {
                fail("time " + word + " does not increase");
            }
            dump.Steps.push_back({time, values});
            continue;
        }
        if (dump.Steps.empty()) {
            fail("a change before the first time stamp");
        }
        std::size_t v = 0;
        if (word[0] == 'r') {
            std::string code;
            in >> code;
            v = variable(code);
            char* end = nullptr;
            values[v].Real = std::strtod(word.c_str() + 1, &end);
            if (*end != '\0' || !dump.Variables[v].Real) {
                fail("bad real change " + word + " " + code);
            }
        } else if (word.size() >= 2 && std::string("01xz").find(word[0]) != std::string::npos) {
            v = variable(word.substr(1));
            if (dump.Variables[v].Real) {
                fail("bit change of a real");
            }
            values[v].Bit = word[0];
        } else {
            fail("unexpected " + word);
        }
        ++dump.Changes[v];
        dump.Steps.back().second[v] = values[v];
    }
    return dump;
}

} // namespace testing_support
