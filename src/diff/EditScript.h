#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "diff/LineAligner.h"
#include "diff/LineEnds.h"

// An edit script kept as runs of one step each, four bytes a run, so that
// the script of a file of millions of lines stays small when it has to be
// walked again.
class EditScript {
  public:
    struct Run {
        EditOp op;
        std::size_t count;
    };

    // Adds count steps op after the last; a run of the same step grows.
    void append(EditOp op, std::size_t count = 1);
    void append(const std::vector<EditOp>& ops, std::size_t count);

    std::size_t runs() const { return m_runs.size(); }
    Run run(std::size_t index) const;

    // Whether a step other than Equal is in it: the texts differ.
    bool changes() const { return m_changes; }

    // Of the equal lines, those that change their end, where lines were
    // compared without their ends.
    LineEndChanges& lineEnds() { return m_lineEnds; }
    const LineEndChanges& lineEnds() const { return m_lineEnds; }

  private:
    static constexpr int kOpShift = 30;
    static constexpr std::uint32_t kMaxCount = (std::uint32_t{1} << kOpShift) - 1;

    std::vector<std::uint32_t> m_runs; // the step in the top bits, the count below
    bool m_changes = false;
    LineEndChanges m_lineEnds;
};
