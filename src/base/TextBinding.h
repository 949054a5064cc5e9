#pragma once

#include <memory>
#include <string>

namespace tarvix {

/// A reference to one text cell of the window (the status text). The window implements it;
/// background work writes through it from any thread.
class TextCell {
public:
    virtual ~TextCell() = default;
    virtual std::string text() const = 0;
    virtual void setText(std::string text) = 0;
};

/// Absent until the window binds it; a writer that finds it absent writes nothing.
using TextBinding = std::shared_ptr<TextCell>;

}  // namespace tarvix
