#pragma once
// Someone who follows a picture while it is painted: a clip of its making
// takes its frames here. The painting tells it after each row of the scan,
// after each ornament and after the greeting, with the picture as it stands;
// it may look, never draw. Without a watcher these are a test of a null
// pointer once a row, never inside a row.

#include "platform/surface.h"

namespace painter {

class PaintingWatcher {
public:
    virtual ~PaintingWatcher() = default;
    // The scan has painted every position of `row` (0..vis).
    virtual void rowPainted(int row, const Surface& picture) = 0;
    // Ornament `n` (1..100) is drawn.
    virtual void ornamentDrawn(int n, const Surface& picture) = 0;
    // The greeting is written: the picture is finished.
    virtual void greetingWritten(const Surface& picture) = 0;
};

}  // namespace painter
