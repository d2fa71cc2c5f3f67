// Game pads, one mapping for both platforms: the platform reads each pad into a
// PadState (pad_desktop.cpp, pad_web.cpp), pad.cpp turns the states into the
// pointer's and the keys' actions.
#pragma once

enum PadButton : int {
    PadA,
    PadB,
    PadY,
    PadBack,
    PadStart,
    PadLeftTrigger,
    PadRightTrigger,
    padButtonCount
};

// One pad as last read: the left stick from -1 to 1, right and down positive,
// as both platforms give it.
struct PadState {
    bool connected;
    float stickX, stickY;
    bool buttons[padButtonCount];
};

constexpr int padSlots = 4;

// The platform's part.
void openPads();                // once, at start-up
bool readPads(PadState* pads);  // fills padSlots states; false while none can be in use
void rumblePad(int slot, float strength, unsigned milliseconds);  // nothing where it cannot

// The shared part. Started after the game is set up; polled by each tick
// before its update, and by a slower chain of its own while no tick runs.
void startPads();
void pollPads();
void pollPadsWhileIdle();  // arms the slow chain unless it or a tick is pending

// A game paused by its pad's loss goes on at the next key or click, which
// does nothing else; true when this one did that.
bool resumedAfterPadLoss();

// The stick, its dead zone cut off and the rest rescaled to 0 .. 1.
float stickBeyondDeadZone(float axis);
