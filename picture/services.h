#pragma once
// The services a step of the picture may use besides the picture state. They are
// passed in, never reached through globals, so the tests and the headless mode
// can give a fixed clock, a scripted prompt and a temporary folder.

#include "picture/painting_watcher.h"
#include "platform/clock.h"
#include "platform/random_generator.h"
#include "platform/surface.h"
#include "platform/window_services.h"

#include <QString>

#include <cstdint>

namespace painter {

// Tells a running picture whether it has been overtaken: by a new picture
// started from within it ("ponovi" pressed while it paints) or by the end of
// the program ("izhod").
class CycleControl {
public:
    std::uint64_t begin() { return ++current_; }
    std::uint64_t current() const { return current_; }
    bool superseded(std::uint64_t id) const { return stopAll_ || id != current_; }
    void stopAll() { stopAll_ = true; }
    bool stopped() const { return stopAll_; }

private:
    std::uint64_t current_ = 0;
    bool stopAll_ = false;
};

// What a finished picture was made of, for those who ask (--describe).
struct PictureFacts {
    double startingRr = 0;           // brush radius at the first pixel
    std::uint64_t drawsAtStart = 0;  // generator count right after the reseed
    std::uint64_t draws = 0;         // random draws of the whole picture
    double triangleHeight = 0, apexRow = 0, band = 0, apexColumn = 0, left = 0;
    // Receives the picture as it stood before the greeting was printed, when
    // set: the tests record it apart, so a change of the text alone shows as such.
    Surface* beforeGreeting = nullptr;
};

struct Platform {
    RandomGenerator& rng;
    Clock& clock;
    Surface& picture1;  // the picture the user sees; all painting goes here
    Surface& picture2;  // receives a copy when saving
    Surface& form;      // the window's own drawing layer ("*", save marker)
    WindowServices& window;
    CycleControl& cycles;
    QString folder;                 // where pictures are saved
    PictureFacts* facts = nullptr;  // filled in when set
    // The scan may run the field arithmetic ahead on a second thread (same
    // pixels, same state between rows), on a machine of two cores or more.
    // Those who paint several pictures side by side turn it off.
    bool fieldAhead = true;
    // Told of every row, ornament and greeting as they are painted, when set.
    PaintingWatcher* watcher = nullptr;
};

}  // namespace painter
