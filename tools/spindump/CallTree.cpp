#include "CallTree.h"

#include <algorithm>

namespace tarvix::spindump {

void CallTree::add(const std::vector<std::string>& frames, int count)
{
    Node* node = &m_root;
    node->count += count;
    for (const auto& frame : frames) {
        auto& child = node->children[frame];
        if (!child) child = std::make_unique<Node>();
        node = child.get();
        node->count += count;
    }
}

void CallTree::print(std::ostream& out, int indent) const { printChildren(out, m_root, indent); }

void CallTree::printChildren(std::ostream& out, const Node& node, int indent)
{
    std::vector<std::pair<const std::string*, const Node*>> children;
    for (const auto& [label, child] : node.children) children.emplace_back(&label, child.get());
    // std::map already orders by label, so a stable sort keeps ties alphabetical.
    std::stable_sort(children.begin(), children.end(),
                     [](const auto& a, const auto& b) { return a.second->count > b.second->count; });
    for (const auto& [label, child] : children) {
        out << std::string(static_cast<size_t>(indent), ' ') << child->count << "  " << *label << '\n';
        printChildren(out, *child, indent + 2);
    }
}

}  // namespace tarvix::spindump
