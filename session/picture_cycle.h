#pragma once
// Start-up, the picture cycle and the three commands, over one picture state.
// The window is a thin shell that forwards its buttons here; the command line
// drives the same object without a display.

#include "picture/picture_state.h"
#include "picture/services.h"

namespace painter {

// The values start-up fixes before the first picture: prompt texts and geometry.
void setStartupValues(PictureState& s);

// One complete picture from the generator's current state: parameters, field,
// colour sampling, ornaments, greeting. Returns false when the picture was
// overtaken (see CycleControl) and stopped early.
bool NewPicture(PictureState& s, Platform& p, std::uint64_t cycle);

class PainterSession {
public:
    // The window layer is the window's own drawing surface; its size is the
    // smallest client area that shows every control.
    static constexpr int kFormWidth = 732;
    static constexpr int kFormHeight = 641;

    PainterSession(RandomGenerator& rng, Clock& clock, WindowServices& window, QString folder);

    // Form_Load: reseed from the clock, create the folder, set texts and
    // geometry, clear the window layer, then run the first picture cycle.
    void formLoad();
    // "ponovi": ask for a name and paint its picture. Returns false when the
    // picture was overtaken before it was finished.
    bool ponovi();
    // "shrani na C:\wimgx": save the picture as it stands. Returns true when the
    // file was written; the outcome is also reported to the window services.
    bool shrani();
    // "izhod": stop every running picture at once; the caller ends the program.
    void izhod();

    bool quitRequested() const { return cycles_.stopped(); }
    // The picture on screen was painted to its end: it is not still being
    // painted, nor was it overtaken by a newer one.
    bool pictureFinished() const { return finishedCycle_ != 0 && finishedCycle_ == cycles_.current(); }
    QString lastSavedPath() const { return lastSavedPath_; }

    PictureState& state() { return state_; }
    const PictureState& state() const { return state_; }
    Surface& picture1() { return picture1_; }
    const Surface& picture1() const { return picture1_; }
    Surface& picture2() { return picture2_; }
    Surface& form() { return form_; }
    Platform& platform() { return platform_; }

private:
    bool runCycle();

    PictureState state_;
    Surface picture1_;
    Surface picture2_;
    Surface form_{kFormWidth, kFormHeight};
    CycleControl cycles_;
    Platform platform_;
    QString lastSavedPath_;
    std::uint64_t savedCycle_ = 0;  // the picture lastSavedPath_ holds
    std::uint64_t finishedCycle_ = 0;  // the last picture painted to its end
};

}  // namespace painter
