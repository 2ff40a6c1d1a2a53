#pragma once

#include <map>
#include <set>
#include <vector>

namespace qz7 {

// The root and every process below it, given each parent's children.
template <typename Id>
std::set<Id> descendantsWithRoot(const std::multimap<Id, Id>& children, Id root) {
    std::set<Id> tree{root};
    std::vector<Id> waiting{root};
    while (!waiting.empty()) {
        const Id parent = waiting.back();
        waiting.pop_back();
        auto [first, last] = children.equal_range(parent);
        for (auto child = first; child != last; ++child)
            if (tree.insert(child->second).second) waiting.push_back(child->second);
    }
    return tree;
}

}  // namespace qz7
