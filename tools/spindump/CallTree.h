#pragma once

#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace tarvix::spindump {

/// Sampled stacks of one thread merged into a tree: each node is a frame, counted once per
/// sample that passed through it.
class CallTree {
public:
    /// `frames` runs from the outermost frame (the thread's entry) to the innermost, seen `count` times.
    void add(const std::vector<std::string>& frames, int count = 1);
    /// Samples added so far (the sum of the top-level counts).
    int samples() const { return m_root.count; }
    /// One line per node, "COUNT  FRAME", children indented by two spaces below their caller,
    /// busiest first.
    void print(std::ostream& out, int indent) const;

private:
    struct Node {
        int count = 0;
        std::map<std::string, std::unique_ptr<Node>> children;
    };
    static void printChildren(std::ostream& out, const Node& node, int indent);

    Node m_root;
};

}  // namespace tarvix::spindump
