#include "remote/command_table.h"

namespace tavrin::remote {

namespace {

bool AnyKeyword(const std::vector<std::string> &keywords, std::string_view mnemonic)
{
    for (const std::string &k : keywords)
        if (MatchesKeyword(mnemonic, k))
            return true;
    return false;
}

}  // namespace

CommandTable::CommandTable(std::vector<Command> commands) : commands_(std::move(commands))
{
    for (const Command &c : commands_)
        entries_.push_back(Compile(c.pattern));
}

CommandTable::Entry CommandTable::Compile(std::string_view pattern)
{
    Entry e;
    if (!pattern.empty() && pattern.back() == '?') {
        e.query = true;
        pattern.remove_suffix(1);
    }
    if (!pattern.empty() && pattern.front() == '*') {
        e.common = true;
        e.nodes.push_back({{std::string(pattern.substr(1))}});
        return e;
    }
    bool optional = false;
    size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        if (c == '[' || c == ']' || c == ':') {
            optional = c == '[' ? true : c == ']' ? false : optional;
            ++i;
            continue;
        }
        Node node;
        node.optional = optional;
        const size_t end = pattern.find_first_of("[]:", i);
        std::string_view text = pattern.substr(i, end == std::string_view::npos ? std::string_view::npos : end - i);
        i += text.size();
        if (const size_t angle = text.find('<'); angle != std::string_view::npos) {
            const std::string range(text.substr(angle + 1, text.size() - angle - 2));
            node.lowest = std::stoi(range);
            node.highest = std::stoi(range.substr(range.find('-') + 1));
            node.declared = true;
            text = text.substr(0, angle);
        }
        while (!text.empty()) {
            const size_t bar = text.find('|');
            node.keywords.emplace_back(text.substr(0, bar));
            text = bar == std::string_view::npos ? std::string_view() : text.substr(bar + 1);
        }
        e.nodes.push_back(std::move(node));
    }
    return e;
}

bool CommandTable::Fits(const std::vector<Node> &pattern, size_t p, const std::vector<HeaderNode> &header, size_t h,
                        std::vector<int> &suffixes, bool &outOfRange)
{
    if (p == pattern.size())
        return h == header.size();
    const Node &n = pattern[p];
    const size_t mark = suffixes.size();
    if (h < header.size() && AnyKeyword(n.keywords, header[h].mnemonic)) {
        const int s = header[h].suffix;
        if (s == 0 || (s >= n.lowest && s <= n.highest)) {
            if (n.declared)
                suffixes.push_back(s == 0 ? n.lowest : s);
            if (Fits(pattern, p + 1, header, h + 1, suffixes, outOfRange))
                return true;
            suffixes.resize(mark);
        } else {
            std::vector<int> ignored;
            bool alsoIgnored = false;
            outOfRange = outOfRange || Fits(pattern, p + 1, header, h + 1, ignored, alsoIgnored);
        }
    }
    if (n.optional) {
        if (n.declared)
            suffixes.push_back(n.lowest);
        if (Fits(pattern, p + 1, header, h, suffixes, outOfRange))
            return true;
        suffixes.resize(mark);
    }
    return false;
}

CommandTable::Lookup CommandTable::Find(const ProgramUnit &unit) const
{
    bool otherForm = false, outOfRange = false;
    for (size_t i = 0; i < entries_.size(); ++i) {
        const Entry &e = entries_[i];
        if (e.common != unit.common)
            continue;
        Lookup found;
        const bool fits = e.common ? unit.nodes.size() == 1 && unit.nodes[0].mnemonic == e.nodes[0].keywords[0]
                                   : Fits(e.nodes, 0, unit.nodes, 0, found.suffixes, outOfRange);
        if (!fits)
            continue;
        if (e.query == unit.query) {
            found.command = &commands_[i];
            return found;
        }
        otherForm = true;
    }
    Lookup missing;
    missing.error = otherForm || !outOfRange ? kUndefinedHeader : kHeaderSuffixOutOfRange;
    missing.detail = unit.header;
    if (otherForm)
        missing.detail += unit.query ? " has no query form" : " is a query only";
    return missing;
}

}  // namespace tavrin::remote
